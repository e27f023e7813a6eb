#include "analysis/name_tests.h"

#include "platform/win_path.h"

bool ContainsText(const std::wstring& text, const std::wstring& part) {
  return platform::AsciiLowerCase(text).find(platform::AsciiLowerCase(part)) != std::wstring::npos;
}

std::wstring StripPrefix(const std::wstring& text, const std::wstring& prefix) {
  return platform::StartsWithNoCase(text, prefix) ? text.substr(prefix.size()) : text;
}

std::wstring StripSuffix(const std::wstring& text, const std::wstring& suffix) {
  return platform::EndsWithNoCase(text, suffix) ? text.substr(0, text.size() - suffix.size()) : text;
}

std::wstring NameWithoutExt(const std::wstring& path) {
  std::wstring name = platform::FileNameOf(path);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

std::wstring ExtensionOf(const std::wstring& path) {
  std::wstring name = platform::FileNameOf(path);
  size_t dot = name.rfind(L'.');
  return dot == std::wstring::npos ? std::wstring() : name.substr(dot);
}

namespace {

// Folding of the Windows Latin-1 letters 0xC0..0xFF; 0 keeps the character.
// "AE" for the ligature is handled apart since it grows the text.
const char kLatin1Fold[64] = {
    'A', 'A', 'A', 'A', 'A', 'A', 0,   'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',  // C0-CF
    0,   'N', 'O', 'O', 'O', 'O', 'O', 0,   'O', 'U', 'U', 'U', 'U', 'Y', 0,   0,    // D0-DF
    'A', 'A', 'A', 'A', 'A', 'A', 0,   'C', 'E', 'E', 'E', 'E', 'I', 'I', 'I', 'I',  // E0-EF
    0,   'N', 'O', 'O', 'O', 'O', 'O', 0,   'O', 'U', 'U', 'U', 'U', 'Y', 0,   'Y',  // F0-FF
};

// Position by position: "*" takes the rest, "?" any one character.
bool MatchPart(const std::wstring& name, const std::wstring& mask) {
  for (size_t i = 0; i < mask.size(); ++i) {
    if (mask[i] == L'*') return true;
    if (i >= name.size()) return false;
    if (mask[i] != L'?' && mask[i] != name[i]) return false;
  }
  return name.size() == mask.size();
}

void SplitAtLastDot(const std::wstring& text, std::wstring& base, std::wstring& ext) {
  size_t dot = text.rfind(L'.');
  if (dot == std::wstring::npos) {
    base = text;
    ext.clear();
  } else {
    base = text.substr(0, dot);
    ext = text.substr(dot + 1);
  }
}

}  // namespace

std::wstring FoldAccents(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (wchar_t c : text) {
    if (c == 0xC6 || c == 0xE6) {
      out += L"AE";
    } else if (c >= 0xC0 && c <= 0xFF && kLatin1Fold[c - 0xC0]) {
      out += wchar_t(kLatin1Fold[c - 0xC0]);
    } else {
      out += platform::AsciiUpper(c);
    }
  }
  return out;
}

bool MatchesMask(const std::wstring& name, const std::wstring& mask) {
  if (mask.empty() || mask == L".") return true;
  std::wstring folded = FoldAccents(name);
  if (folded.empty()) return false;
  std::wstring nameBase, nameExt, maskBase, maskExt;
  SplitAtLastDot(folded, nameBase, nameExt);
  SplitAtLastDot(mask, maskBase, maskExt);
  bool basesMatch = maskBase.empty() || maskBase == L"*" || MatchPart(nameBase, maskBase);
  bool extsMatch = maskExt.empty() || maskExt == L"*" || MatchPart(nameExt, maskExt);
  return basesMatch && extsMatch;
}
