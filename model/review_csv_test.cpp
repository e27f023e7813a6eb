// The review list as CSV, read back by Python's csv module (what spreadsheets
// and scripts will do with it), and a write that fails half-way leaving the
// file that was there.
#include "model/review_csv.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "model/catalogue.h"
#include "model/review_list.h"
#include "platform/text_codec.h"
#include "tests/support/planted_prefix.h"
#include "tests/support/temp_tree.h"

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

// Python's reading of the file: fields joined by U+001F, records ended by U+001E.
std::string ReadByPython(const std::string& path) {
  const std::string command =
      "python3 -c \"import csv,sys\n"
      "with open(sys.argv[1], newline='', encoding='utf-8-sig') as f:\n"
      "  for r in csv.reader(f): sys.stdout.buffer.write(('\\x1f'.join(r) + '\\x1e').encode('utf-8'))\" '" +
      path + "'";
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return out;
  char buffer[4096];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  EXPECT_EQ(pclose(pipe), 0) << out;
  return out;
}

TEST(ReviewCsv, PythonReadsBackWhatTheListHolds) {
  testsupport::PlantedPrefix prefix;  // its Recycle Bin
  prefix.PutInRecycleBin("binned", 42);
  testsupport::TempTree tree;
  std::wstring deep = L"d";
  while (deep.size() < 280) deep += L"\\folder-with-a-long-name";
  // Windows names hold no quotes; captions may.
  const std::pair<const wchar_t*, std::wstring> rows[] = {
      {L"Temporary Files", L"a,b.tmp"},
      {L"Say \"hi\", \"\"twice\"\"", L"it's, twice.tmp"},
      {L"Temporary Files", L"\u00fcn\u00ef \u00e7\u00f8d\u00e9 \u2713 \u6587.tmp"},
      {L"Temporary Files", deep + L"\\leaf.tmp"}};
  ReviewList list;
  list.Add(kRecycleBinCaption, L"", L"");
  size_t size = 1;
  for (const auto& [caption, name] : rows) list.Add(caption, tree.WriteFile(name, std::string(size++, 'x')), L"");
  list.Add(L"Spybot Search && Destroy Update Cache", tree.Path(L"gone.tmp"), L"");
  list.SetChecked(2, false);
  ASSERT_GT(list.At(4).path.size(), 260u);

  const std::wstring target = tree.Path(L"list.csv");
  ASSERT_TRUE(SaveReviewListCsv(target, list));
  const std::string bytes = ReadAll(testsupport::NativePath(target));
  EXPECT_EQ(bytes.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");

  std::wstring expected;
  const wchar_t* const sizes[] = {L"42", L"1", L"2", L"3", L"4", L"0"};
  for (size_t i = 0; i < list.Count(); ++i)
    expected += list.At(i).caption + L"\x1f" + list.At(i).path + L"\x1f" + sizes[i] + L"\x1f" +
                (list.Checked(i) ? L"1" : L"0") + L"\x1e";
  EXPECT_EQ(ReadByPython(testsupport::NativePath(target)), platform::ToUtf8(expected));
}

TEST(ReviewCsv, FieldsAreQuotedOnlyWhenTheyMustBe) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"plain", L"plain"},        {L"a,b", L"\"a,b\""},       {L"say \"x\"", L"\"say \"\"x\"\"\""},
      {L"two\r\nlines", L"\"two\r\nlines\""}, {L"", L""},     {L" padded ", L" padded "},
  };
  for (const auto& [text, field] : cases) EXPECT_EQ(CsvField(text), field) << text;
  EXPECT_EQ(CsvRecord(L"Recycle Bin", L"", 0, false), L"Recycle Bin,,0,0\r\n");
}

// A write cut short (here by a file size limit, as by a full disk) leaves the
// file that was there and no temporary file beside it.
TEST(ReviewCsv, AFailedWriteLeavesTheOldFile) {
  testsupport::TempTree tree;
  ReviewList list;
  for (int i = 0; i < 200; ++i) list.Add(L"Temporary Files", tree.Path(L"file-" + std::to_wstring(i) + L".tmp"), L"");
  const std::wstring target = tree.WriteFile(L"out\\list.csv", "the list saved before");
  const std::string folder = testsupport::NativePath(tree.Path(L"out"));

  const pid_t child = fork();
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const rlimit limit{1024, 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    _exit(SaveReviewListCsv(target, list) ? 1 : 0);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the save reported success";
  EXPECT_EQ(ReadAll(folder + "/list.csv"), "the list saved before");
  std::vector<std::string> entries;
  for (const auto& e : fs::directory_iterator(folder)) entries.push_back(e.path().filename().string());
  EXPECT_EQ(entries, std::vector<std::string>{"list.csv"});

  // Without the limit the same list replaces it whole.
  ASSERT_TRUE(SaveReviewListCsv(target, list));
  EXPECT_EQ(ReadAll(folder + "/list.csv").size(), platform::ToUtf8(ReviewListCsv(list)).size());
  EXPECT_FALSE(SaveReviewListCsv(tree.Path(L"missing\\list.csv"), list));
}

}  // namespace
