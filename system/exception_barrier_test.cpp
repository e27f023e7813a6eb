#include "system/exception_barrier.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "system/log.h"
#include "tests/support/fake_clock.h"
#include "tests/support/temp_tree.h"

namespace {

TEST(ExceptionBarrier, CatchesEveryExceptionAndLogsItAsAnError) {
  struct Case {
    std::function<void()> body;
    bool returned;
    std::vector<std::wstring> lines;
  };
  const std::wstring stamp = L"\t[26-03-14 09:05:07]\t";
  const Case cases[] = {
      {[] {}, true, {}},
      {[] { throw std::runtime_error("disk gone"); }, false, {L"Error" + stamp + L"Unexpected error in the analysis: disk gone"}},
      {[] { throw 42; }, false, {L"Error" + stamp + L"Unexpected error in the analysis"}},
  };
  testsupport::TempTree tree;
  testsupport::FakeClock clock;
  for (const Case& c : cases) {
    TKLog log(tree.Path(L"barrier.log"), 100, false, clock);
    EXPECT_EQ(RunGuarded(&log, L"the analysis", c.body), c.returned);
    EXPECT_EQ(log.Lines(), c.lines);
  }
  // Without a log the exception is still stopped.
  EXPECT_FALSE(RunGuarded(nullptr, L"the analysis", [] { throw std::logic_error("x"); }));
}

}  // namespace
