// The version blocks of the shipped executables and the installer against the
// build's one version number: the fixed numbers, the texts Windows shows in a
// file's properties, and the packed pair the update check sends, read the way
// the check reads it. (The uninstaller's is checked where it is installed.)
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/file_version.h"
#include "platform/text_codec.h"
#include "release/version_block.h"
#include "update/version_number.h"

namespace {

using releasetest::ReadVersionBlock;
using releasetest::VersionBlock;

TEST(VersionBlockTest, EveryShippedExecutableCarriesTheBuildsVersion) {
  const std::wstring version = platform::FromUtf8(PURGELLO_VERSION_TEXT);
  for (const char* exe : {PURGELLO_EXECUTABLES}) {
    SCOPED_TRACE(exe);
    const std::wstring path = releasetest::WinePath(platform::FromUtf8(exe));
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
