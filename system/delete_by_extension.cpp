#include "system/delete_by_extension.h"

#include "platform/file_system.h"
#include "platform/win_path.h"

namespace {

// The find call also matches a mask against the 8.3 short names Windows makes
// up, so "*.SPK" can return "x.SPKBAK" (short name X~1.SPK). Only the real name
// decides what is deleted.
bool LongNameMatches(const std::wstring& name, const std::wstring& extension) {
  if (extension == L"*" || extension.find_first_of(L"*?") != std::wstring::npos) return true;
  return platform::EndsWithNoCase(name, L"." + extension);
}

}  // namespace

bool DeleteByExtension(const std::wstring& folder, const std::wstring& extension) {
  const std::wstring base = platform::WithTrailingBackslash(folder);
  {
    platform::DirectoryReader reader(base + L"*." + extension);
    while (reader.Next()) {
      const std::wstring& name = reader.Name();
      if (name.empty() || name == L"." || name == L"..") continue;
      if (!LongNameMatches(name, extension)) continue;
      const std::wstring path = base + name;
      if (reader.IsReparsePoint()) {
        // Never through a link: whatever it leads to is not ours to delete.
        if (reader.IsFolder()) platform::RemoveEmptyFolder(path);
        else platform::DeleteFileAt(path);
      } else if (reader.IsFolder()) {
        DeleteByExtension(path, extension);
      } else {
        if (reader.Attributes() != platform::kAttrArchive)
          platform::SetFileAttributesTo(path, platform::kAttrArchive);
        platform::DeleteFileAt(path);
      }
    }
  }
  platform::RemoveEmptyFolder(platform::WithoutTrailingBackslash(folder));
  return true;
}
