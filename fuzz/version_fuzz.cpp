// The version resource reader of executable images (posix).
#include <cwctype>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/posix/pe_version.h"

int FuzzVersionResource(const uint8_t* data, size_t size) {
  const std::wstring text = platform::VersionTextOfImage(std::string(reinterpret_cast<const char*>(data), size));
  // Empty, or four decimal numbers between dots.
  if (text.empty()) return 0;
  int dots = 0;
  for (wchar_t c : text) {
    if (c == L'.') ++dots;
    else FUZZ_CHECK(c >= L'0' && c <= L'9');
  }
  FUZZ_CHECK(dots == 3 && text.front() != L'.' && text.back() != L'.' && text.find(L"..") == std::wstring::npos);
  return 0;
}
