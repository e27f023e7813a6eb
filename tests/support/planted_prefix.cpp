#ifndef _WIN32

#include "tests/support/planted_prefix.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/text_codec.h"

namespace fs = std::filesystem;

namespace testsupport {

namespace {

const char* const kFolders[] = {
    "windows",
    "windows/Temp",
    "ProgramData",
    "Program Files",
    "Program Files (x86)",
    "users/tester/AppData/Local",
    "users/tester/AppData/Local/Microsoft/Windows/INetCache",
    "users/tester/AppData/Local/Microsoft/Windows/INetCookies",
    "users/tester/AppData/Local/Microsoft/Windows/History",
    "users/tester/AppData/LocalLow",
    "users/tester/AppData/Roaming/Microsoft/Windows/Recent",
};

}  // namespace

PlantedPrefix::PlantedPrefix() {
  std::string tmpl = "/tmp/pgprefix-XXXXXX";
  root_ = mkdtemp(tmpl.data());
  for (const char* folder : kFolders) fs::create_directories(root_ + "/drive_c/" + folder);
  fs::create_directories(root_ + "/xdg/Trash/files");
  fs::create_directories(root_ + "/xdg/Trash/info");
  previous_ = platform::CurrentWinePrefix();
  platform::SetWinePrefix({root_, "tester"});
  if (const char* xdg = getenv("XDG_DATA_HOME")) {
    hadXdg_ = true;
    previousXdg_ = xdg;
  }
  setenv("XDG_DATA_HOME", (root_ + "/xdg").c_str(), 1);
}

PlantedPrefix::~PlantedPrefix() {
  platform::SetWinePrefix(previous_);
  if (hadXdg_)
    setenv("XDG_DATA_HOME", previousXdg_.c_str(), 1);
  else
    unsetenv("XDG_DATA_HOME");
  std::error_code ec;
  fs::remove_all(root_, ec);
}

std::wstring PlantedPrefix::Plant(const std::wstring& windowsPath, const std::string& bytes) {
  std::string native;
  platform::ToNativePath(windowsPath, native);
  fs::create_directories(fs::path(native).parent_path());
  std::ofstream(native, std::ios::binary | std::ios::trunc) << bytes;
  return windowsPath;
}

std::wstring PlantedPrefix::MakeFolder(const std::wstring& windowsPath) {
  std::string native;
  platform::ToNativePath(windowsPath, native);
  fs::create_directories(native);
  return windowsPath;
}

void PlantedPrefix::Remove(const std::wstring& windowsPath) {
  std::string native;
  platform::ToNativePath(windowsPath, native);
  std::error_code ec;
  fs::remove_all(native, ec);
}

void PlantedPrefix::PutInRecycleBin(const std::string& name, size_t bytes) {
  std::ofstream(root_ + "/xdg/Trash/files/" + name, std::ios::binary) << std::string(bytes, 'r');
  std::ofstream(root_ + "/xdg/Trash/info/" + name + ".trashinfo")
      << "[Trash Info]\nPath=/tmp/" << name << "\nDeletionDate=2026-01-01T00:00:00\n";
}

}  // namespace testsupport

#endif
