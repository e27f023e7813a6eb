#include "analysis/same_content.h"

#include <cstring>
#include <vector>

#include "platform/file_system.h"

namespace {

constexpr size_t kBlock = 32768;

// Fills the buffer unless the file ends first; -1 on a read error.
int64_t ReadFull(platform::FileReader& file, char* buffer, size_t count) {
  size_t got = 0;
  while (got < count) {
    int64_t n = file.Read(buffer + got, count - got);
    if (n < 0) return -1;
    if (n == 0) break;
    got += static_cast<size_t>(n);
  }
  return static_cast<int64_t>(got);
}

}  // namespace

int SameContent(const std::wstring& first, const std::wstring& second, bool* failed) {
  if (failed) *failed = false;
  if (!platform::WideFileExists(first) || !platform::WideFileExists(second)) return 3;
  platform::FileReader a(first), b(second);
  if (!a.IsOpen() || !b.IsOpen()) {
    if (failed) *failed = true;
    return 3;
  }
  const uint64_t sizeA = a.Size(), sizeB = b.Size();
  uint64_t left = sizeA < sizeB ? sizeA : sizeB;
  std::vector<char> bufA(kBlock), bufB(kBlock);
  while (left > 0) {
    size_t want = left < kBlock ? static_cast<size_t>(left) : kBlock;
    int64_t gotA = ReadFull(a, bufA.data(), want);
    int64_t gotB = ReadFull(b, bufB.data(), want);
    if (gotA != static_cast<int64_t>(want) || gotB != static_cast<int64_t>(want)) {
      if (failed) *failed = true;
      return 3;
    }
    if (std::memcmp(bufA.data(), bufB.data(), want) != 0) return 3;
    left -= want;
  }
  if (sizeA == sizeB) return 0;
  return sizeA < sizeB ? 1 : 2;
}
