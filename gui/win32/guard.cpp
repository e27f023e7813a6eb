#include "gui/win32/guard.h"

namespace gui {

namespace {

// GUI thread only.
TKLog* windowProcedureLog = nullptr;

}  // namespace

void SetWindowProcedureLog(TKLog* log) { windowProcedureLog = log; }
TKLog* WindowProcedureLog() { return windowProcedureLog; }

}  // namespace gui
