#include "settings/ini_file.h"

#include <unordered_set>

#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace {

bool IsBlank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trim(const std::wstring& text) {
  size_t first = 0, last = text.size();
  while (first < last && IsBlank(text[first])) ++first;
  while (last > first && IsBlank(text[last - 1])) --last;
  return text.substr(first, last - first);
}

bool HasLineBreakOrNul(const std::wstring& text) { return text.find_first_of(std::wstring(L"\r\n\0", 3)) != std::wstring::npos; }

bool SurvivesCodePage(const std::wstring& text) { return platform::FromAnsi(platform::ToAnsi(text)) == text; }

}  // namespace

IniFile::IniFile(const std::string& bytes) : bytes_(bytes) {
  std::wstring currentKey;
  int current = -1;
  size_t pos = 0;
  while (pos < bytes_.size()) {
    Line line;
    line.begin = pos;
    size_t end = bytes_.find('\n', pos);
    if (end == std::string::npos) {
      line.length = bytes_.size() - pos;
      pos = bytes_.size();
    } else {
      line.length = end - pos;
      line.eolLength = 1;
      if (line.length > 0 && bytes_[end - 1] == '\r') {
        --line.length;
        ++line.eolLength;
      }
      pos = end + 1;
    }
    line.section = current;

    std::string raw = bytes_.substr(line.begin, line.length);
    if (line.begin == 0 && raw.compare(0, 3, "\xEF\xBB\xBF") == 0) raw.erase(0, 3);  // a UTF-8 byte-order mark
    // Every carriage return before the line's end goes, wherever the line
    // stands: a last line read without its break must read the same once a
    // key is added after it.
    while (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.find('\0') == std::string::npos) {
      std::wstring text = Trim(platform::FromAnsi(raw));
      if (!text.empty() && text[0] == L'[') {
        size_t close = text.find(L']');
        if (close != std::wstring::npos) {
          line.kind = Kind::Section;
          line.key = platform::AsciiLowerCase(Trim(text.substr(1, close - 1)));
          current = int(sections_.size());
          line.section = current;
          sections_.push_back({line.key, lines_.size(), lines_.size()});
        }
      } else if (!text.empty() && text[0] != L';') {
        size_t equals = text.find(L'=');
        if (equals != std::wstring::npos && equals > 0) {
          line.kind = Kind::Key;
          line.name = Trim(text.substr(0, equals));
          line.value = Trim(text.substr(equals + 1));
          line.key = platform::AsciiLowerCase(line.name);
          if (current >= 0) sections_[current].lastKey = lines_.size();
        }
      }
    }
    lines_.push_back(std::move(line));
  }
}

std::vector<IniEntry> IniFile::ReadSection(const std::wstring& section) const {
  std::vector<IniEntry> out;
  const std::wstring wanted = platform::AsciiLowerCase(section);
  std::unordered_set<std::wstring> seen;
  for (const Line& line : lines_) {
    if (line.kind != Kind::Key || line.section < 0 || sections_[line.section].key != wanted) continue;
    if (seen.insert(line.key).second) out.push_back({line.name, line.value});
  }
  return out;
}

bool IniFile::Set(const std::wstring& section, const std::wstring& name, const std::wstring& value) {
  if (name.empty() || name.find(L'=') != std::wstring::npos || name[0] == L'[' || name[0] == L';' ||
      Trim(name) != name || HasLineBreakOrNul(name) || HasLineBreakOrNul(value) || !SurvivesCodePage(name) ||
      !SurvivesCodePage(value))
    return false;
  if (section.empty() || HasLineBreakOrNul(section) || section.find(L']') != std::wstring::npos) return false;

  const std::wstring sectionKey = platform::AsciiLowerCase(section);
  Pending* pending = nullptr;
  for (Pending& p : pending_)
    if (platform::AsciiLowerCase(p.section) == sectionKey) pending = &p;
  if (!pending) {
    pending_.push_back({section, {}, {}});
    pending = &pending_.back();
  }
  auto [it, added] = pending->index.emplace(platform::AsciiLowerCase(name), pending->entries.size());
  if (added) pending->entries.push_back({name, value});
  else pending->entries[it->second] = {name, value};
  return true;
}

std::string IniFile::Bytes() const {
  if (pending_.empty()) return bytes_;

  std::string eol = "\r\n";
  for (const Line& line : lines_) {
    if (line.eolLength) {
      eol = bytes_.substr(line.begin + line.length, line.eolLength);
      break;
    }
  }
  auto lineOf = [](const IniEntry& e) { return platform::ToAnsi(e.name + L"=" + e.value); };

  // Which line each pending key replaces, and what goes after which line.
  std::unordered_map<size_t, const IniEntry*> replaced;
  std::unordered_map<size_t, std::vector<const IniEntry*>> after;
  std::vector<const Pending*> newSections;
  for (const Pending& p : pending_) {
    const std::wstring sectionKey = platform::AsciiLowerCase(p.section);
    int first = -1;
    std::unordered_set<std::wstring> seen;
    std::vector<bool> found(p.entries.size(), false);
    for (size_t i = 0; i < lines_.size(); ++i) {
      const Line& line = lines_[i];
      if (line.section < 0 || sections_[line.section].key != sectionKey) continue;
      if (first < 0) first = line.section;
      if (line.kind != Kind::Key || !seen.insert(line.key).second) continue;
      auto it = p.index.find(line.key);
      if (it == p.index.end()) continue;
      replaced[i] = &p.entries[it->second];
      found[it->second] = true;
    }
    if (first < 0) {
      newSections.push_back(&p);
      continue;
    }
    auto& list = after[sections_[first].lastKey];
    for (size_t k = 0; k < p.entries.size(); ++k)
      if (!found[k]) list.push_back(&p.entries[k]);
  }

  std::string out;
  out.reserve(bytes_.size() + bytes_.size() / 4 + 256);
  auto breakLine = [&] {
    if (!out.empty() && out.back() != '\n') out += eol;
  };
  for (size_t i = 0; i < lines_.size(); ++i) {
    const Line& line = lines_[i];
    auto r = replaced.find(i);
    if (r != replaced.end()) {
      out += lineOf(*r->second);
      out.append(bytes_, line.begin + line.length, line.eolLength);
    } else {
      out.append(bytes_, line.begin, line.length + line.eolLength);
    }
    auto a = after.find(i);
    if (a != after.end() && !a->second.empty()) {
      breakLine();
      for (const IniEntry* e : a->second) out += lineOf(*e) + eol;
    }
  }
  for (const Pending* p : newSections) {
    breakLine();
    out += platform::ToAnsi(L"[" + p->section + L"]") + eol;
    for (const IniEntry& e : p->entries) out += lineOf(e) + eol;
  }
  return out;
}

uint32_t IniDwordValue(const std::wstring& input) {
  std::wstring text = Trim(input);
  size_t pos = 0;
  bool negative = false;
  if (pos < text.size() && (text[pos] == L'-' || text[pos] == L'+')) negative = text[pos++] == L'-';
  unsigned base = 10;
  if (text.compare(pos, 1, L"$") == 0) {
    base = 16;
    pos += 1;
  } else if (text.compare(pos, 2, L"0x") == 0 || text.compare(pos, 2, L"0X") == 0) {
    base = 16;
    pos += 2;
  }
  if (pos == text.size()) return 0;
  uint64_t value = 0;
  for (; pos < text.size(); ++pos) {
    wchar_t c = platform::AsciiLower(text[pos]);
    unsigned digit;
    if (c >= L'0' && c <= L'9') digit = unsigned(c - L'0');
    else if (base == 16 && c >= L'a' && c <= L'f') digit = unsigned(c - L'a' + 10);
    else return 0;
    value = value * base + digit;
    if (value > 0xFFFFFFFFull) return 0;
  }
  // A negative number must fit a signed 32-bit integer.
  if (negative && value > 0x80000000ull) return 0;
  return negative ? uint32_t(0u - uint32_t(value)) : uint32_t(value);
}
