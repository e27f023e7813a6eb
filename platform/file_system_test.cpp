// The file seam on both platforms: run natively against the posix emulation and
// under Wine against the real calls, the same expectations hold for both.
#include "platform/file_system.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/file_version.h"
#include "platform/known_folders.h"
#include "platform/win_path.h"
#include "tests/support/known_folder_table.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "tests/support/planted_prefix.h"
#endif

namespace platform {
namespace {

using Names_ = std::vector<std::wstring>;

Names_ Names(const std::wstring& pattern) {
  Names_ names;
  DirectoryReader reader(pattern);
  while (reader.Next()) names.push_back(reader.Name());
  return names;
}


TEST(DirectoryReader, ListsDotsFirstThenNamesInNtfsOrder) {
  testsupport::TempTree tree;
  for (const wchar_t* name : {L"b.txt", L"_under", L"A.log", L"c"}) tree.WriteFile(name, "x");
  tree.MakeFolder(L"B");
  EXPECT_EQ(Names(tree.Root() + L"\\*"), (Names_{L".", L"..", L"A.log", L"B", L"b.txt", L"c", L"_under"}));
}

TEST(DirectoryReader, MatchesWildcardsAsTheFindCall) {
  testsupport::TempTree tree;
  for (const wchar_t* name : {L"a.log", L"B.LOG", L"a.log.old", L"noext", L"ab.txt"}) tree.WriteFile(name, "x");
  const struct {
    const wchar_t* mask;
    Names_ expected;
  } cases[] = {
      {L"*", {L".", L"..", L"a.log", L"a.log.old", L"ab.txt", L"B.LOG", L"noext"}},
      {L"*.*", {L".", L"..", L"a.log", L"a.log.old", L"ab.txt", L"B.LOG", L"noext"}},
      {L"*.log", {L"a.log", L"B.LOG"}},
      {L"*.LOG*", {L"a.log", L"a.log.old", L"B.LOG"}},
      {L"?.log", {L"a.log", L"B.LOG"}},
      {L"a?.txt", {L"ab.txt"}},
      {L"a.l?g", {L"a.log"}},
      {L"*.lo", {}},
      {L"NOEXT", {L"noext"}},
  };
  for (const auto& c : cases) EXPECT_EQ(Names(tree.Root() + L"\\" + c.mask), c.expected) << c.mask;
}

TEST(DirectoryReader, ReportsKindSizeAndAttributes) {
  testsupport::TempTree tree;
  tree.WriteFile(L"data.bin", std::string(1234, 'd'));
  tree.MakeFolder(L"sub");
  DirectoryReader reader(tree.Root() + L"\\*");
  int seen = 0;
  while (reader.Next()) {
    if (reader.Name() == L"data.bin") {
      EXPECT_FALSE(reader.IsFolder());
      EXPECT_FALSE(reader.IsReparsePoint());
      EXPECT_EQ(reader.Size(), 1234u);
      EXPECT_EQ(reader.Attributes() & ~kAttrNormal, kAttrArchive);
      ++seen;
    } else if (reader.Name() == L"sub") {
      EXPECT_TRUE(reader.IsFolder());
      EXPECT_EQ(reader.Attributes() & (kAttrDirectory | kAttrReparsePoint | kAttrReadOnly), kAttrDirectory);
      ++seen;
    }
  }
  EXPECT_EQ(seen, 2);
  EXPECT_TRUE(Names(tree.Path(L"missing\\*")).empty());
  EXPECT_TRUE(Names(tree.Root() + L"\\").empty());
}

TEST(FileTests, ExistenceAndSizeOfEachKindOfPath) {
  testsupport::TempTree tree;
  tree.WriteFile(L"full.txt", "12345");
  tree.WriteFile(L"empty.txt");
  tree.MakeFolder(L"folder");
  const struct {
    std::wstring path;
    bool file, folder;
    uint64_t size;
  } cases[] = {
      {tree.Path(L"full.txt"), true, false, 5},
      {tree.Path(L"FULL.TXT"), true, false, 5},
      {tree.Path(L"empty.txt"), true, false, 0},
      {tree.Path(L"folder"), false, true, 0},
      {tree.Path(L"folder\\"), false, false, 0},
      {tree.Path(L"missing.txt"), false, false, 0},
      {tree.Path(L"missing\\x.txt"), false, false, 0},
      // Wildcards: a pattern is no file's name, though the find call matches
      // it; the folder test and the size take the first entry found.
      {tree.Path(L"f*.txt"), false, false, 5},
      {tree.Path(L"full.tx?"), false, false, 5},
      {tree.Path(L"fold?r"), false, true, 0},
      // The "?" of the long-path prefix is no wildcard.
      {L"\\\\?\\" + tree.Path(L"full.txt"), true, false, 5},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideFileExists(c.path), c.file) << c.path;
    EXPECT_EQ(WideFolderExists(c.path), c.folder) << c.path;
    EXPECT_EQ(FileSize64(c.path), c.size) << c.path;
  }
  EXPECT_EQ(FileAttributes(tree.Path(L"missing.txt")), kInvalidAttributes);
  EXPECT_NE(FileAttributes(tree.Path(L"folder")) & kAttrDirectory, 0u);
}

TEST(FileChanges, FailLikeWindowsWithItsErrorCodes) {
  testsupport::TempTree tree;
  const std::wstring file = tree.WriteFile(L"ro.txt", "x");
  const std::wstring folder = tree.MakeFolder(L"full");
  tree.WriteFile(L"full\\inside.txt", "x");

  ASSERT_TRUE(SetFileAttributesTo(file, kAttrReadOnly));
  EXPECT_NE(FileAttributes(file) & kAttrReadOnly, 0u);
  EXPECT_FALSE(DeleteFileAt(file));
  EXPECT_EQ(LastErrorCode(), kErrorAccessDenied);
  ASSERT_TRUE(SetFileAttributesTo(file, kAttrArchive));
  EXPECT_EQ(FileAttributes(file) & kAttrReadOnly, 0u);

  EXPECT_FALSE(DeleteFileAt(folder));
  EXPECT_EQ(LastErrorCode(), kErrorAccessDenied);
  EXPECT_FALSE(RemoveEmptyFolder(folder));
  EXPECT_EQ(LastErrorCode(), kErrorDirNotEmpty);
  EXPECT_FALSE(WideCreateFolder(folder));
  EXPECT_EQ(LastErrorCode(), kErrorAlreadyExists);
  EXPECT_FALSE(WideCreateFolder(tree.Path(L"no\\parent")));

  EXPECT_FALSE(MoveFileTo(file, tree.Path(L"full\\INSIDE.TXT")));
  EXPECT_EQ(LastErrorCode(), kErrorAlreadyExists);
  EXPECT_TRUE(MoveFileTo(file, tree.Path(L"full\\moved.txt")));
  EXPECT_EQ(tree.ReadFile(L"full\\moved.txt"), "x");

  EXPECT_TRUE(DeleteFileAt(tree.Path(L"full\\moved.txt")));
  EXPECT_FALSE(DeleteFileAt(tree.Path(L"full\\moved.txt")));
  EXPECT_EQ(LastErrorCode(), kErrorFileNotFound);
  EXPECT_TRUE(DeleteFileAt(tree.Path(L"full\\inside.txt")));
  EXPECT_TRUE(RemoveEmptyFolder(folder));
  EXPECT_FALSE(tree.Exists(L"full"));
}

TEST(FileTests, NamesOutsideTheAnsiCodePageSurvive) {
  testsupport::TempTree tree;
  const std::wstring name = L"\u0416\u4E2D\u00E9 \U0001F600.txt";
  tree.WriteFile(name, "abc");
  EXPECT_EQ(Names(tree.Root() + L"\\*.txt"), Names_{name});
  EXPECT_TRUE(WideFileExists(tree.Path(name)));
  EXPECT_EQ(FileSize64(tree.Path(name)), 3u);
  {
    FileReader reader(tree.Path(name));
    ASSERT_TRUE(reader.IsOpen());
    char bytes[8] = {};
    EXPECT_EQ(reader.Read(bytes, sizeof bytes), 3);
    EXPECT_STREQ(bytes, "abc");
  }
  EXPECT_TRUE(DeleteFileAt(tree.Path(name)));
  EXPECT_FALSE(tree.Exists(name));
}

// A sparse file past 4 GiB: the size's high half must survive both routes
// (attribute data for a plain path, the find call for a wildcard path).
TEST(FileTests, SizeAbove4GiBByBothRoutes) {
  testsupport::TempTree tree;
  const uint64_t size = 5ull << 30;
  ASSERT_TRUE(tree.WriteSparseFile(L"big.bin", size));
  const std::wstring path = tree.Path(L"big.bin");
  EXPECT_EQ(FileSize64(path), size);
  EXPECT_EQ(FileSize64(tree.Path(L"big.b?n")), size);
  DirectoryReader reader(tree.Path(L"big.bin"));
  ASSERT_TRUE(reader.Next());
  EXPECT_EQ(reader.Size(), size);
}

// A minimal image with a version resource: headers, one .rsrc section, and the
// resource tree RT_VERSION / 1 / 0409 leading to VS_VERSIONINFO.
std::string PortableExecutable(bool pe32Plus, bool withVersion, uint32_t ms, uint32_t ls) {
  std::string image(0x400, '\0');
  auto put16 = [&image](size_t at, uint32_t v) {
    image[at] = char(v & 0xFF);
    image[at + 1] = char((v >> 8) & 0xFF);
  };
  auto put32 = [&](size_t at, uint32_t v) {
    put16(at, v & 0xFFFF);
    put16(at + 2, v >> 16);
  };
  image[0] = 'M';
  image[1] = 'Z';
  put32(0x3C, 0x40);
  std::memcpy(&image[0x40], "PE\0\0", 4);
  const size_t coff = 0x44, optional = coff + 20;
  const uint32_t optionalSize = pe32Plus ? 240 : 224;
  put16(coff, pe32Plus ? 0x8664 : 0x14C);
  put16(coff + 2, 1);
  put16(coff + 16, optionalSize);
  put16(coff + 18, pe32Plus ? 0x2022 : 0x2102);
  put16(optional, pe32Plus ? 0x20B : 0x10B);
  if (pe32Plus) {
    put32(optional + 24, 0x80000000u);  // image base, low and high halves
    put32(optional + 28, 0x1);
  } else {
    put32(optional + 28, 0x10000000u);
  }
  put32(optional + 32, 0x1000);  // section alignment
  put32(optional + 36, 0x200);   // file alignment
  put16(optional + 40, 6);       // OS version
  put16(optional + 48, 6);       // subsystem version
  put32(optional + 56, 0x2000);  // size of image
  put32(optional + 60, 0x200);   // size of headers
  put16(optional + 68, 2);       // GUI
  const size_t directories = optional + (pe32Plus ? 112 : 96);
  put32(directories - 4, 16);

  const uint32_t rva = 0x1000;
  std::string rsrc(0x200, '\0');
  auto r16 = [&rsrc](size_t at, uint32_t v) {
    rsrc[at] = char(v & 0xFF);
    rsrc[at + 1] = char((v >> 8) & 0xFF);
  };
  auto r32 = [&](size_t at, uint32_t v) {
    r16(at, v & 0xFFFF);
    r16(at + 2, v >> 16);
  };
  // Root: one id entry RT_VERSION (16), or RT_STRING (6) when no version is wanted.
  r16(14, 1);
  r32(16, withVersion ? 16 : 6);
  r32(20, 0x80000000u | 0x18);
  r16(0x18 + 14, 1);
  r32(0x18 + 16, 1);
  r32(0x18 + 20, 0x80000000u | 0x30);
  r16(0x30 + 14, 1);
  r32(0x30 + 16, 0x0409);
  r32(0x30 + 20, 0x48);
  const size_t info = 0x58;
  r32(0x48, rva + uint32_t(info));
  r32(0x48 + 4, 92);
  r16(info, 92);
  r16(info + 2, 52);
  const char16_t key[] = u"VS_VERSION_INFO";
  for (size_t i = 0; key[i]; ++i) r16(info + 6 + 2 * i, key[i]);
  const size_t fixed = info + 40;
  r32(fixed, 0xFEEF04BD);
  r32(fixed + 4, 0x10000);
  r32(fixed + 8, ms);
  r32(fixed + 12, ls);
  r32(fixed + 16, ms);
  r32(fixed + 20, ls);
  r32(fixed + 24, 0x3F);
  r32(fixed + 32, 0x40004);
  r32(fixed + 36, 2);

  put32(directories + 2 * 8, rva);
  put32(directories + 2 * 8 + 4, uint32_t(info + 92));
  const size_t section = optional + optionalSize;
  std::memcpy(&image[section], ".rsrc", 5);
  put32(section + 8, uint32_t(info + 92));
  put32(section + 12, rva);
  put32(section + 16, 0x200);
  put32(section + 20, 0x200);
  put32(section + 36, 0x40000040u);  // initialised data, readable
  image.replace(0x200, 0x200, rsrc);
  return image;
}

TEST(FileVersionText, ReadsTheFixedFileVersion) {
  testsupport::TempTree tree;
  const uint32_t ms = (3u << 16) | 8u, ls = (6u << 16) | 116u;
  const struct {
    const wchar_t* name;
    std::string bytes;
    const wchar_t* expected;
  } cases[] = {
      {L"pe64.dll", PortableExecutable(true, true, ms, ls), L"3.8.6.116"},
      {L"pe32.dll", PortableExecutable(false, true, (65535u << 16) | 0, (1u << 16) | 65534), L"65535.0.1.65534"},
      {L"strings-only.dll", PortableExecutable(true, false, ms, ls), L""},
      {L"text.txt", "not an executable", L""},
  };
  for (const auto& c : cases) {
    tree.WriteFile(c.name, c.bytes);
    EXPECT_EQ(FileVersionText(tree.Path(c.name)), c.expected) << c.name;
  }
  EXPECT_EQ(FileVersionText(tree.Path(L"missing.dll")), L"File not found");
  EXPECT_EQ(FileVersionText(tree.Root()), L"File not found");
}

// Drive C with a Windows folder: Wine's own on Windows, a planted prefix here.
class DriveTest : public ::testing::Test {
#ifndef _WIN32
  testsupport::PlantedPrefix prefix_;
#endif
};

TEST_F(DriveTest, FolderTestsOfDrivesAndTheirFolders) {
  const struct {
    const wchar_t* path;
    bool exists;
  } cases[] = {
      {L"C:", true},         {L"c:\\", true},  {L"C:\\Windows", true}, {L"C:\\WINDOWS", true},
      {L"C:\\Windows\\", false}, {L"Q:", false},     {L"Q:\\", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(WideFolderExists(c.path), c.exists) << c.path;
  }
}

TEST_F(DriveTest, KnownFoldersAreAbsoluteExistingFolders) {
  for (const auto& row : testsupport::kKnownFolderRows) {
    const int csidl = row.csidl;
    std::wstring path = KnownFolderPath(csidl);
    EXPECT_TRUE(StartsWithNoCase(path, L"C:\\")) << csidl << ": " << path;
    EXPECT_NE(path.back(), L'\\') << csidl;
    EXPECT_TRUE(WideFolderExists(path)) << csidl << ": " << path;
  }
  EXPECT_EQ(KnownFolderPath(0x7E), L"");
}

}  // namespace
}  // namespace platform
