#include "platform/posix/wine_registry_file.h"

#include <cstdlib>
#include <cwchar>
#include <cwctype>

#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {
namespace {

// Undoes the escapes of a quoted text in a Wine registry file; pos points just
// after the opening quote and ends just after the closing one.
std::wstring UnquoteRegText(const std::wstring& line, size_t& pos) {
  std::wstring out;
  while (pos < line.size() && line[pos] != L'"') {
    wchar_t c = line[pos++];
    if (c != L'\\' || pos >= line.size()) {
      out += c;
      continue;
    }
    wchar_t e = line[pos++];
    switch (e) {
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      case L'0': out += L'\0'; break;
      case L'x': {
        uint32_t value = 0;
        int digits = 0;
        while (digits < 4 && pos < line.size() && iswxdigit(line[pos])) {
          wchar_t h = line[pos++];
          value = value * 16 + (h <= L'9' ? h - L'0' : (AsciiLower(h) - L'a' + 10));
          ++digits;
        }
        out += static_cast<wchar_t>(value);
        break;
      }
      default: out += e; break;
    }
  }
  if (pos < line.size()) ++pos;
  return out;
}

}  // namespace

RegFileKey ReadRegFileKey(std::istream& file, const std::wstring& keyPath) {
  RegFileKey values;
  std::string raw;
  bool inKey = false;
  while (std::getline(file, raw)) {
    std::wstring line = FromUtf8(raw);
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (!line.empty() && line[0] == L'[') {
      if (inKey) break;
      size_t pos = 1;
      std::wstring name;
      while (pos < line.size() && line[pos] != L']') {
        if (line[pos] == L'\\' && pos + 1 < line.size()) ++pos;
        name += line[pos++];
      }
      inKey = EqualsNoCase(name, keyPath);
      continue;
    }
    if (!inKey || line.empty() || line[0] != L'"') continue;
    size_t pos = 1;
    std::wstring name = AsciiLowerCase(UnquoteRegText(line, pos));
    if (pos >= line.size() || line[pos] != L'=') continue;
    ++pos;
    if (line.compare(pos, 1, L"\"") == 0) {
      ++pos;
      values[name].text = UnquoteRegText(line, pos);
    } else if (line.compare(pos, 6, L"dword:") == 0) {
      RegFileValue& value = values[name];
      value.isDword = true;
      value.dword = static_cast<uint32_t>(std::wcstoul(line.c_str() + pos + 6, nullptr, 16));
    }
  }
  return values;
}

}  // namespace platform
