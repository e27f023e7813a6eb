// Every input kept in fuzz/corpus (the seeds and the findings made regression
// cases) through its harness, without libFuzzer: a harness aborts on a
// violated check, which ends this test program.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/harnesses.h"

namespace {

TEST(FuzzCorpus, EveryKeptInputPassesItsHarness) {
  for (const FuzzHarness& harness : kFuzzHarnesses) {
    const std::filesystem::path folder = std::filesystem::path(PURGELLO_FUZZ_CORPUS) / harness.name;
    size_t inputs = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
      std::ifstream in(entry.path(), std::ios::binary);
      const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      SCOPED_TRACE(entry.path().string());
      EXPECT_EQ(harness.run(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 0);
      ++inputs;
    }
    EXPECT_GT(inputs, 0u) << "no seed for " << harness.name;
  }
}

}  // namespace
