#include "i18n/lang_list.h"

#include <cstdio>

#include "i18n/record_file.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

const uint16_t kSearchedLanguageIds[145] = {
    0x0400, 0x0436, 0x041C, 0x0401, 0x0801, 0x0C01, 0x1001, 0x1401, 0x1801, 0x1C01, 0x2001, 0x2401,
    0x2801, 0x2C01, 0x3001, 0x3401, 0x3801, 0x3C01, 0x4001, 0x042B, 0x044D, 0x042C, 0x082C, 0x042D,
    0x0423, 0x0445, 0x0402, 0x0455, 0x0403, 0x0404, 0x0804, 0x0C04, 0x1004, 0x1404, 0x041A, 0x0405,
    0x0406, 0x0413, 0x0813, 0x0409, 0x0809, 0x0C09, 0x1009, 0x1409, 0x1809, 0x1C09, 0x2009, 0x2409,
    0x2809, 0x2C09, 0x3009, 0x3409, 0x0425, 0x0438, 0x0429, 0x040B, 0x040C, 0x080C, 0x0C0C, 0x100C,
    0x140C, 0x180C, 0x0456, 0x0437, 0x0407, 0x0807, 0x0C07, 0x1007, 0x1407, 0x0408, 0x0447, 0x040D,
    0x0439, 0x040E, 0x040F, 0x0421, 0x0410, 0x0810, 0x0411, 0x044B, 0x0860, 0x043F, 0x0457, 0x0412,
    0x0812, 0x0426, 0x0427, 0x0827, 0x042F, 0x043E, 0x083E, 0x044C, 0x0458, 0x044E, 0x0861, 0x0414,
    0x0814, 0x0448, 0x0415, 0x0416, 0x0816, 0x0446, 0x0418, 0x0419, 0x044F, 0x0C1A, 0x081A, 0x0459,
    0x041B, 0x0424, 0x040A, 0x080A, 0x0C0A, 0x100A, 0x140A, 0x180A, 0x1C0A, 0x200A, 0x240A, 0x280A,
    0x2C0A, 0x300A, 0x340A, 0x380A, 0x3C0A, 0x400A, 0x440A, 0x480A, 0x4C0A, 0x500A, 0x0430, 0x0441,
    0x041D, 0x081D, 0x0449, 0x0444, 0x044A, 0x041E, 0x041F, 0x0422, 0x0420, 0x0820, 0x0443, 0x0843,
    0x042A,
};

namespace {

constexpr uint32_t kLangIdMask = 0xFFFF;
constexpr uint32_t kPrimaryMask = 0x3FF;

std::wstring Hex(uint32_t value, int digits) {
  wchar_t text[9];
  std::swprintf(text, 9, L"%0*X", digits, static_cast<unsigned>(value));
  return text;
}

std::wstring WithSeparator(std::wstring folder) {
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

std::wstring ReadText(TStorefile& file) {
  std::string bytes;
  file.ReadString(bytes, true);
  return platform::FromAnsi(bytes);
}

}  // namespace

TLangList::TLangList(Component* owner, Component& root, std::wstring programFolder, std::wstring name)
    : Component(std::move(name), owner),
      programFolder_(WithSeparator(std::move(programFolder))),
      template_(std::make_unique<TLanguageRecord>(root, &ExcludedComps)),
      current_(std::make_unique<TLanguageRecord>(root, &ExcludedComps)) {}

std::wstring TLangList::LanguageDir() const {
  if (SubDir.empty()) return programFolder_;
  const std::wstring beside = WithSeparator(programFolder_ + SubDir);
  if (platform::WideFolderExists(platform::WithoutTrailingBackslash(beside))) return beside;
  const std::wstring system = WithSeparator(programFolder_ + L"system\\" + SubDir);
  if (platform::WideFolderExists(platform::WithoutTrailingBackslash(system))) return system;
  return WithSeparator(WithSeparator(currentDirectory) + SubDir);
}

std::wstring TLangList::FileNameOf(uint32_t code) const { return LanguageDir() + FilePrefix + Hex(code, 8) + L".SPK"; }

std::wstring TLangList::TemplateFileName() const { return LanguageDir() + FilePrefix + L"ORIGINAL.SPK"; }

bool TLangList::ScanLanguages() {
  languages_.clear();
  for (uint16_t id : kSearchedLanguageIds) {
    for (uint32_t variant = 0; variant <= 0xFFFF; ++variant) {
      const uint32_t code = variant << 16 | id;
      const std::wstring name = FileNameOf(code);
      if (!platform::WideFileExists(name)) break;
      TStorefile file;
      file.Signature = kLanguageSignature;
      file.Filename = name;
      file.ReadOnly = true;
      if (!file.Open()) continue;
      int32_t identity = 0;
      file.ReadInteger(identity, true);
      const int revision = static_cast<int>(static_cast<uint32_t>(identity) >> 16);
      const std::wstring language = ReadText(file);
      ReadText(file);  // the heading name
      const std::wstring remark = ReadText(file);
      std::wstring display = language;
      if (revision >= 1) {
        file.Next();
        file.Next();
        int32_t version = 0;
        file.ReadInteger(version, true);
        display += L" [" + VersionText(static_cast<uint32_t>(version)) + L"]";
      }
      languages_.push_back({display + L" - " + remark, code});
    }
  }
  return !languages_.empty();
}

uint32_t TLangList::CodeAt(int index) const {
  return index >= 0 && static_cast<size_t>(index) < languages_.size() ? languages_[index].code : 0;
}

SwitchResult TLangList::SetLanguageIndex(int index) {
  if (index < 0 || static_cast<size_t>(index) >= languages_.size()) return SwitchResult::Unchanged;
  bool canChange = true;
  if (BeforeLanguageSwitch) BeforeLanguageSwitch(CodeAt(index_), CodeAt(index), canChange);
  if (!canChange) return SwitchResult::Unchanged;
  index_ = index;
  // Saved before the file is read, so that a file that fails is remembered.
  if (Autoload) SaveLanguage();
  switch (current_->LoadAndApply(FileNameOf(CodeAt(index)))) {
    case LoadResult::Loaded:
      loaded_ = true;
      loadedName_ = current_->languageName;
      loadedHeading_ = current_->headingName;
      if (AfterLanguageSwitch) AfterLanguageSwitch();
      return SwitchResult::Loaded;
    case LoadResult::NotLanguageFile:
      loaded_ = false;
      return SwitchResult::NotLoaded;
    case LoadResult::UnsupportedRevision:
      // Nothing was applied: the windows, and so the current names, stay
      // those of the language in effect.
      if (reportError) reportError(kUnsupportedRevisionText);
      return SwitchResult::UnsupportedRevision;
  }
  return SwitchResult::NotLoaded;
}

bool TLangList::Select(uint32_t code, bool exactCode) {
  const auto find = [this](auto matches) -> int {
    for (size_t i = 0; i < languages_.size(); ++i)
      if (matches(languages_[i].code)) return static_cast<int>(i);
    return -1;
  };
  int found = exactCode ? find([code](uint32_t c) { return c == code; }) : -1;
  if (found < 0) found = find([code](uint32_t c) { return (c & kLangIdMask) == (code & kLangIdMask); });
  if (found < 0) found = find([code](uint32_t c) { return (c & kPrimaryMask) == (code & kPrimaryMask); });
  if (found < 0) return false;
  SetLanguageIndex(found);
  return true;
}

bool TLangList::SelectByCode(uint32_t code) { return Select(code, true); }

bool TLangList::SelectUserDefault() { return userDefaultLanguage && Select(userDefaultLanguage(), false); }

bool TLangList::RestoreLanguage() {
  if (RegKey.empty()) return false;
  const platform::RegKey key = platform::RegKey::Open(platform::RegRoot::CurrentUser, RegKey, platform::RegAccess::Read);
  uint32_t code = 0;
  if (key.IsOpen() && key.ReadDword(Name(), code)) return SelectByCode(code);
  return SelectUserDefault();
}

void TLangList::SaveLanguage() {
  if (RegKey.empty()) return;
  platform::RegKey key = platform::RegKey::Create(platform::RegRoot::CurrentUser, RegKey);
  if (key.IsOpen() && index_ >= 0 && static_cast<size_t>(index_) < languages_.size()) key.WriteDword(Name(), CodeAt(index_));
}

std::wstring TLangList::CurrentLanguageName() const { return loaded_ ? loadedName_ : std::wstring(); }

std::wstring TLangList::CurrentHeadingName() const { return loaded_ ? loadedHeading_ : std::wstring(); }

bool TLangList::LoadFlag(uint16_t langId, std::string& picture) const {
  picture.clear();
  // Read-only: drawing a row must never create or rewrite a language file.
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = LanguageDir() + FilePrefix + L"0000" + Hex(langId, 4) + L".SPK";
  file.ReadOnly = true;
  if (!file.Open() || !file.Consistent() || !file.GoTo(5)) return false;
  std::string bytes;
  file.ReadString(bytes, false);
  if (!IsWellFormedBitmap(bytes)) return false;
  picture = std::move(bytes);
  return true;
}

void TLangList::WriteTemplate() { template_->SaveTemplate(TemplateFileName()); }

void TLangList::FirstActivation(const std::vector<std::wstring>& parameters, const std::function<void()>& beep,
                                const std::function<void(TLanguageRecord&)>& fillTemplate) {
  if (activated_) return;
  activated_ = true;
  for (const std::wstring& parameter : parameters) {
    std::wstring p = platform::AsciiLowerCase(parameter);
    for (wchar_t& c : p)
      if (c == L'/') c = L'-';
    if (p.compare(0, 3, L"-co") != 0) continue;
    if (beep) beep();
    ScanLanguages();
    template_->languageId = 0;
    if (fillTemplate) fillTemplate(*template_);
    WriteTemplate();
    break;
  }
  ScanLanguages();
  if (Autoload) RestoreLanguage();
}
