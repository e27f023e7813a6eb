// A Wine prefix of the test's own while the object lives: on Linux the posix
// platform's registry and known folders are those of a folder the test owns,
// and the prefix in use before comes back at the end. Under Wine every test
// program already runs in a throw-away prefix, and this does nothing.
#pragma once

#include <string>

#include "tests/support/temp_tree.h"

#ifndef _WIN32
#include "platform/posix/wine_prefix.h"
#endif

namespace testsupport {

class OwnPrefix {
 public:
  // folder: a Windows path (in a TempTree), for user "tester"; it need not
  // exist yet.
  explicit OwnPrefix(const std::wstring& folder) {
#ifndef _WIN32
    saved_ = platform::CurrentWinePrefix();
    platform::SetWinePrefix({NativePath(folder), "tester"});
#else
    (void)folder;
#endif
  }
  ~OwnPrefix() {
#ifndef _WIN32
    platform::SetWinePrefix(saved_);
#endif
  }
  OwnPrefix(const OwnPrefix&) = delete;
  OwnPrefix& operator=(const OwnPrefix&) = delete;

 private:
#ifndef _WIN32
  platform::WinePrefix saved_;
#endif
};

}  // namespace testsupport
