// The Recycle method over a planted prefix: files go into the freedesktop
// trash as they are, with the .trashinfo a desktop restores them by, and a
// file that cannot be recycled stays under its own name whatever the move
// did to it.
#include "cleaning/recycle_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "cleaning/amnesia.h"
#include "cleaning/clean_thread.h"
#include "model/catalogue.h"
#include "model/review_list.h"
#include "platform/errors.h"
#include "platform/file_identity.h"
#include "platform/file_system.h"
#include "platform/posix/last_error.h"
#include "platform/posix/wine_prefix.h"
#include "platform/recycle_bin.h"
#include "platform/win_path.h"
#include "system/dispatcher.h"
#include "system/log.h"
#include "tests/support/planted_prefix.h"

namespace fs = std::filesystem;
using testsupport::planted::kLocal;

namespace {

std::string Native(const std::wstring& path) {
  std::string native;
  EXPECT_TRUE(platform::ToNativePath(path, native));
  return native;
}

std::string ReadAll(const std::string& native) {
  std::ifstream in(native, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::set<std::string> Entries(const std::string& folder) {
  std::set<std::string> names;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) names.insert(e.path().filename().string());
  return names;
}

class Recycle : public ::testing::Test {
 protected:
  std::wstring Plant(const std::wstring& path, const std::string& bytes, const std::wstring& caption = L"Temporary Files") {
    prefix.Plant(path, bytes);
    platform::FileIdentity identity;
    EXPECT_TRUE(platform::QueryFileIdentity(path, identity));
    list.Add(caption, path, L"", identity);
    return path;
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
    options.trim = true;  // neither the trim nor scrambled names apply to a file put into the bin
    amnesia.scrambleNames = true;
    return TCleanThd::Execute(host, options);
  }

  std::vector<std::wstring> Messages() const {
    std::vector<std::wstring> out;
    const std::vector<std::wstring> lines = log.Lines();
    for (auto it = lines.rbegin(); it != lines.rend(); ++it) out.push_back(it->substr(it->rfind(L'\t') + 1));
    return out;
  }

  std::string Trash(const std::string& part) const { return prefix.Root() + "/xdg/Trash/" + part; }

  testsupport::PlantedPrefix prefix;
  InlineDispatcher dispatcher;
  TKLog log{L"", 10000, false};
  ReviewList list;
  TAmnesia amnesia;
  CleanHost host;
  std::vector<std::pair<std::wstring, RowOutcome>> outcomes;
};

TEST_F(Recycle, FilesGoIntoTheTrashAsTheyAreAfterTheBinIsEmptied) {
  prefix.PutInRecycleBin("older", 10);
  const std::wstring odd = Plant(kLocal + L"Temp\\r\u00e9sum\u00e9 50%.tmp", "first");
  const std::wstring a = Plant(kLocal + L"Temp\\same.log", "second");
  const std::wstring b = Plant(kLocal + L"Other\\same.log", "third");
  // The bin's row sorted last still goes first: emptying the bin after the
  // moves would destroy them.
  list.Add(kRecycleBinCaption, L"", L"");

  EXPECT_EQ(Clean(), 10u);  // files in the bin still take their room

  EXPECT_EQ(Entries(Trash("files")), (std::set<std::string>{"r\u00e9sum\u00e9 50%.tmp", "same.log", "same.2.log"}));
  EXPECT_EQ(ReadAll(Trash("files/r\u00e9sum\u00e9 50%.tmp")), "first");
  EXPECT_EQ(ReadAll(Trash("files/same.log")), "second");
  EXPECT_EQ(ReadAll(Trash("files/same.2.log")), "third");
  const std::regex info(
      "\\[Trash Info\\]\nPath=([^\n]*)\nDeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\n");
  const std::pair<std::string, std::wstring> expected[] = {
      {"r\u00e9sum\u00e9 50%.tmp", odd}, {"same.log", a}, {"same.2.log", b}};
  for (const auto& [name, original] : expected) {
    std::smatch m;
    const std::string text = ReadAll(Trash("info/" + name + ".trashinfo"));
    ASSERT_TRUE(std::regex_match(text, m, info)) << text;
    const std::string path = fs::canonical(fs::path(Native(original)).parent_path()).string() + "/";
    std::string encoded = m[1];
    EXPECT_EQ(encoded.substr(0, path.size()), path) << encoded;
    if (name[0] == 'r') EXPECT_EQ(encoded.substr(path.size()), "r%C3%A9sum%C3%A9%2050%25.tmp");
    else EXPECT_EQ(encoded.substr(path.size()), "same.log");
  }
  for (const std::wstring& path : {odd, a, b}) EXPECT_FALSE(platform::WideFileExists(path));
  EXPECT_EQ(Entries(fs::path(Native(a)).parent_path()), std::set<std::string>{});  // no second name left
  EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 4 items to be deleted",
                                                   L"Deletion of : " + odd + L" [SUCCESS]",
                                                   L"Deletion of : " + a + L" [SUCCESS]",
                                                   L"Deletion of : " + b + L" [SUCCESS]",
                                                   L"Pass 2 : 0 items to be deleted"}));
  EXPECT_EQ(outcomes.front(), std::make_pair(std::wstring(kRecycleBinCaption), RowOutcome::Deleted));
  EXPECT_EQ(outcomes.back(), std::make_pair(b, RowOutcome::Recycled));
  EXPECT_EQ(list.Count(), 0u);
}

// What the Windows shell does with a file it cannot recycle (no bin on the
// drive, too large for it) is delete it for good; the file must survive that.
// Wine's one trash takes a file from another device as a copy: that is a
// recycled file, and no second copy may stay behind.
TEST_F(Recycle, AFileTheMoveCannotRecycleStaysUnderItsOwnName) {
  struct Case {
    const char* what;
    RecycleMove move;
    uint32_t error;  // 0: recycled
  };
  const std::string trash = Trash("");
  const Case cases[] = {
      {"deleted for good", [](const std::wstring& path) { return platform::DeleteFileAt(path); },
       platform::kErrorNotSupported},
      {"refused", [](const std::wstring&) { return platform::FailWith(platform::kErrorSharingViolation); },
       platform::kErrorSharingViolation},
      {"refused after deleting", [](const std::wstring& path) {
         platform::DeleteFileAt(path);
         return platform::FailWith(platform::kErrorDiskFull);
       }, platform::kErrorDiskFull},
      {"copied into the bin", [trash](const std::wstring& path) {
         fs::copy_file(Native(path), trash + "files/big.iso");
         std::ofstream(trash + "info/big.iso.trashinfo") << "[Trash Info]\nPath=/x\nDeletionDate=2026-01-01T00:00:00\n";
         return platform::DeleteFileAt(path);
       }, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    list.Clear();
    log.Clear();
    outcomes.clear();
    const std::wstring path = Plant(kLocal + L"Temp\\big.iso", "keep me");
    host.recycleMove = c.move;
    EXPECT_EQ(Clean(), 0u);
    const std::string folder = fs::path(Native(path)).parent_path();
    if (c.error == 0) {
      EXPECT_EQ(Entries(folder), std::set<std::string>{});
      EXPECT_EQ(ReadAll(trash + "files/big.iso"), "keep me");
      EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{path, RowOutcome::Recycled}}));
      continue;
    }
    EXPECT_EQ(ReadAll(Native(path)), "keep me");
    EXPECT_EQ(Entries(folder), std::set<std::string>{"big.iso"});
    EXPECT_EQ(Messages(), (std::vector<std::wstring>{L"Pass 1 : 1 items to be deleted",
                                                     L"Deletion of : " + path + L" [FAILED] - Error " +
                                                         std::to_wstring(c.error)}));
    EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{path, RowOutcome::Failed}}));
    EXPECT_EQ(list.Count(), 1u);
  }
}

// Another file under the found name, or the found file reached through a
// link now, is left alone and nothing goes into the bin.
TEST_F(Recycle, OnlyTheFileThatWasFoundIsMoved) {
  const std::wstring replaced = Plant(kLocal + L"Temp\\a.tmp", "found");
  // Kept elsewhere, so that the new file cannot get its inode.
  fs::rename(Native(replaced), Native(kLocal + L"a.old"));
  prefix.Plant(replaced, "written since");

  const std::wstring viaLink = Plant(kLocal + L"Cache\\b.tmp", "found too");
  const std::string cache = Native(kLocal + L"Cache");
  fs::rename(cache, cache + "-moved");
  fs::create_directory_symlink(cache + "-moved", cache);

  Clean();
  EXPECT_EQ(ReadAll(Native(replaced)), "written since");
  EXPECT_EQ(ReadAll(cache + "-moved/b.tmp"), "found too");
  EXPECT_TRUE(Entries(Trash("files")).empty());
  EXPECT_EQ(outcomes, (std::vector<std::pair<std::wstring, RowOutcome>>{{replaced, RowOutcome::Skipped},
                                                                         {viaLink, RowOutcome::Skipped}}));
}

TEST_F(Recycle, ALinkGoesIntoTheTrashAsItself) {
  prefix.Plant(kLocal + L"target.txt", "target");
  const std::string link = Native(kLocal + L"Temp\\link.tmp");
  fs::create_directories(fs::path(link).parent_path());
  fs::create_symlink(Native(kLocal + L"target.txt"), link);
  ASSERT_TRUE(platform::MoveToRecycleBin(kLocal + L"Temp\\link.tmp"));
  EXPECT_TRUE(fs::is_symlink(Trash("files/link.tmp")));
  EXPECT_EQ(ReadAll(Native(kLocal + L"target.txt")), "target");
}

// The trash cannot take a file by renaming it across devices; copying it and
// deleting the original is not a move the user can undo as they expect.
TEST_F(Recycle, TheTrashRefusesWhatItCannotTakeAndMovesNothing) {
  const std::wstring file = prefix.Plant(kLocal + L"Temp\\x.tmp", "x");
  const std::string trash = prefix.Root() + "/xdg/Trash";
  const std::string elsewhere = prefix.Root() + "/elsewhere";
  fs::create_directories(elsewhere);
  fs::remove_all(trash);
  fs::create_directory_symlink(elsewhere, trash);
  EXPECT_FALSE(platform::MoveToRecycleBin(file));
  EXPECT_TRUE(Entries(elsewhere).empty());
  EXPECT_EQ(ReadAll(Native(file)), "x");
  fs::remove(trash);

  struct stat shm, here;
  if (stat("/dev/shm", &shm) != 0 || stat(prefix.Root().c_str(), &here) != 0 || shm.st_dev == here.st_dev ||
      access("/dev/shm", W_OK) != 0)
    GTEST_SKIP() << "no second device to put a file on";
  char tmpl[] = "/dev/shm/purgello-recycle-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string other = std::string(tmpl) + "/y.tmp";
  std::ofstream(other) << "y";
  EXPECT_FALSE(platform::MoveToRecycleBin(platform::FromNativePath(other)));
  EXPECT_EQ(platform::LastErrorCode(), platform::kErrorNotSameDevice);
  EXPECT_EQ(ReadAll(other), "y");
  EXPECT_TRUE(Entries(prefix.Root() + "/xdg/Trash/info").empty());
  fs::remove_all(tmpl);
}

}  // namespace
