// Small files read and written at one go, by Windows path: the portable
// settings file and other files the program keeps whole in memory.
#pragma once

#include <cstddef>
#include <string>

namespace platform {

enum class WholeFileRead { Ok, Missing, TooLarge, Failed };

// Reads the file's bytes, at most maxBytes of them. TooLarge when the file
// holds more (bytes then holds its first maxBytes); Missing when the file (or
// its folder) does not exist; Failed for anything else (a folder, no access).
WholeFileRead ReadWholeFile(const std::wstring& path, size_t maxBytes, std::string& bytes);

// Replaces the file's content, or creates the file: the bytes go to a
// temporary file beside it, which is then renamed over it, so nobody ever sees
// half a file. False, with the file untouched, when it is read-only, when the
// folder is missing or not writable, or when the disk is full.
bool WriteWholeFile(const std::wstring& path, const std::string& bytes);

}  // namespace platform
