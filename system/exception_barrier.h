// The catch-all barrier for code the system calls into: a window procedure and
// a thread's entry. An exception must never unwind through user32 (its frames
// have no unwind information) nor out of a thread (that ends the process). It
// is caught here, logged as an error, and the caller carries on as after a
// failure: a worker ends as an error ends it, a window answers the message as
// unhandled.
#pragma once

#include <exception>

class TKLog;

// Logs "Unexpected error in <where>: <what>" at the error level; what may be
// null (an exception that is no std::exception). Never throws.
void LogUnexpectedError(TKLog* log, const wchar_t* where, const char* what) noexcept;

// Runs fn; true when it returned, false when it threw (the exception is logged
// and goes no further).
template <typename Fn>
bool RunGuarded(TKLog* log, const wchar_t* where, Fn&& fn) noexcept {
  try {
    fn();
    return true;
  } catch (const std::exception& e) {
    LogUnexpectedError(log, where, e.what());
  } catch (...) {
    LogUnexpectedError(log, where, nullptr);
  }
  return false;
}
