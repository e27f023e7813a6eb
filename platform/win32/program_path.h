// The full path of the running executable, however long it is.
#pragma once

#include <string>

namespace platform {

// Empty when the system cannot say.
std::wstring ProgramPath();

}  // namespace platform
