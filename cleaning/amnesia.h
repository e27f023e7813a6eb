// Secure deletion of one file: optionally a random name first, then overwrite
// passes, an optional cut to zero length, then the deletion.
//
// The file is opened once, without following links, and every step goes
// through that one handle (platform/secure_file.h). Only a file's own content
// is overwritten: a link, or a file that has other names (hard links), loses
// just this name. Each pass is flushed to the device before the next.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <random>
#include <string>

#include "platform/secure_file.h"
#include "settings/settings_vocabulary.h"

enum class ShredOutcome {
  Deleted,     // the name is gone
  Failed,      // not deleted (missing, in use, denied); the file keeps its name
  WriteError,  // an overwrite pass could not be written (a full disk): not deleted
  Changed,     // not the file that was found any more: left alone
};

struct ShredResult {
  ShredOutcome outcome = ShredOutcome::Failed;
  uint32_t errorCode = 0;  // system error code of the step that failed; 0 when deleted
  // The deleted name was the file's last: its bytes are free now. A link, or
  // a file that keeps other names, frees nothing.
  bool lastName = false;
  bool Deleted() const { return outcome == ShredOutcome::Deleted; }
};

class TAmnesia {
 public:
  static constexpr size_t kBlockSize = 1048577;  // one more than 1 MiB
  static constexpr size_t kNameLength = 20;

  using FileFactory = std::function<std::unique_ptr<platform::SecureFile>()>;

  TAmnesia();
  // Tests pass a factory of files that record or fail single steps.
  explicit TAmnesia(FileFactory makeFile);

  // When true, a file gets a random name before anything else is done to it.
  bool scrambleNames = false;

  // With an identity taken when the file was found, only that file is
  // touched (platform/secure_file.h); anything else at the path is Changed.
  // Passes: Standard none, OnePassRandom one random value, ThreePassDoD 0xAA
  // then 0x55 then a random value; any other value none.
  ShredResult ShredFile(const std::wstring& path, DeletionMethod method, bool trim,
                        const platform::FileIdentity& identity = platform::FileIdentity());

  // Gives the open file a random name in its folder; returns the path to use
  // from then on (the old one when the rename failed).
  std::wstring ScrambleName(platform::SecureFile& file, const std::wstring& path);
  // One overwrite pass with value over the file's data (a sparse file's holes
  // hold nothing and take no room), then a flush.
  // False (with the file's LastError) when a write or the flush failed.
  bool FillFile(platform::SecureFile& file, uint8_t value);
  // Cuts the file to zero length; a failure is ignored.
  void TrimFile(platform::SecureFile& file);

  // The random parts: a value 0..254 for a random pass (255 never comes), and
  // a name of kNameLength characters from A-Z, a-z, 0-8 ("9" never comes).
  // The generator is reseeded from the clock for every name and every method.
  uint8_t RandomFillValue();
  std::wstring RandomName();

 private:
  void Reseed();
  bool RunPasses(platform::SecureFile& file, DeletionMethod method);

  FileFactory makeFile_;
  std::mt19937 random_;
  uint32_t reseedCount_ = 0;
};
