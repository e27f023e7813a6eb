#include "platform/posix/ntfs_names.h"

#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "platform/posix/linux_names.h"

namespace platform {
namespace {

// The C.UTF-8 locale carries the Unicode case tables whatever the process
// locale is; without it only ASCII letters fold.
locale_t UnicodeLocale() {
  static locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(0));
  return locale;
}

// The find call's internal wildcards (the characters NtQueryDirectoryFile
// gives these meanings; none of them can occur in a file name).
constexpr wchar_t kDosStar = L'<';
constexpr wchar_t kDosQm = L'>';
constexpr wchar_t kDosDot = L'"';

// Walks a name as UTF-16 code units.
class Utf16Units {
 public:
  Utf16Units(const wchar_t* text, size_t length) : text_(text), length_(length) {}
  // Next unit, or -1 at the end; folded selects the upper-cased unit.
  long Next(bool folded) {
    if (pendingLow_) {
      long unit = pendingLow_;
      pendingLow_ = 0;
      return unit;
    }
    if (index_ == length_) return -1;
    uint32_t c = static_cast<uint32_t>(text_[index_++]);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      pendingLow_ = long(0xDC00 + (c & 0x3FF));
      return long(0xD800 + (c >> 10));
    }
    return folded ? long(NtfsUpper(wchar_t(c))) : long(c);
  }

 private:
  const wchar_t* text_;
  size_t length_;
  size_t index_ = 0;
  long pendingLow_ = 0;
};

int CompareUnits(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength, bool folded) {
  Utf16Units left(a, aLength), right(b, bLength);
  for (;;) {
    long x = left.Next(folded), y = right.Next(folded);
    if (x != y) return x < y ? -1 : 1;
    if (x < 0) return 0;
  }
}

}  // namespace

wchar_t NtfsUpper(wchar_t c) {
  if (c < 0x80) return (c >= L'a' && c <= L'z') ? wchar_t(c - 32) : c;
  if (static_cast<uint32_t>(c) >= 0x10000) return c;
  locale_t locale = UnicodeLocale();
  if (locale == locale_t(0)) return c;
  wint_t upper = towupper_l(wint_t(c), locale);
  return upper < 0x10000 ? wchar_t(upper) : c;
}

int CompareNtfsOrder(const wchar_t* a, size_t aLength, const wchar_t* b, size_t bLength) {
  // ASCII names are the common case: compare them without the unit walker.
  size_t common = aLength < bLength ? aLength : bLength;
  size_t i = 0;
  for (; i < common; ++i) {
    wchar_t x = a[i], y = b[i];
    if (x >= 0x80 || y >= 0x80) break;
    wchar_t ux = (x >= L'a' && x <= L'z') ? wchar_t(x - 32) : x;
    wchar_t uy = (y >= L'a' && y <= L'z') ? wchar_t(y - 32) : y;
    if (ux != uy) return ux < uy ? -1 : 1;
  }
  int folded = i == common && aLength != bLength ? (aLength < bLength ? -1 : 1)
                                                  : CompareUnits(a + i, aLength - i, b + i, bLength - i, true);
  if (folded != 0) return folded;
  return CompareUnits(a, aLength, b, bLength, false);
}

void AppendNtfsSortKey(const char* utf8Name, size_t length, std::string& key) {
  // ASCII, eight bytes at a time: a byte from 'a' to 'z' loses 0x20.
  const uint64_t high = 0x8080808080808080ull, ones = 0x0101010101010101ull;
  const size_t start = key.size();
  key.resize(start + length);
  char* out = &key[start];
  size_t i = 0;
  for (; i + 8 <= length; i += 8) {
    uint64_t v;
    std::memcpy(&v, utf8Name + i, 8);
    if (v & high) break;
    bool plain = true;
    for (size_t k = 0; k < 8; ++k) plain &= IsPlainNameByte(static_cast<unsigned char>(utf8Name[i + k]));
    if (!plain) break;
    uint64_t atLeastA = v + ones * (0x80 - 'a');
    uint64_t aboveZ = v + ones * (0x80 - 'z' - 1);
    v -= (atLeastA & ~aboveZ & high) >> 2;
    std::memcpy(out + i, &v, 8);
  }
  for (; i < length; ++i) {
    unsigned char c = static_cast<unsigned char>(utf8Name[i]);
    if (!IsPlainNameByte(c)) break;
    out[i] = char((c >= 'a' && c <= 'z') ? c - 32 : c);
  }
  if (i == length) return;
  key.resize(start + i);
  // The rest holds other characters: fold them unit by unit. Units below 0x80
  // take one byte; others three, the first of them above every one-byte unit.
  std::wstring rest = WindowsNameOf(utf8Name + i, length - i);
  Utf16Units units(rest.data(), rest.size());
  for (long unit; (unit = units.Next(true)) >= 0;) {
    if (unit < 0x80) {
      key += char(unit);
    } else {
      key += char(0x80 + (unit >> 14));
      key += char((unit >> 7) & 0x7F);
      key += char(unit & 0x7F);
    }
  }
}

bool EqualsNtfsNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i] != b[i] && NtfsUpper(a[i]) != NtfsUpper(b[i])) return false;
  return true;
}

bool HasWildcard(const std::wstring& text) { return text.find_first_of(L"*?<>\"") != std::wstring::npos; }

FindMask::FindMask(const std::wstring& mask) {
  // The rewriting the Windows find call applies before the file system sees
  // the mask: it is what gives "*.*" and "*." their MS-DOS meanings.
  expression_.reserve(mask.size());
  for (size_t i = 0; i < mask.size(); ++i) {
    wchar_t c = mask[i];
    wchar_t next = i + 1 < mask.size() ? mask[i + 1] : L'\0';
    if (c == L'?') {
      expression_ += kDosQm;
    } else if (c == L'*' && next == L'.') {
      expression_ += kDosStar;
    } else if (c == L'.' && (next == L'?' || next == L'*' || next == L'\0')) {
      expression_ += kDosDot;
    } else {
      expression_ += NtfsUpper(c);
    }
  }
  matchesAll_ = expression_ == L"*" || expression_ == std::wstring{kDosStar, kDosDot, L'*'};
}

bool FindMask::Matches(const wchar_t* name, size_t length) const {
  if (matchesAll_) return true;
  if (length == 0) return false;
  size_t lastDot = length;
  for (size_t i = length; i-- > 0;)
    if (name[i] == L'.') {
      lastDot = i;
      break;
    }
  // reach[k]: the expression read so far can have consumed the first k
  // characters of the name.
  // NTFS names are at most 255 units; longer ones (Linux allows 255 bytes of
  // UTF-8, fewer characters) still work through the heap.
  char small[2][256];
  std::vector<char> large;
  char* reach = small[0];
  char* next = small[1];
  if (length + 1 > sizeof small[0]) {
    large.assign(2 * (length + 1), 0);
    reach = large.data();
    next = large.data() + length + 1;
  }
  std::fill(reach, reach + length + 1, 0);
  reach[0] = 1;
  for (wchar_t e : expression_) {
    std::fill(next, next + length + 1, 0);
    bool any = false;
    for (size_t k = 0; k <= length; ++k) {
      if (!reach[k]) continue;
      any = true;
      wchar_t c = k < length ? name[k] : L'\0';
      switch (e) {
        case L'*':
          for (size_t j = k; j <= length; ++j) next[j] = 1;
          break;
        case kDosStar: {
          // Any characters, but never past the name's last dot.
          size_t limit = (lastDot < length && k <= lastDot) ? lastDot : length;
          for (size_t j = k; j <= limit; ++j) next[j] = 1;
          break;
        }
        case kDosQm:
          if (k == length || c == L'.') next[k] = 1;
          else next[k + 1] = 1;
          break;
        case kDosDot:
          if (k == length) next[k] = 1;
          else if (c == L'.') next[k + 1] = 1;
          break;
        default:
          if (k < length && (c == e || NtfsUpper(c) == e)) next[k + 1] = 1;
          break;
      }
    }
    if (!any) return false;
    std::swap(reach, next);
  }
  return reach[length] != 0;
}

}  // namespace platform
