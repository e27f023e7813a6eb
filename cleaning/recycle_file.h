// Moving one found file into the Recycle Bin so that it can be restored, and
// so that it is never lost instead.
//
// The Windows shell deletes for good whatever it cannot recycle (a drive
// without a bin, a file too large for it), and says nothing. So the file gets
// a second name (a hard link) in its folder before the shell is asked: after
// the move the link count tells whether another name, the bin's, still holds
// the file. If none does, the bin may still have got a copy (Wine's one trash
// takes a file from another device so): when the bin holds no more items than
// before, the second name goes back to the original one and the row fails.
// Either way the second name is gone at the end. A file that cannot get a
// second name (no hard links on its file system) is not handed to the shell
// at all.
//
// Only the file that was found is moved: the path must still name the same
// file at the same resolved place (platform/file_identity.h), and the second
// name must be that file too. A link is moved as itself.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/file_identity.h"

enum class RecycleOutcome {
  Recycled,  // in the bin now
  Failed,    // left in place (under its own name)
  Changed,   // not the file that was found: left alone
};

struct RecycleResult {
  RecycleOutcome outcome = RecycleOutcome::Failed;
  uint32_t errorCode = 0;  // the system's error; 0 when recycled
};

// Moves the file at a path into the bin; false (with the last error) when it
// stays. The platform's by default; tests pass one that behaves like a shell
// that deletes for good.
using RecycleMove = std::function<bool(const std::wstring& path)>;
// The number of items in the bin; the platform's by default.
using RecycleBinCount = std::function<uint64_t()>;

// identity: the one the analysis took; an empty one is taken now.
RecycleResult RecycleFoundFile(const std::wstring& path, const platform::FileIdentity& identity,
                               const RecycleMove& move = RecycleMove(), const RecycleBinCount& count = RecycleBinCount());
