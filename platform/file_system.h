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
// last component, letter case ignored, "." and ".." included when the system
// reports them. Entries come in the order NTFS gives them on both platforms
// (names sorted without regard to case).
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
  bool IsFolder() const { return (Attributes() & kAttrDirectory) != 0; }
  // A junction, symbolic link or mount point (posix: a symbolic link).
  bool IsReparsePoint() const { return (Attributes() & kAttrReparsePoint) != 0; }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

bool WideFileExists(const std::wstring& path);
bool WideFolderExists(const std::wstring& path);
bool WideCreateFolder(const std::wstring& path);
uint64_t FileSize64(const std::wstring& path);

// kInvalidAttributes when the path does not exist. A link reports its own
// attributes (with kAttrReparsePoint), never its target's.
uint32_t FileAttributes(const std::wstring& path);
bool SetFileAttributesTo(const std::wstring& path, uint32_t attributes);
bool DeleteFileAt(const std::wstring& path);
bool RemoveEmptyFolder(const std::wstring& path);
bool MoveFileTo(const std::wstring& from, const std::wstring& to);

// The system's error code of the calling thread's last failed call (Windows:
// GetLastError; posix: errno mapped to the nearest Windows code).
uint32_t LastErrorCode();

// Reads a file in blocks; used by content comparisons.
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
