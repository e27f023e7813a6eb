// A dotted version number ("3.8.6.116") as the update check reads, sends and
// compares it. The packed form is the two 32-bit numbers the vendor's server
// is asked with: VH = Major * 65536 + Minor, VL = Release * 65536 + Build.
#pragma once

#include <cstdint>
#include <string>

class TPyloVersion {
 public:
  // Missing fields count 0; a field that is not a whole number, or is above
  // 65535, is 0 too. Negative fields stay as they are.
  static TPyloVersion Create(const std::wstring& text);
  static TPyloVersion CreatePacked(uint32_t vh, uint32_t vl);

  int32_t Major() const { return major_; }
  int32_t Minor() const { return minor_; }
  int32_t Release() const { return release_; }
  int32_t Build() const { return build_; }

  uint32_t PackedHigh() const;
  uint32_t PackedLow() const;
  std::wstring PackedHighText() const;
  std::wstring PackedLowText() const;
  std::wstring ToText() const;

  // The four fields add up (in 32 bits) to more than 0.
  bool IsValid() const;
  // Field by field as signed numbers, the major one first.
  bool IsNewerThan(const TPyloVersion& other) const;
  // The packed numbers compared unsigned: this decides whether an update exists.
  bool IsNewerThanPacked(uint32_t vh, uint32_t vl) const;

 private:
  TPyloVersion(int32_t major, int32_t minor, int32_t release, int32_t build)
      : major_(major), minor_(minor), release_(release), build_(build) {}

  int32_t major_, minor_, release_, build_;
};
