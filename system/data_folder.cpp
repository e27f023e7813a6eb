#include "system/data_folder.h"

#include "platform/file_system.h"
#include "platform/known_folders.h"
#include "platform/win_path.h"

namespace {

const wchar_t kMakerFolder[] = L"Halvoris";

bool HasSubFolder(const std::wstring& folder) {
  platform::DirectoryReader reader(folder + L"\\*");
  while (reader.Next()) {
    const std::wstring& name = reader.Name();
    if (reader.IsFolder() && name != L"." && name != L"..") return true;
  }
  return false;
}

}  // namespace

std::wstring DataFolder(const std::wstring& programPath, const std::wstring& title) {
  std::wstring result = platform::WithTrailingBackslashUnlessEmpty(platform::FolderOf(programPath));
  std::wstring base = platform::KnownFolderPath(platform::kCsidlAppData);
  if (base.empty()) return result;
  std::wstring maker = platform::WithTrailingBackslash(base) + kMakerFolder;
  platform::WideCreateFolder(maker);  // an existing folder is fine
  std::wstring own = maker + L'\\' + title;
  platform::WideCreateFolder(own);
  if (platform::WideFolderExists(own)) result = own + L'\\';
  return result;
}

void RemoveMakerFolderIfEmpty() {
  std::wstring base = platform::KnownFolderPath(platform::kCsidlAppData);
  if (base.empty()) return;
  std::wstring maker = platform::WithTrailingBackslash(base) + kMakerFolder;
  if (!HasSubFolder(maker)) platform::RemoveEmptyFolder(maker);
}
