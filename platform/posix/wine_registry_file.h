// The reader of Wine's registry files (system.reg, user.reg): the string and
// dword values of one key, as the posix layer needs them from the prefix.
#pragma once

#include <cstdint>
#include <istream>
#include <map>
#include <string>

namespace platform {

struct RegFileValue {
  bool isDword = false;
  std::wstring text;
  uint32_t dword = 0;
};
using RegFileKey = std::map<std::wstring, RegFileValue>;

// The values of the key named keyPath (compared without regard to ASCII case),
// by lower-cased name; nothing when the file lacks the key.
RegFileKey ReadRegFileKey(std::istream& file, const std::wstring& keyPath);

}  // namespace platform
