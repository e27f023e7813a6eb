#include "update/version_number.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace {

// A whole decimal number: blanks before it, an optional sign, then digits to
// the end. Anything else, or a number beyond 32 bits, gives 0.
int32_t FieldValue(const std::wstring& field) {
  size_t i = 0;
  while (i < field.size() && field[i] == L' ') ++i;
  bool negative = false;
  if (i < field.size() && (field[i] == L'+' || field[i] == L'-')) negative = field[i++] == L'-';
  if (i == field.size()) return 0;
  int64_t value = 0;
  for (; i < field.size(); ++i) {
    if (field[i] < L'0' || field[i] > L'9') return 0;
    value = value * 10 + (field[i] - L'0');
    if (value > int64_t{std::numeric_limits<int32_t>::max()} + 1) return 0;
  }
  if (negative) value = -value;
  if (value > std::numeric_limits<int32_t>::max()) return 0;
  return value > 65535 ? 0 : static_cast<int32_t>(value);
}

// Two halves packed in 32 bits; the high half's product wraps as it would in
// a 32-bit register.
uint32_t Pack(int32_t high, int32_t low) { return static_cast<uint32_t>(high) * 65536u + static_cast<uint32_t>(low); }

std::wstring Decimal(uint32_t value) {
  wchar_t text[16];
  std::swprintf(text, 16, L"%u", static_cast<unsigned>(value));
  return text;
}

}  // namespace

TPyloVersion TPyloVersion::Create(const std::wstring& text) {
  std::wstring padded = text;
  for (size_t fields = 1 + std::count(text.begin(), text.end(), L'.'); fields <= 3; ++fields) padded += L".0";
  int32_t values[4];
  size_t start = 0;
  for (int i = 0; i < 3; ++i) {
    const size_t dot = padded.find(L'.', start);
    values[i] = FieldValue(padded.substr(start, dot - start));
    start = dot + 1;
  }
  values[3] = FieldValue(padded.substr(start));  // further dots included: then it is no number
  return TPyloVersion(values[0], values[1], values[2], values[3]);
}

TPyloVersion TPyloVersion::CreatePacked(uint32_t vh, uint32_t vl) {
  return TPyloVersion(static_cast<int32_t>(vh >> 16), static_cast<int32_t>(vh & 65535u),
                      static_cast<int32_t>(vl >> 16), static_cast<int32_t>(vl & 65535u));
}

uint32_t TPyloVersion::PackedHigh() const { return Pack(major_, minor_); }
uint32_t TPyloVersion::PackedLow() const { return Pack(release_, build_); }
std::wstring TPyloVersion::PackedHighText() const { return Decimal(PackedHigh()); }
std::wstring TPyloVersion::PackedLowText() const { return Decimal(PackedLow()); }

std::wstring TPyloVersion::ToText() const {
  wchar_t text[48];
  std::swprintf(text, 48, L"%d.%d.%d.%d", static_cast<int>(major_), static_cast<int>(minor_),
                static_cast<int>(release_), static_cast<int>(build_));
  return text;
}

bool TPyloVersion::IsValid() const {
  const uint32_t sum = static_cast<uint32_t>(major_) + static_cast<uint32_t>(minor_) + static_cast<uint32_t>(release_) +
                       static_cast<uint32_t>(build_);
  return static_cast<int32_t>(sum) > 0;
}

bool TPyloVersion::IsNewerThan(const TPyloVersion& other) const {
  const int32_t mine[] = {major_, minor_, release_, build_};
  const int32_t theirs[] = {other.major_, other.minor_, other.release_, other.build_};
  for (int i = 0; i < 4; ++i)
    if (mine[i] != theirs[i]) return mine[i] > theirs[i];
  return false;
}

bool TPyloVersion::IsNewerThanPacked(uint32_t vh, uint32_t vl) const {
  if (PackedHigh() != vh) return PackedHigh() > vh;
  return PackedLow() > vl;
}
