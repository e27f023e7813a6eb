#include "platform/shell.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/support/temp_tree.h"

namespace {

// Puts a fake xdg-open first on PATH (or none at all) for one test, so no real
// viewer is ever started.
class FakeOpenerPath {
 public:
  explicit FakeOpenerPath(const std::string& folder) : saved_(getenv("PATH") ? getenv("PATH") : "") {
    setenv("PATH", folder.c_str(), 1);
  }
  ~FakeOpenerPath() { setenv("PATH", saved_.c_str(), 1); }

 private:
  std::string saved_;
};

std::string WaitForFile(const std::string& path) {
  for (int i = 0; i < 500; ++i) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    if (text.str().find("END\n") != std::string::npos) return text.str();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return std::string();
}

TEST(PosixShellTest, OpensTheMappedPathAsOneUninterpretedArgument) {
  testsupport::TempTree tree;
  tree.MakeFolder(L"bin");
  const std::string record = testsupport::NativePath(tree.Path(L"record.txt"));
  const std::string script = testsupport::NativePath(tree.Path(L"bin\\xdg-open"));
  {
    std::ofstream out(script);
    out << "#!/bin/sh\nprintf '%s\\n' \"$#\" \"$1\" END > '" << record << "'\n";
  }
  chmod(script.c_str(), 0755);
  FakeOpenerPath path(testsupport::NativePath(tree.Path(L"bin")));

  const std::wstring target = tree.Path(L"a b;$(touch x)`id`.log");
  ASSERT_TRUE(platform::ShellOpen(target));
  EXPECT_EQ(WaitForFile(record), "1\n" + testsupport::NativePath(target) + "\nEND\n");

  std::remove(record.c_str());
  ASSERT_TRUE(platform::ShellOpen(nullptr, L"https://example.invalid/page?a=1&b=2", L""));
  EXPECT_EQ(WaitForFile(record), "1\nhttps://example.invalid/page?a=1&b=2\nEND\n");

  // Text that the opener would read as an option, and parameters it cannot pass on.
  EXPECT_FALSE(platform::ShellOpen(L"--help"));
  EXPECT_FALSE(platform::ShellOpen(nullptr, target, L"/S"));
}

TEST(PosixShellTest, NoOpenerMeansFalse) {
  testsupport::TempTree tree;
  tree.MakeFolder(L"empty");
  FakeOpenerPath path(testsupport::NativePath(tree.Path(L"empty")));
  EXPECT_FALSE(platform::ShellOpen(tree.Path(L"a.log")));
}

TEST(PosixShellTest, NoWindowTitles) {
  std::vector<std::wstring> titles = {L"stale"};
  platform::TopLevelWindowTitles(titles);
  EXPECT_TRUE(titles.empty());
}

}  // namespace
