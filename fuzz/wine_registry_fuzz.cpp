// The reader of Wine's registry files: the first line names the key, the rest
// is the file.
#include <sstream>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/posix/wine_registry_file.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

int FuzzWineRegistryFile(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const size_t lineEnd = bytes.find('\n');
  const std::wstring key = platform::FromUtf8(bytes.substr(0, lineEnd));
  std::istringstream file(lineEnd == std::string::npos ? std::string() : bytes.substr(lineEnd + 1));
  for (const auto& [name, value] : platform::ReadRegFileKey(file, key)) {
    FUZZ_CHECK(platform::AsciiLowerCase(name) == name);
    FUZZ_CHECK(value.isDword || value.dword == 0);
  }
  return 0;
}
