// One file held open from the first check to its deletion, for overwriting it
// in place. Everything goes through one handle, so the checks, the writes and
// the deletion all reach the same file even if its name changes hands
// meanwhile, and nothing is ever opened through a link.
//
// Windows: one handle without sharing (a file another program holds open
// cannot be opened at all), opened with FILE_FLAG_OPEN_REPARSE_POINT; rename
// and delete go through the handle. posix: the entry's folder is held open and
// every step goes by name within it (openat, renameat, unlinkat), after
// checking that the name still names the same inode.
//
// Given the identity the analysis took (platform/file_identity.h), Open
// reaches only that file: on posix by a walk from "/" along its resolved path
// that follows no link at any level, on Windows by comparing the handle's
// identity and final path. Anything else there is Changed(), and left alone.
//
// The methods are virtual so that tests can record or fail single steps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/file_identity.h"

namespace platform {

// What an Open is for: overwriting the content, or only renaming and deleting
// the entry (CanWrite() stays false). For a name only, posix opens no
// descriptor on the entry itself; Windows still takes its exclusive handle,
// which is what keeps a file in use by another program from being deleted.
enum class SecureAccess { Content, NameOnly };

struct SecureFileInfo {
  uint64_t size = 0;
  uint32_t attributes = 0;  // kAttr* bits of platform/file_system.h
  uint32_t linkCount = 0;   // names the file has (hard links)
  bool isLink = false;      // symbolic link, junction or other reparse point
  bool isFolder = false;
};

// A stretch of a file that holds data; the holes of a sparse file between
// them hold nothing to overwrite.
struct DataRange {
  uint64_t offset = 0;
  uint64_t length = 0;
};

class SecureFile {
 public:
  SecureFile();
  virtual ~SecureFile();
  SecureFile(const SecureFile&) = delete;
  SecureFile& operator=(const SecureFile&) = delete;

  // Opens the existing entry at path as itself: a link is opened as the link,
  // never its target. Nothing is created or truncated. A read-only file has
  // that attribute cleared (others kept) so that it can be written and
  // deleted. When the content cannot be opened for writing (access denied, a
  // link, not a regular file) the entry is still opened for renaming and
  // deletion, and CanWrite() is false. False when nothing could be opened:
  // missing, a folder, held open by another program (Windows), denied, or
  // (with expected) not the file that identity names: then Changed() is true.
  virtual bool Open(const std::wstring& path, SecureAccess access = SecureAccess::Content,
                    const FileIdentity* expected = nullptr);
  virtual void Close();
  bool IsOpen() const;
  // The path the entry has now (after a successful Rename, the new one).
  const std::wstring& Path() const { return path_; }

  // Reads the entry's present size, attributes and link count.
  virtual bool Info(SecureFileInfo& info) const;
  virtual bool CanWrite() const;
  // The entry is no longer the file it was: another file, or reached only
  // through a link, since its identity was taken.
  bool Changed() const { return changed_; }
  // The data the file holds, in order, up to its size: the whole file where
  // the file system cannot tell its holes.
  virtual bool DataRanges(std::vector<DataRange>& ranges) const;

  // Writes all count bytes at offset; the size grows only past its end.
  virtual bool WriteAt(uint64_t offset, const void* data, size_t count);
  // Pushes what was written to the device (FlushFileBuffers, fsync).
  virtual bool Flush();
  virtual bool Truncate(uint64_t size);
  // Renames within the volume; never replaces an existing entry.
  virtual bool Rename(const std::wstring& newPath);
  // Removes the entry's name (the file itself when it was its only name) and
  // closes the handle; on failure the handle stays open.
  virtual bool Delete();

  // The system error code of the last failed call (Windows codes on both
  // platforms; posix maps errno to the nearest one). 0 when none failed.
  uint32_t LastError() const { return lastError_; }

 protected:
  // Records code as the last error and returns false, for `return Fail(code);`.
  bool Fail(uint32_t code) {
    lastError_ = code;
    return false;
  }
  // Fail(code), and the entry is no longer the one that was found.
  bool FailChanged(uint32_t code) {
    changed_ = true;
    return Fail(code);
  }

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::wstring path_;
  uint32_t lastError_ = 0;
  bool changed_ = false;
};

}  // namespace platform
