// Which file a found row stands for. The analysis takes it when it offers a
// file; the cleaning acts only on a file that still has it, reached the way it
// was found, so that a folder swapped for a link meanwhile cannot lead the
// cleaning anywhere else.
#pragma once

#include <cstdint>
#include <string>

namespace platform {

struct FileIdentity {
  uint64_t volume = 0;  // posix: the device; Windows: the volume serial number
  uint64_t index = 0;   // posix: the inode; Windows: the file index
  // Where the file was, with every link resolved, as the system names it
  // (posix: the Linux path's bytes; Windows: the final path of its handle).
  // Nothing on the way to it may be a link when the cleaning reaches it.
#ifdef _WIN32
  std::wstring resolvedPath;
#else
  std::string resolvedPath;
#endif
  // How many names (hard links) the file had when the identity was taken.
  uint32_t linkCount = 0;
  bool Known() const { return !resolvedPath.empty(); }
};

// The identity of the entry at path, a link taken as itself. False (and an
// identity that is not Known) when the system offers none.
bool QueryFileIdentity(const std::wstring& path, FileIdentity& identity);

}  // namespace platform
