// A dispatcher for single-threaded tests: the "GUI thread" is the caller.
#pragma once

#include "system/dispatcher.h"

namespace testsupport {

class InlineDispatcher : public Dispatcher {
 public:
  void Invoke(const std::function<void()>& fn) override { fn(); }
};

}  // namespace testsupport
