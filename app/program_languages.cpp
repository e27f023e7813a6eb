#include "app/program_languages.h"

#include <windows.h>
#include <imm.h>
#include <shellapi.h>

#include <cstdio>

#include "app/startup.h"
#include "settings/settings_store.h"

void ConfigureProgramLanguageList(TLangList& langue) {
  langue.FilePrefix = L"HV_";
  langue.RegKey = kSettingsBranch;
  langue.userDefaultLanguage = [] { return uint16_t(GetUserDefaultUILanguage()); };
  langue.reportError = [](const std::wstring& message) {
    MessageBoxW(nullptr, message.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
  };
  wchar_t current[MAX_PATH] = L"";
  if (GetCurrentDirectoryW(MAX_PATH, current)) langue.currentDirectory = current;
}

uint32_t ProgramFileVersionPacked(const std::wstring& programPath) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(programPath.c_str(), &ignored);
  if (size == 0) return 0;
  std::vector<unsigned char> block(size);
  if (!GetFileVersionInfoW(programPath.c_str(), 0, size, block.data())) return 0;
  struct Translation {
    WORD language, codePage;
  }* translations = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &length) ||
      length < sizeof(Translation))
    return 0;
  wchar_t query[64];
  std::swprintf(query, 64, L"\\StringFileInfo\\%04x%04x\\FileVersion", translations[0].language,
                translations[0].codePage);
  wchar_t* text = nullptr;
  if (!VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &length) || !text) return 0;
  std::wstring version;
  for (const wchar_t* c = text; *c; ++c)
    if (*c != L'(' && *c != L')') version += *c;
  return PackVersion(version);
}

void RunLanguageFirstActivation(TLangList& langue, const std::wstring& programPath,
                                const std::vector<std::wstring>& parameters, const FontSpec& mainFont) {
  langue.FirstActivation(
      parameters, [] { Beep(4000, 100); },
      [&](TLanguageRecord& record) {
        record.programVersion = ProgramFileVersionPacked(programPath);
        wchar_t ime[256] = L"";
        ImmGetDescriptionW(GetKeyboardLayout(0), ime, UINT(std::size(ime)));
        record.inputMethodName = ime;
        record.fontFace = mainFont.face;
        record.charset = mainFont.charset;
      });
}

std::vector<std::wstring> CommandLineParameters() {
  std::vector<std::wstring> parameters;
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!args) return parameters;
  for (int i = 1; i < count; ++i) parameters.push_back(args[i]);
  LocalFree(args);
  return parameters;
}
