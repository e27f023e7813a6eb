// purgello-langtext: a language file as readable text, and back.
//   purgello-langtext to-text FILE.SPK [TEXT.txt]   (standard output without TEXT)
//   purgello-langtext to-file TEXT.txt FILE.SPK
// Exit status 0 when done, 1 when the input is wrong, 2 for a wrong command line.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "i18n/language_text.h"

#ifndef _WIN32
#include "platform/posix/wine_prefix.h"
#endif

namespace {

// The Windows path the record files are opened with.
std::wstring WindowsPath(const std::filesystem::path& native) {
#ifdef _WIN32
  return native.wstring();
#else
  return platform::FromNativePath(native.string());
#endif
}

int Usage() {
  std::fputs("usage: purgello-langtext to-text FILE.SPK [TEXT.txt]\n"
             "       purgello-langtext to-file TEXT.txt FILE.SPK\n",
             stderr);
  return 2;
}

int Fail(const std::filesystem::path& input, const std::string& error) {
  std::fprintf(stderr, "purgello-langtext: %s: %s\n", input.string().c_str(), error.c_str());
  return 1;
}

}  // namespace

template <class Char>
int Run(int argc, Char** argv) {
  if (argc < 3) return Usage();
  std::string command;
  for (const Char* c = argv[1]; *c; ++c) command += static_cast<char>(*c);
  const std::filesystem::path input = std::filesystem::absolute(argv[2]);
  std::string error;
  if (command == "to-text" && argc <= 4) {
    std::string text;
    if (!LanguageFileToText(WindowsPath(input), text, error)) return Fail(input, error);
    if (argc == 3) return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() ? 0 : 1;
    std::ofstream out(std::filesystem::path(argv[3]), std::ios::binary | std::ios::trunc);
    out << text;
    return out.good() ? 0 : Fail(std::filesystem::path(argv[3]), "cannot write");
  }
  if (command == "to-file" && argc == 4) {
    std::ifstream in(input, std::ios::binary);
    if (!in) return Fail(input, "cannot read");
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::wstring folder = WindowsPath(input.parent_path()) + L"\\";
    if (!TextToLanguageFile(text, folder, WindowsPath(std::filesystem::absolute(argv[3])), error)) return Fail(input, error);
    return 0;
  }
  return Usage();
}

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) { return Run(argc, argv); }
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
