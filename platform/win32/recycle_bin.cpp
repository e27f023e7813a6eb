// The Recycle Bins of all drives, through the shell's query.
#include "platform/recycle_bin.h"

#include <windows.h>
#include <shellapi.h>

namespace platform {
namespace {

// The shell's published layout: packed (20 bytes) for 32-bit programs,
// naturally aligned for 64-bit ones.
static_assert(sizeof(SHQUERYRBINFO) == (sizeof(void*) == 4 ? 20 : 24), "SHQUERYRBINFO layout");

bool Query(SHQUERYRBINFO& info) {
  info = SHQUERYRBINFO{};
  info.cbSize = sizeof info;
  return SUCCEEDED(SHQueryRecycleBinW(nullptr, &info));
}

}  // namespace

uint64_t RecycleBinItemCount() {
  SHQUERYRBINFO info;
  return Query(info) ? uint64_t(info.i64NumItems) : 0;
}

uint64_t RecycleBinSize() {
  SHQUERYRBINFO info;
  return Query(info) ? uint64_t(info.i64Size) : 0;
}

}  // namespace platform
