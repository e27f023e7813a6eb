// Linux names as Windows names and back, the text forms of arguments, and the
// strict UTF-8 decoder they rest on.
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/posix/linux_names.h"
#include "platform/text_codec.h"
#include "platform/utf8.h"

namespace {

bool IsSurrogate(uint32_t c) { return c >= 0xD800 && c <= 0xDFFF; }

void CheckWindowsName(const std::wstring& name) {
  for (wchar_t unit : name) {
    const uint32_t c = uint32_t(unit);
    FUZZ_CHECK(c >= 0x20 && c <= 0x10FFFF && !IsSurrogate(c));
    FUZZ_CHECK(std::wcschr(L"\\/:*?\"<>|", unit) == nullptr);
  }
}

}  // namespace

int FuzzLinuxNames(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);

  // Any Linux name maps to one Windows name, which maps back to its bytes.
  std::string name;
  for (char b : bytes)
    if (b != '/' && b != '\0') name += b;
  if (!name.empty()) {
    const std::wstring windows = platform::WindowsNameOf(name);
    CheckWindowsName(windows);
    std::string back;
    FUZZ_CHECK(platform::LinuxNameOf(windows, back));
    FUZZ_CHECK(back == name);
  }

  // A Windows name (the bytes as UTF-16 units) reaches at most one Linux name.
  std::wstring units;
  for (size_t i = 0; i + 1 < size; i += 2) units += wchar_t(data[i] | (data[i + 1] << 8));
  std::string linuxName;
  if (platform::LinuxNameOf(units, linuxName)) {
    FUZZ_CHECK(linuxName.find('/') == std::string::npos && linuxName.find('\0') == std::string::npos);
    FUZZ_CHECK(platform::WindowsNameOf(linuxName) == units);
  }

  // Arguments and paths (which never hold NUL) keep their bytes.
  std::string argument;
  for (char b : bytes)
    if (b != '\0') argument += b;
  std::string text;
  FUZZ_CHECK(platform::LinuxTextOf(platform::WideFromLinuxText(argument), text));
  FUZZ_CHECK(text == argument);

  // The decoder takes only the shortest form of a scalar value.
  for (size_t i = 0; i < size;) {
    uint32_t c = 0;
    const size_t taken = platform::DecodeUtf8(bytes.data() + i, size - i, c);
    if (taken == 0) {
      ++i;
      continue;
    }
    FUZZ_CHECK(taken <= 4 && c <= 0x10FFFF && !IsSurrogate(c));
    std::string again;
    platform::AppendUtf8(c, again);
    FUZZ_CHECK(again == bytes.substr(i, taken));
    i += taken;
  }
  const std::wstring wide = platform::FromUtf8(bytes);
  FUZZ_CHECK(platform::FromUtf8(platform::ToUtf8(wide)) == wide);
  return 0;
}
