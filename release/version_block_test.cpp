// The version blocks of the built executables against the build's one version
// number: the fixed numbers, the texts Windows shows in a file's properties, and
// the packed pair the update check sends, read the way the check reads it.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/file_version.h"
#include "platform/text_codec.h"
#include "update/version_number.h"

namespace {

std::wstring WinePath(const char* linuxPath) {
  std::wstring path = L"Z:" + platform::FromUtf8(linuxPath);
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

struct VersionBlock {
  bool found = false;
  VS_FIXEDFILEINFO fixed{};
  std::vector<char> data;

  std::wstring Text(const wchar_t* name) const {
    struct Translation {
      WORD language, codePage;
    }* translations = nullptr;
    UINT size = 0;
    if (!VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translations), &size) ||
        size < sizeof(Translation))
      return L"(no translation)";
    wchar_t query[96];
    swprintf(query, 96, L"\\StringFileInfo\\%04x%04x\\%ls", translations[0].language, translations[0].codePage, name);
    wchar_t* text = nullptr;
    if (!VerQueryValueW(data.data(), query, reinterpret_cast<void**>(&text), &size) || !text) return L"(missing)";
    return text;
  }
};

VersionBlock ReadVersionBlock(const std::wstring& path) {
  VersionBlock block;
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return block;
  block.data.resize(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data.data())) return block;
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || !fixed) return block;
  block.fixed = *fixed;
  block.found = true;
  return block;
}

TEST(VersionBlockTest, EveryShippedExecutableCarriesTheBuildsVersion) {
  const std::wstring version = platform::FromUtf8(PURGELLO_VERSION_TEXT);
  for (const char* exe : {PURGELLO_EXECUTABLES}) {
    SCOPED_TRACE(exe);
    const std::wstring path = WinePath(exe);
    const VersionBlock block = ReadVersionBlock(path);
    ASSERT_TRUE(block.found);
    // The fixed numbers are the update check's packing: major and minor, release and build.
    EXPECT_EQ(block.fixed.dwFileVersionMS, uint32_t(PURGELLO_VERSION_VH));
    EXPECT_EQ(block.fixed.dwFileVersionLS, uint32_t(PURGELLO_VERSION_VL));
    EXPECT_EQ(block.fixed.dwProductVersionMS, uint32_t(PURGELLO_VERSION_VH));
    EXPECT_EQ(block.fixed.dwProductVersionLS, uint32_t(PURGELLO_VERSION_VL));
    EXPECT_EQ(block.Text(L"FileVersion"), version);
    EXPECT_EQ(block.Text(L"ProductVersion"), version);
    EXPECT_EQ(block.Text(L"ProductName"), L"Purgello");
    EXPECT_EQ(block.Text(L"CompanyName"), L"Halvoris");

    const TPyloVersion checked = TPyloVersion::Create(platform::FileVersionText(path));
    EXPECT_EQ(checked.PackedHigh(), uint32_t(PURGELLO_VERSION_VH));
    EXPECT_EQ(checked.PackedLow(), uint32_t(PURGELLO_VERSION_VL));
  }
}

}  // namespace
