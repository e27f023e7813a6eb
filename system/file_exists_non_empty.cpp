#include "system/file_exists_non_empty.h"

#include "platform/file_system.h"
#include "platform/wow64.h"

bool FileExistsNonEmpty(const std::wstring& path) {
  platform::FsRedirectionOff redirectionOff;
  return platform::WideFileExists(path) && platform::FileSize64(path) > 0;
}
