// The portable Windows path rules: the splitting and comparing helpers.
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/win_path.h"

namespace {

// Each byte picks a piece that the rules treat specially, so that short inputs
// reach prefixes, drive roots, share paths and dot components; 0xFF takes the
// next two bytes as one raw UTF-16 unit.
const wchar_t* const kPieces[] = {L"\\",  L"/",   L".",      L"..",    L"C:", L"z:", L"a",   L"B",  L"\\\\?\\",
                                  L"\\\\.\\", L"UNC", L"server", L"share", L"?",  L"*",  L" ",   L"\u00e9", L":"};
constexpr size_t kPieceCount = sizeof kPieces / sizeof kPieces[0];

std::wstring PathOf(const uint8_t* data, size_t size) {
  std::wstring path;
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF && i + 2 < size) {
      path += wchar_t(data[i + 1] | (data[i + 2] << 8));
      i += 2;
    } else {
      path += kPieces[data[i] % kPieceCount];
    }
  }
  return path;
}

}  // namespace

int FuzzWindowsPaths(const uint8_t* data, size_t size) {
  const std::wstring path = PathOf(data, size);
  FUZZ_CHECK(platform::FolderOf(path) + platform::FileNameOf(path) == path);
  FUZZ_CHECK(platform::EqualsNoCase(path, platform::AsciiLowerCase(path)));
  for (size_t cut : {size_t(0), path.size() / 2, path.size()}) {
    FUZZ_CHECK(platform::StartsWithNoCase(path, path.substr(0, cut)));
    FUZZ_CHECK(platform::EndsWithNoCase(path, path.substr(cut)));
  }
  const std::wstring withSeparator = platform::WithTrailingBackslash(path);
  FUZZ_CHECK(!withSeparator.empty() && withSeparator.back() == L'\\');
  if (platform::IsBareDrive(path)) FUZZ_CHECK(path.size() <= 3);
  return 0;
}
