// Files and folders, by Windows path (UTF-16). Every call takes the path as the
// engine built it; the Windows implementation adds the long-path prefix itself.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// Attribute bits, with the values Windows gives them, on both platforms.
constexpr uint32_t kAttrReadOnly = 0x1;
constexpr uint32_t kAttrHidden = 0x2;
constexpr uint32_t kAttrSystem = 0x4;
constexpr uint32_t kAttrDirectory = 0x10;
constexpr uint32_t kAttrArchive = 0x20;
constexpr uint32_t kAttrNormal = 0x80;
constexpr uint32_t kAttrReparsePoint = 0x400;
constexpr uint32_t kInvalidAttributes = 0xFFFFFFFF;

// Enumerates the entries that match a find pattern ("C:\dir\*", "C:\dir\*.log",
// or a plain path), as the find-first/find-next calls do: wildcards only in the
// last component, letter case ignored, "*.*" matching every name, "." and ".."
// included when the system reports them (first, and never at a drive root).
// Entries come in the order NTFS gives them on both platforms (names sorted
// without regard to case). A symbolic link, junction or mount point is
// reported as itself (kAttrReparsePoint, with kAttrDirectory for a link to a
// folder), never as its target.
//
// posix: a file has kAttrArchive, a name starting with "." is hidden, and an
// entry whose owner may not write it is read-only. Name() and IsFolder() cost
// no system call; Attributes() and Size() read the entry's status on first use.
class DirectoryReader {
 public:
  explicit DirectoryReader(const std::wstring& pattern);
  ~DirectoryReader();
  DirectoryReader(const DirectoryReader&) = delete;
  DirectoryReader& operator=(const DirectoryReader&) = delete;

  // Moves to the next entry; false when there is none (or the pattern could
  // not be enumerated at all).
  bool Next();
  const std::wstring& Name() const;
  uint32_t Attributes() const;
  uint64_t Size() const;
  bool IsFolder() const;
  // A junction, symbolic link or mount point (posix: a symbolic link).
  bool IsReparsePoint() const;
  // The folder exists but could not be read, or reading it stopped early
  // (access denied, a read error, no descriptor left): as against a pattern
  // that matches nothing, or a folder that is not there.
  bool Unreadable() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The first entry the find call gives for path exists and is not a folder; a
// pattern ("*" or "?" in the name) names no file.
bool WideFileExists(const std::wstring& path);
// A bare drive ("C:", "C:\") exists when the system knows the drive; any other
// path when the first entry found for it is a folder. A path ending in a
// backslash is never found.
bool WideFolderExists(const std::wstring& path);
// One folder, default security; fails when it exists or its parent is missing.
bool WideCreateFolder(const std::wstring& path);
// The size from the file's attribute data, else from the find call (so a
// wildcard path gives its first entry's size); 0 when both fail, for a folder
// and for a link.
uint64_t FileSize64(const std::wstring& path);

// Attributes and size in one query, for callers that need both per file (the
// analysis gate, the cleaning's checks). False when nothing is at the path. A
// link reports itself, never its target; a folder's size is 0.
struct FileStatus {
  uint32_t attributes = kInvalidAttributes;
  uint64_t size = 0;
  bool IsRegularFile() const { return (attributes & (kAttrDirectory | kAttrReparsePoint)) == 0; }
  bool IsFolder() const { return (attributes & kAttrDirectory) != 0; }
};
bool QueryFileStatus(const std::wstring& path, FileStatus& status);

// kInvalidAttributes when the path does not exist. A link reports its own
// attributes (with kAttrReparsePoint), never its target's.
uint32_t FileAttributes(const std::wstring& path);
// posix: only kAttrReadOnly is kept (as the owner's write permission); a link
// is left alone.
bool SetFileAttributesTo(const std::wstring& path, uint32_t attributes);
// Deletes a file, or a link to a file, as itself. Fails for a folder, a link
// to a folder and a read-only file (ERROR_ACCESS_DENIED), as on Windows.
bool DeleteFileAt(const std::wstring& path);
// Removes one name of a file (a link as itself), a read-only file's too,
// leaving the file as it is for the names it keeps: its read-only attribute
// stays. Fails for a folder.
bool RemoveFileName(const std::wstring& path);
// Removes an empty folder, or a link to a folder as itself (never touching
// what it points to). ERROR_DIR_NOT_EMPTY when entries are left.
bool RemoveEmptyFolder(const std::wstring& path);
// Renames or moves a file or folder; never replaces an existing entry.
bool MoveFileTo(const std::wstring& from, const std::wstring& to);

// A second name for the file (or link, as itself) at existing; never
// replaces an entry, fails where the file system has no hard links.
bool CreateHardLinkAt(const std::wstring& newPath, const std::wstring& existing);

// The system's error code of the calling thread's last failed call (Windows:
// GetLastError; posix: errno mapped to the nearest Windows code).
uint32_t LastErrorCode();

// Reads a file in blocks; used by content comparisons. Only a regular file
// is read (posix: only the entry at the path itself, never a link's target,
// and a FIFO or a device there is not opened at all).
class FileReader {
 public:
  explicit FileReader(const std::wstring& path);
  ~FileReader();
  FileReader(const FileReader&) = delete;
  FileReader& operator=(const FileReader&) = delete;

  bool IsOpen() const;
  uint64_t Size() const;
  // Reads up to count bytes; returns the number read, or -1 on an error.
  int64_t Read(void* buffer, size_t count);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace platform
