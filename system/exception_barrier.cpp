#include "system/exception_barrier.h"

#include <string>

#include "system/log.h"

void LogUnexpectedError(TKLog* log, const wchar_t* where, const char* what) noexcept {
  try {
    std::wstring text = L"Unexpected error in ";
    text += where;
    if (what && *what) {
      text += L": ";
      // The message is ASCII in practice; any other byte keeps its value.
      for (const char* p = what; *p; ++p) text += wchar_t(static_cast<unsigned char>(*p));
    }
    LogAdd(log, text, kLogError);
  } catch (...) {
    // Out of memory while reporting: nothing more can be said.
  }
}
