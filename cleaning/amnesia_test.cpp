// Secure deletion against the real file system (natively and under Wine), with
// a file that records each step, or fails one, on top of the real handle.
#include "cleaning/amnesia.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/win_path.h"
#include "tests/support/temp_tree.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/handle.h"
#else
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/posix/descriptor.h"
#include "platform/text_codec.h"
#endif

namespace {

using platform::kErrorAccessDenied;
using platform::kErrorDiskFull;
using platform::kErrorFileNotFound;
using platform::kErrorSharingViolation;
using testsupport::NativePath;
using testsupport::TempTree;

std::string Hex(uint8_t value) {
  char text[3];
  std::snprintf(text, sizeof text, "%02X", value);
  return text;
}

// Steps: "W<offset>+<count>=<byte>" (a write of one repeated byte), "F" flush,
// "T<size>" truncate, "R" rename, "D" delete.
struct Recorder {
  std::vector<std::string> steps;
  std::vector<uint8_t> passValues;  // the byte of each write
  std::wstring pathAtDelete;
  std::function<void(uint8_t)> afterFlush;  // called with the pass's byte
  int failWriteOfValue = -1;
  bool failDelete = false;
};

class RecordingFile : public platform::SecureFile {
 public:
  explicit RecordingFile(Recorder& recorder) : r_(recorder) {}

  bool WriteAt(uint64_t offset, const void* data, size_t count) override {
    const auto* bytes = static_cast<const uint8_t*>(data);
    std::string value = Hex(bytes[0]);
    for (size_t i = 1; i < count; ++i)
      if (bytes[i] != bytes[0]) value = "mixed";
    r_.steps.push_back("W" + std::to_string(offset) + "+" + std::to_string(count) + "=" + value);
    r_.passValues.push_back(bytes[0]);
    lastValue_ = bytes[0];
    if (bytes[0] == r_.failWriteOfValue) return Fail(kErrorDiskFull);
    return SecureFile::WriteAt(offset, data, count);
  }
  bool Flush() override {
    r_.steps.push_back("F");
    bool ok = SecureFile::Flush();
    if (r_.afterFlush) r_.afterFlush(lastValue_);
    return ok;
  }
  bool Truncate(uint64_t size) override {
    r_.steps.push_back("T" + std::to_string(size));
    return SecureFile::Truncate(size);
  }
  bool Rename(const std::wstring& newPath) override {
    r_.steps.push_back("R");
    return SecureFile::Rename(newPath);
  }
  bool Delete() override {
    r_.steps.push_back("D");
    r_.pathAtDelete = Path();
    if (r_.failDelete) return Fail(kErrorAccessDenied);
    return SecureFile::Delete();
  }

 private:
  Recorder& r_;
  uint8_t lastValue_ = 0;
};

TAmnesia RecordingAmnesia(Recorder& recorder) {
  return TAmnesia([&recorder] { return std::make_unique<RecordingFile>(recorder); });
}

// "??" in an expected step stands for the random pass's byte: 0..254, the same
// in every write of that pass.
void ExpectSteps(const std::vector<std::string>& actual, const std::vector<std::string>& expected) {
  ASSERT_EQ(actual.size(), expected.size()) << ::testing::PrintToString(actual);
  std::string randomByte;
  for (size_t i = 0; i < actual.size(); ++i) {
    size_t mark = expected[i].find("??");
    if (mark == std::string::npos) {
      EXPECT_EQ(actual[i], expected[i]) << "step " << i;
      continue;
    }
    ASSERT_EQ(actual[i].substr(0, mark), expected[i].substr(0, mark)) << "step " << i;
    std::string value = actual[i].substr(mark);
    ASSERT_EQ(value.size(), 2u) << actual[i];
    EXPECT_NE(value, "FF");
    if (randomByte.empty()) randomByte = value;
    EXPECT_EQ(value, randomByte) << "one random byte per pass";
  }
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
#ifdef _WIN32
  WIN32_FIND_DATAW fd;
  const platform::FindHandle h(FindFirstFileW(NativePath(folder + L"\\*").c_str(), &fd));
  if (!h.Valid()) return names;
  do {
    std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h.Get(), &fd));
#else
  DIR* dir = opendir(NativePath(folder).c_str());
  if (!dir) return names;
  while (dirent* e = readdir(dir)) {
    std::string name = e->d_name;
    if (name != "." && name != "..") names.push_back(platform::FromUtf8(name));
  }
  closedir(dir);
#endif
  return names;
}

// Read-only, hidden and system where the platform has them (posix: read-only
// is a file without write permission).
void MakeReadOnlyHiddenSystem(const std::wstring& path) {
#ifdef _WIN32
  ASSERT_TRUE(SetFileAttributesW(NativePath(path).c_str(),
                                 FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM));
  ASSERT_EQ(GetFileAttributesW(NativePath(path).c_str()) & FILE_ATTRIBUTE_READONLY, DWORD(FILE_ATTRIBUTE_READONLY));
#else
  ASSERT_EQ(chmod(NativePath(path).c_str(), 0444), 0);
#endif
}

bool MakeHardLink(const std::wstring& existing, const std::wstring& link) {
#ifdef _WIN32
  return CreateHardLinkW(NativePath(link).c_str(), NativePath(existing).c_str(), nullptr);
#else
  return ::link(NativePath(existing).c_str(), NativePath(link).c_str()) == 0;
#endif
}

// A symbolic link to a file; false when the system cannot make one.
bool MakeFileSymlink(const std::wstring& target, const std::wstring& link) {
#ifdef _WIN32
  constexpr DWORD kAllowUnprivileged = 0x2;
  CreateSymbolicLinkW(NativePath(link).c_str(), NativePath(target).c_str(), kAllowUnprivileged);
  // Some Wine versions report success without making anything.
  DWORD attributes = GetFileAttributesW(NativePath(link).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
  return symlink(NativePath(target).c_str(), NativePath(link).c_str()) == 0;
#endif
}

struct PassCase {
  int method;
  bool trim;
  std::vector<std::string> steps;
};

TEST(AmnesiaTest, PassesOnThreeByteFileComeInOrderEachFlushed) {
  const std::vector<PassCase> cases = {
      {0, false, {"D"}},
      {0, true, {"T0", "D"}},
      {1, false, {"W0+3=??", "F", "D"}},
      {1, true, {"W0+3=??", "F", "T0", "D"}},
      {2, false, {"W0+3=AA", "F", "W0+3=55", "F", "W0+3=??", "F", "D"}},
      {2, true, {"W0+3=AA", "F", "W0+3=55", "F", "W0+3=??", "F", "T0", "D"}},
      {7, true, {"T0", "D"}},  // an unknown method writes nothing, as method 0
  };
  for (const PassCase& c : cases) {
    SCOPED_TRACE("method " + std::to_string(c.method) + (c.trim ? " with trim" : ""));
    TempTree tree;
    std::wstring path = tree.WriteFile(L"victim.dat", "abc");
    Recorder recorder;
    TAmnesia amnesia = RecordingAmnesia(recorder);
    ShredResult result = amnesia.ShredFile(path, DeletionMethod(c.method), c.trim);
    EXPECT_EQ(result.outcome, ShredOutcome::Deleted);
    EXPECT_EQ(result.errorCode, 0u);
    ExpectSteps(recorder.steps, c.steps);
    EXPECT_FALSE(tree.Exists(L"victim.dat"));
    EXPECT_TRUE(ListFolder(tree.Root()).empty());
  }
}

TEST(AmnesiaTest, PassesReachTheFileItselfAndKeepItsSize) {
  // With the deletion refused, what the passes left is on disk to read.
  TempTree tree;
  std::wstring path = tree.WriteFile(L"kept.bin", "secret");
  Recorder recorder;
  recorder.failDelete = true;
  std::vector<std::string> seenOnDisk;
  recorder.afterFlush = [&](uint8_t) {
#ifndef _WIN32
    seenOnDisk.push_back(tree.ReadFile(L"kept.bin"));  // Windows allows no second reader
#endif
  };
  TAmnesia amnesia = RecordingAmnesia(recorder);
  ShredResult result = amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, false);
  EXPECT_EQ(result.outcome, ShredOutcome::Failed);
  EXPECT_EQ(result.errorCode, kErrorAccessDenied);
  ASSERT_EQ(recorder.passValues.size(), 3u);
  const std::string last(6, char(recorder.passValues[2]));
  EXPECT_EQ(tree.ReadFile(L"kept.bin"), last);
#ifndef _WIN32
  EXPECT_EQ(seenOnDisk, (std::vector<std::string>{std::string(6, '\xAA'), std::string(6, '\x55'), last}));
#endif
}

TEST(AmnesiaTest, LargeFileIsWrittenInBlocksOfOneMebibytePlusOne) {
  TempTree tree;
  const size_t block = TAmnesia::kBlockSize;
  std::wstring path = tree.WriteFile(L"large.bin", std::string(2 * block + 1, 'x'));
  Recorder recorder;
  recorder.failDelete = true;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.ShredFile(path, DeletionMethod::OnePassRandom, false);
  ExpectSteps(recorder.steps, {"W0+1048577=??", "W1048577+1048577=??", "W2097154+1=??", "F", "D"});
  ASSERT_FALSE(recorder.passValues.empty());
  EXPECT_EQ(tree.ReadFile(L"large.bin"), std::string(2 * block + 1, char(recorder.passValues[0])));
}

TEST(AmnesiaTest, EmptyFileGetsNoWritesAndIsDeleted) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"empty.txt");
  Recorder recorder;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  EXPECT_TRUE(amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, true).Deleted());
  for (const std::string& step : recorder.steps) EXPECT_NE(step[0], 'W') << step;
  EXPECT_FALSE(tree.Exists(L"empty.txt"));
}

TEST(AmnesiaTest, RandomValuesAndNamesStayInTheirRanges) {
  TAmnesia amnesia;
  std::set<int> values;
  for (int i = 0; i < 100000; ++i) values.insert(amnesia.RandomFillValue());
  EXPECT_EQ(values.size(), 255u);  // every value 0..254 comes ...
  EXPECT_EQ(*values.rbegin(), 254);  // ... and 255 never does

  const std::wstring alphabet = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz012345678";
  std::set<wchar_t> seen;
  std::set<std::wstring> names;
  for (int i = 0; i < 20000; ++i) {
    std::wstring name = amnesia.RandomName();
    ASSERT_EQ(name.size(), 20u);
    for (wchar_t c : name) {
      ASSERT_NE(alphabet.find(c), std::wstring::npos) << "unexpected character " << int(c);
      seen.insert(c);
    }
    names.insert(name);
  }
  EXPECT_EQ(seen.size(), alphabet.size());
  EXPECT_EQ(names.size(), 20000u) << "names made one after another must differ";
}

TEST(AmnesiaTest, ScrambledFileIsDeletedUnderRandomNameInSameFolder) {
  TempTree tree;
  tree.WriteFile(L"sub\\neighbour.txt", "stays");
  std::wstring path = tree.WriteFile(L"sub\\Report 2024.docx", "private");
  Recorder recorder;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.scrambleNames = true;
  EXPECT_TRUE(amnesia.ShredFile(path, DeletionMethod::OnePassRandom, true).Deleted());
  ExpectSteps(recorder.steps, {"R", "W0+7=??", "F", "T0", "D"});
  EXPECT_EQ(platform::FolderOf(recorder.pathAtDelete), platform::FolderOf(path));
  std::wstring name = platform::FileNameOf(recorder.pathAtDelete);
  EXPECT_EQ(name.size(), 20u);
  EXPECT_EQ(name.find_first_not_of(L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz012345678"), std::wstring::npos);
  EXPECT_EQ(ListFolder(tree.Path(L"sub")), std::vector<std::wstring>{L"neighbour.txt"});
  EXPECT_EQ(tree.ReadFile(L"sub\\neighbour.txt"), "stays");
}

TEST(AmnesiaTest, FailedDeletionAfterRenameGivesTheNameBack) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"locked.log", "data");
  Recorder recorder;
  recorder.failDelete = true;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.scrambleNames = true;
  ShredResult result = amnesia.ShredFile(path, DeletionMethod::Standard, false);
  EXPECT_EQ(result.outcome, ShredOutcome::Failed);
  EXPECT_EQ(result.errorCode, kErrorAccessDenied);
  ExpectSteps(recorder.steps, {"R", "D", "R"});
  EXPECT_EQ(ListFolder(tree.Root()), std::vector<std::wstring>{L"locked.log"});
  EXPECT_EQ(tree.ReadFile(L"locked.log"), "data");
}

TEST(AmnesiaTest, WriteErrorEndsTheShredAndReportsTheCode) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"full.bin", "12345");
  Recorder recorder;
  recorder.failWriteOfValue = 0x55;  // the second pass hits a full volume
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.scrambleNames = true;
  ShredResult result = amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, true);
  EXPECT_EQ(result.outcome, ShredOutcome::WriteError);
  EXPECT_EQ(result.errorCode, kErrorDiskFull);
  ExpectSteps(recorder.steps, {"R", "W0+5=AA", "F", "W0+5=55", "R"});  // no cut, no deletion
  EXPECT_EQ(ListFolder(tree.Root()), std::vector<std::wstring>{L"full.bin"});
  EXPECT_EQ(tree.ReadFile(L"full.bin"), std::string(5, '\xAA'));
}

TEST(AmnesiaTest, ReadOnlyHiddenSystemFileIsDeletedByEveryMethod) {
  struct Case {
    int method;
    bool trim;
  };
  for (Case c : {Case{0, false}, Case{0, true}, Case{1, true}, Case{2, true}}) {
    SCOPED_TRACE("method " + std::to_string(c.method) + (c.trim ? " with trim" : ""));
    TempTree tree;
    std::wstring path = tree.WriteFile(L"protected.sys", "guarded");
    MakeReadOnlyHiddenSystem(path);
    Recorder recorder;
    TAmnesia amnesia = RecordingAmnesia(recorder);
    amnesia.scrambleNames = c.method == 2;
    ShredResult result = amnesia.ShredFile(path, DeletionMethod(c.method), c.trim);
    EXPECT_TRUE(result.Deleted()) << "error " << result.errorCode << ", steps " << ::testing::PrintToString(recorder.steps);
    EXPECT_TRUE(ListFolder(tree.Root()).empty());
    if (c.trim)
      EXPECT_NE(recorder.steps.end(), std::find(recorder.steps.begin(), recorder.steps.end(), "T0")) << "content was cut";
    else
      EXPECT_EQ(recorder.steps, std::vector<std::string>{"D"}) << "the standard method only takes the name";
  }
}

TEST(AmnesiaTest, NothingToDeleteIsAFailureWithItsCode) {
  TempTree tree;
  tree.MakeFolder(L"folder");
  TAmnesia amnesia;
  // The standard method without a trim takes only names; the others open the content.
  for (bool content : {false, true}) {
    SCOPED_TRACE(content ? "content" : "name only");
    const int method = content ? 2 : 0;
    ShredResult missing = amnesia.ShredFile(tree.Path(L"missing.txt"), DeletionMethod(method), content);
    EXPECT_EQ(missing.outcome, ShredOutcome::Failed);
    EXPECT_EQ(missing.errorCode, kErrorFileNotFound);
    ShredResult folder = amnesia.ShredFile(tree.Path(L"folder"), DeletionMethod(method), content);
    EXPECT_EQ(folder.outcome, ShredOutcome::Failed);
    EXPECT_EQ(folder.errorCode, kErrorAccessDenied);
    EXPECT_EQ(ListFolder(tree.Root()), std::vector<std::wstring>{L"folder"});
  }
}

TEST(AmnesiaTest, PathInAnotherLetterCaseReachesTheFile) {
  for (int method : {0, 2}) {
    SCOPED_TRACE("method " + std::to_string(method));
    TempTree tree;
    tree.WriteFile(L"Cache\\Entry.DAT", "cached");
    tree.WriteFile(L"Cache\\Other.dat", "kept");
    TAmnesia amnesia;
    ShredResult result = amnesia.ShredFile(tree.Path(L"cache\\ENTRY.dat"), DeletionMethod(method), false);
    EXPECT_TRUE(result.Deleted()) << "error " << result.errorCode;
    EXPECT_EQ(ListFolder(tree.Path(L"Cache")), std::vector<std::wstring>{L"Other.dat"});
  }
}

TEST(AmnesiaTest, HardLinkedFileLosesOnlyThisName) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"a\\one.dat", "shared content");
  tree.MakeFolder(L"b");
  ASSERT_TRUE(MakeHardLink(path, tree.Path(L"b\\two.dat")));
  Recorder recorder;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  EXPECT_TRUE(amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, true).Deleted());
  EXPECT_EQ(recorder.steps, std::vector<std::string>{"D"});
  EXPECT_FALSE(tree.Exists(L"a\\one.dat"));
  EXPECT_EQ(tree.ReadFile(L"b\\two.dat"), "shared content");
}

TEST(AmnesiaTest, SymbolicLinkIsDeletedAsALinkAndItsTargetKeepsItsBytes) {
  TempTree tree;
  std::wstring target = tree.WriteFile(L"data\\precious.doc", "do not touch");
  tree.MakeFolder(L"cache");
  if (!MakeFileSymlink(target, tree.Path(L"cache\\link.tmp")))
    GTEST_SKIP() << "this system cannot make a symbolic link to a file (Wine without reparse point support)";
  Recorder recorder;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.scrambleNames = true;
  EXPECT_TRUE(amnesia.ShredFile(tree.Path(L"cache\\link.tmp"), DeletionMethod::ThreePassDoD, true).Deleted());
  ExpectSteps(recorder.steps, {"R", "D"});
  EXPECT_TRUE(ListFolder(tree.Path(L"cache")).empty());
  EXPECT_EQ(tree.ReadFile(L"data\\precious.doc"), "do not touch");
}

#ifdef _WIN32

TEST(AmnesiaTest, FileHeldOpenByAnotherProgramIsLeftWhole) {
  TempTree tree;
  std::wstring path = tree.WriteFile(L"busy.db", "in use");
  platform::Handle other(CreateFileW(NativePath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(other.Valid());
  Recorder recorder;
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.scrambleNames = true;
  ShredResult result = amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, true);
  other.Reset();
  EXPECT_EQ(result.outcome, ShredOutcome::Failed);
  EXPECT_EQ(result.errorCode, kErrorSharingViolation);
  EXPECT_TRUE(recorder.steps.empty()) << ::testing::PrintToString(recorder.steps);
  EXPECT_EQ(ListFolder(tree.Root()), std::vector<std::wstring>{L"busy.db"});
  EXPECT_EQ(tree.ReadFile(L"busy.db"), "in use");
}

#else

TEST(AmnesiaTest, DanglingSymbolicLinkIsDeleted) {
  TempTree tree;
  ASSERT_TRUE(MakeFileSymlink(tree.Path(L"gone.txt"), tree.Path(L"dangling.lnk")));
  TAmnesia amnesia;
  EXPECT_TRUE(amnesia.ShredFile(tree.Path(L"dangling.lnk"), DeletionMethod::ThreePassDoD, true).Deleted());
  EXPECT_TRUE(ListFolder(tree.Root()).empty());
}

// Writing into a hole allocates it: the passes cover the data only, so a
// sparse file never takes more room than it had.
TEST(AmnesiaTest, SparseFileIsOverwrittenWhereItHoldsDataOnly) {
  TempTree tree;
  constexpr off_t kHoleAt = 4 << 20;
  const std::wstring path = tree.WriteFile(L"sparse.bin");
  {
    const platform::Descriptor fd(open(NativePath(path).c_str(), O_WRONLY));
    ASSERT_TRUE(fd.Valid());
    const std::string data(4096, 'd');
    ASSERT_EQ(pwrite(fd.Get(), data.data(), data.size(), 0), ssize_t(data.size()));
    ASSERT_EQ(pwrite(fd.Get(), data.data(), data.size(), kHoleAt), ssize_t(data.size()));
    ASSERT_EQ(ftruncate(fd.Get(), 8 << 20), 0);
  }
  struct stat before;
  ASSERT_EQ(stat(NativePath(path).c_str(), &before), 0);
  if (off_t(before.st_blocks) * 512 >= 1 << 20) GTEST_SKIP() << "this file system keeps no holes";
  Recorder recorder;
  recorder.failDelete = true;  // keeps the file to look at
  TAmnesia amnesia = RecordingAmnesia(recorder);
  amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, false);
  ExpectSteps(recorder.steps, {"W0+4096=AA", "W4194304+4096=AA", "F", "W0+4096=55", "W4194304+4096=55", "F",
                               "W0+4096=??", "W4194304+4096=??", "F", "D"});
  struct stat after;
  ASSERT_EQ(stat(NativePath(path).c_str(), &after), 0);
  EXPECT_EQ(after.st_size, 8 << 20);
  EXPECT_EQ(after.st_blocks, before.st_blocks) << "no hole was filled";
  const std::string content = tree.ReadFile(L"sparse.bin");
  EXPECT_EQ(content.find('d'), std::string::npos) << "the data was overwritten";
  EXPECT_EQ(content.substr(4096, 4096), std::string(4096, '\0'));
}

TEST(AmnesiaTest, FilePlantedUnderTheNameMeanwhileIsNeverDeleted) {
  // Between the passes the name is taken over by another file; the deletion
  // must notice that the name no longer names the file it overwrote.
  TempTree tree;
  std::wstring path = tree.WriteFile(L"swap.txt", "original");
  Recorder recorder;
  bool swapped = false;
  recorder.afterFlush = [&](uint8_t) {
    if (swapped) return;
    swapped = true;
    ASSERT_EQ(rename(NativePath(path).c_str(), NativePath(tree.Path(L"moved.txt")).c_str()), 0);
    tree.WriteFile(L"swap.txt", "newcomer");
  };
  TAmnesia amnesia = RecordingAmnesia(recorder);
  ShredResult result = amnesia.ShredFile(path, DeletionMethod::ThreePassDoD, true);
  EXPECT_EQ(result.outcome, ShredOutcome::Failed);
  EXPECT_EQ(tree.ReadFile(L"swap.txt"), "newcomer");
  EXPECT_EQ(tree.ReadFile(L"moved.txt"), "") << "the passes and the cut went to the file that was opened";
}

#endif

}  // namespace
