// The portable Windows path rules: the splitting and comparing helpers, and
// the preparation of every path for the system calls.
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/system_path_rules.h"
#include "platform/win_path.h"

namespace {

// Each byte picks a piece that the rules treat specially, so that short inputs
// reach prefixes, drive roots, share paths and dot components; 0xFF takes the
// next two bytes as one raw UTF-16 unit.
const wchar_t* const kPieces[] = {L"\\",  L"/",   L".",      L"..",    L"C:", L"z:", L"a",   L"B",  L"\\\\?\\",
                                  L"\\\\.\\", L"UNC", L"server", L"share", L"?",  L"*",  L" ",   L"\u00e9", L":",
                                  L"Volume{", L"}"};
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

// The current folders a relative path is put after: on a drive, or on a share
// when the first byte is odd, as the system may give either.
platform::FullPathOf CurrentFolders(bool onShare) {
  return [onShare](const std::wstring& relative) -> std::wstring {
    if (relative == L".") return onShare ? L"\\\\srv\\shr\\cur" : L"C:\\cur\\dir";
    if (relative == L"\\") return onShare ? L"\\\\srv\\shr\\" : L"C:\\";
    FUZZ_CHECK(relative.size() == 2 && relative[1] == L':');
    return relative + L"\\here";
  };
}

void CheckPrepared(const std::wstring& path, bool onShare) {
  const std::wstring prepared = platform::PreparedSystemPath(path, CurrentFolders(onShare));
  const std::wstring nt = platform::PreparedNtPath(path, CurrentFolders(onShare));
  if (platform::IsDevicePath(path)) {
    FUZZ_CHECK(prepared == path && nt.empty());
    return;
  }
  FUZZ_CHECK(prepared.empty() || platform::IsSystemForm(prepared));
  FUZZ_CHECK(nt == (prepared.empty() ? prepared : L"\\??\\" + prepared.substr(4)));
  // The form is final: preparing it again, with no current folder to ask,
  // changes nothing.
  if (!prepared.empty()) {
    const platform::FullPathOf none = [](const std::wstring&) -> std::wstring { FUZZ_CHECK(false); return {}; };
    FUZZ_CHECK(platform::PreparedSystemPath(prepared, none) == prepared);
  }
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
  CheckPrepared(path, size > 0 && (data[0] & 1));
  return 0;
}
