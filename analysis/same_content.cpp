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

int SameContent(const std::wstring& first, const std::wstring& second, std::wstring* unreadable) {
  auto fail = [unreadable](const std::wstring& path) {
    if (unreadable) *unreadable = path;
    return 3;
  };
  if (unreadable) unreadable->clear();
  if (!platform::WideFileExists(first) || !platform::WideFileExists(second)) return 3;
  platform::FileReader a(first);
  if (!a.IsOpen()) return fail(first);
  platform::FileReader b(second);
  if (!b.IsOpen()) return fail(second);
  const uint64_t sizeA = a.Size(), sizeB = b.Size();
  uint64_t left = sizeA < sizeB ? sizeA : sizeB;
  std::vector<char> bufA(kBlock), bufB(kBlock);
  while (left > 0) {
    size_t want = left < kBlock ? static_cast<size_t>(left) : kBlock;
    if (ReadFull(a, bufA.data(), want) != static_cast<int64_t>(want)) return fail(first);
    if (ReadFull(b, bufB.data(), want) != static_cast<int64_t>(want)) return fail(second);
    if (std::memcmp(bufA.data(), bufB.data(), want) != 0) return 3;
    left -= want;
  }
  if (sizeA == sizeB) return 0;
  return sizeA < sizeB ? 1 : 2;
}
