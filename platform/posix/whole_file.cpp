#include "platform/whole_file.h"

#include "platform/posix/native_file.h"
#include "platform/posix/wine_prefix.h"

namespace platform {

WholeFileRead ReadWholeFile(const std::wstring& path, size_t maxBytes, std::string& bytes) {
  bytes.clear();
  std::string native;
  if (!ToNativePath(path, native)) return WholeFileRead::Failed;
  return ReadNativeFile(native, maxBytes, bytes);
}

bool WriteWholeFile(const std::wstring& path, const std::string& bytes) {
  std::string native;
  return ToNativePath(path, native) && ReplaceNativeFile(native, bytes);
}

}  // namespace platform
