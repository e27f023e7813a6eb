// Where the posix registry lives: one file inside the current Wine prefix
// (format described in registry.cpp beside this header).
#pragma once

#include <string>

namespace platform {

// <prefix>/purgello-registry.txt
std::string RegistryFilePath();

}  // namespace platform
