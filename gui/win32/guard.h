// The barrier around every window procedure of the toolkit: an exception must
// never unwind through user32. It is stopped here and logged (see
// system/exception_barrier.h); the message is answered with the fallback.
#pragma once

#include <windows.h>

#include "system/exception_barrier.h"

namespace gui {

// The log window procedures report to; none until the program has its log.
void SetWindowProcedureLog(TKLog* log);
TKLog* WindowProcedureLog();

template <class F>
LRESULT Guarded(F&& f, LRESULT fallback = 0) noexcept {
  LRESULT result = fallback;
  RunGuarded(WindowProcedureLog(), L"a window procedure", [&] { result = f(); });
  return result;
}

}  // namespace gui
