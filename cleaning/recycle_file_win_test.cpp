// The Recycle method on the real shell: under Wine the Recycle Bin is the
// freedesktop trash of XDG_DATA_HOME (the test runner gives every run its own).
// The shell deletes for good what it cannot recycle; such a file must stay.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaning/amnesia.h"
#include "cleaning/clean_thread.h"
#include "model/review_list.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/recycle_bin.h"
#include "platform/win32/system_path.h"
#include "platform/win_path.h"
#include "system/dispatcher.h"
#include "system/log.h"
#include "tests/support/temp_tree.h"

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 32768);
  return n ? std::wstring(buffer, n) : std::wstring();
}

// A Linux folder as Wine shows it, through drive Z.
std::wstring ThroughZ(const std::wstring& linuxPath) {
  std::wstring path = L"Z:" + linuxPath;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return path;
}

std::vector<std::wstring> Entries(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  return names;
}

std::string ReadAll(const std::wstring& path) {
  std::string bytes;
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return bytes;
  char buffer[4096];
  DWORD n = 0;
  while (ReadFile(h, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
  CloseHandle(h);
  return bytes;
}

void Write(const std::wstring& path, const std::string& bytes) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD n = 0;
  WriteFile(h, bytes.data(), DWORD(bytes.size()), &n, nullptr);
  CloseHandle(h);
}

class ShellRecycle : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::wstring data = Env(L"XDG_DATA_HOME");
    ASSERT_EQ(data.substr(0, 1), L"/") << "the test runner gives every run its own XDG_DATA_HOME";
    trash = ThroughZ(data + L"/Trash");
  }

  void AddRow(const std::wstring& path) {
    platform::FileIdentity identity;
    ASSERT_TRUE(platform::QueryFileIdentity(path, identity));
    list.Add(L"Temporary Files", path, L"", identity);
  }

  uint64_t Clean() {
    host.dispatcher = &dispatcher;
    host.log = &log;
    host.list = &list;
    host.amnesia = &amnesia;
    host.rowHandled = [&](size_t, const std::wstring& label, RowOutcome outcome) { outcomes.emplace_back(label, outcome); };
    CleanOptions options;
    options.logDeletions = true;
    options.method = DeletionMethod::Recycle;
    return TCleanThd::Execute(host, options);
  }

  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> out;
    const std::vector<std::wstring> lines = log.Lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) out.push_back(it->substr(it->rfind(L'\t') + 1));
    return out;
  }

  std::wstring trash;
  testsupport::TempTree tree;
  InlineDispatcher dispatcher;
  TKLog log{L"", 10000, false};
  ReviewList list;
  TAmnesia amnesia;
  CleanHost host;
  std::vector<std::pair<std::wstring, RowOutcome>> outcomes;
};

TEST_F(ShellRecycle, AFileGoesIntoWinesTrashWithItsOriginalPath) {
  const std::wstring file = tree.WriteFile(L"a b.txt", "content");
  const std::wstring readOnly = tree.WriteFile(L"read-only.txt", "kept as it was");
  ASSERT_TRUE(SetFileAttributesW(readOnly.c_str(), FILE_ATTRIBUTE_READONLY));
  AddRow(file);
  AddRow(readOnly);
  EXPECT_EQ(Clean(), 0u);
  EXPECT_FALSE(tree.Exists(L"a b.txt"));
  EXPECT_TRUE(Entries(tree.Root()).empty());  // no second name left behind
  std::vector<std::wstring> trashed = Entries(trash + L"\\files");
  std::sort(trashed.begin(), trashed.end());
  EXPECT_EQ(trashed, (std::vector<std::wstring>{L"a b.txt", L"read-only.txt"}));
  const DWORD attributes = GetFileAttributesW((trash + L"\\files\\read-only.txt").c_str());
  EXPECT_TRUE(attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) << attributes;
  EXPECT_EQ(ReadAll(trash + L"\\files\\a b.txt"), "content");
  const std::string info = ReadAll(trash + L"\\info\\a b.txt.trashinfo");
  // The Linux path the file had, as the desktop's trash restores it.
  const std::wstring folderName = tree.Root().substr(tree.Root().rfind(L'\\') + 1);
  const std::string tail = "/" + std::string(folderName.begin(), folderName.end()) + "/a%20b.txt\n";
  EXPECT_EQ(info.rfind("[Trash Info]\nPath=/", 0), 0u) << info;
  EXPECT_NE(info.find(tail), std::string::npos) << info;
  EXPECT_NE(info.find("\nDeletionDate="), std::string::npos) << info;
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 2 items to be deleted",
                                                   L"Deletion of : " + file + L" [SUCCESS]",
                                                   L"Deletion of : " + readOnly + L" [SUCCESS]",
                                                   L"Pass 2 : 0 items to be deleted"}));
  EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{file, RowOutcome::Recycled},
                                                                         {readOnly, RowOutcome::Recycled}}));
  EXPECT_EQ(list.Count(), 0u);
}

// Without a trash Wine's shell deletes the file for good, as Windows does on a
// drive without a bin: here the file must stay, reported failed.
TEST_F(ShellRecycle, AFileTheShellCannotRecycleStaysAndFails) {
  const std::wstring file = tree.WriteFile(L"big.iso", "keep me");
  AddRow(file);
  struct NoTrash {
    std::wstring trash;
    bool moved = MoveFileW(trash.c_str(), (trash + L".aside").c_str()) != 0;
    ~NoTrash() {
      DeleteFileW(trash.c_str());
      if (moved) MoveFileW((trash + L".aside").c_str(), trash.c_str());
    }
  } noTrash{trash};
  Write(trash, "a file where the trash folder would be");
  Clean();
  EXPECT_EQ(ReadAll(file), "keep me");
  EXPECT_EQ(Entries(tree.Root()), std::vector<std::wstring>{L"big.iso"});
  ASSERT_EQ(outcomes.size(), 1u);
  EXPECT_EQ(outcomes[0], std::make_pair(file, RowOutcome::Failed));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].rfind(L"Deletion of : " + file + L" [FAILED] - Error ", 0), 0u) << Messages()[1];
  EXPECT_EQ(list.Count(), 1u);
}

// The shell's file operation takes paths of fewer than MAX_PATH characters:
// it is never handed a longer one, which it might cut to a path naming
// another file. Planted: a file with a longer path (made through the
// long-path prefix), and a decoy named by its path cut to MAX_PATH - 1.
struct LongPathFiles {
  explicit LongPathFiles(testsupport::TempTree& tree) {
    std::wstring folder;
    while (tree.Root().size() + folder.size() < 230) folder += std::wstring(40, L'd') + L"\\";
    file = tree.WriteFile(folder + std::wstring(60, L'n') + L".tmp", "long");
    const std::wstring cut = file.substr(0, MAX_PATH - 1);
    decoy = tree.WriteFile(folder + cut.substr(platform::FolderOf(file).size()), "decoy");
  }
  std::string Read(const std::wstring& path) const { return ReadAll(platform::SystemPath(path)); }
  std::vector<std::wstring> Left() const {
    std::vector<std::wstring> names = Entries(platform::SystemPath(platform::WithoutTrailingBackslash(platform::FolderOf(file))));
    std::sort(names.begin(), names.end());
    return names;
  }
  std::vector<std::wstring> Planted() const {
    return {decoy.substr(decoy.rfind(L'\\') + 1), file.substr(file.rfind(L'\\') + 1)};
  }
  std::wstring file, decoy;
};

TEST_F(ShellRecycle, APathLongerThanMaxPathIsNotHandedToTheShell) {
  const LongPathFiles planted(tree);
  ASSERT_GT(planted.file.size(), size_t(MAX_PATH));
  ASSERT_EQ(planted.Read(planted.decoy), "decoy");
  const std::vector<std::wstring> trashed = Entries(trash + L"\\files");
  EXPECT_FALSE(platform::MoveToRecycleBin(planted.file));
  EXPECT_EQ(GetLastError(), DWORD(ERROR_FILENAME_EXCED_RANGE));
  EXPECT_EQ(planted.Read(planted.file), "long");
  EXPECT_EQ(planted.Read(planted.decoy), "decoy");
  EXPECT_EQ(planted.Left(), planted.Planted());
  EXPECT_EQ(Entries(trash + L"\\files"), trashed);
}

TEST_F(ShellRecycle, AFoundFileWithAPathLongerThanMaxPathStaysAndFails) {
  const LongPathFiles planted(tree);
  // Wine names no handle's final path beyond MAX_PATH, so the row may have no identity.
  platform::FileIdentity identity;
  platform::QueryFileIdentity(planted.file, identity);
  list.Add(L"Temporary Files", planted.file, L"", identity);
  const std::vector<std::wstring> trashed = Entries(trash + L"\\files");
  Clean();
  EXPECT_EQ(planted.Read(planted.file), "long");
  EXPECT_EQ(planted.Read(planted.decoy), "decoy");
  EXPECT_EQ(planted.Left(), planted.Planted());  // no second name left behind
  EXPECT_EQ(Entries(trash + L"\\files"), trashed);
  EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{planted.file, RowOutcome::Failed}}));
  ASSERT_EQ(Messages().size(), 2u);
  EXPECT_EQ(Messages()[1].rfind(L"Deletion of : " + planted.file + L" [FAILED] - Error ", 0), 0u) << Messages()[1];
  EXPECT_EQ(list.Count(), 1u);
}

// Wine's one trash takes a file from another device as a copy: recycled, and
// no second copy stays where it was.
TEST_F(ShellRecycle, AFileFromAnotherDeviceIsRecycledOnce) {
  // Named after the test's own folder: Wine's process ids repeat from run to run.
  const std::wstring folder = L"Z:\\dev\\shm\\" + tree.Root().substr(tree.Root().rfind(L'\\') + 1);
  if (!CreateDirectoryW(folder.c_str(), nullptr)) GTEST_SKIP() << "no /dev/shm to put a file on";
  struct Removed {
    std::wstring folder;
    ~Removed() {
      for (const std::wstring& name : Entries(folder)) DeleteFileW((folder + L"\\" + name).c_str());
      RemoveDirectoryW(folder.c_str());
    }
  } removed{folder};
  const std::wstring file = folder + L"\\other.iso";
  Write(file, "moved");
  AddRow(file);
  Clean();
  EXPECT_TRUE(Entries(folder).empty());
  EXPECT_EQ(ReadAll(trash + L"\\files\\other.iso"), "moved");
  EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{file, RowOutcome::Recycled}}));
}

}  // namespace
