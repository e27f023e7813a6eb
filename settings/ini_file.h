// Reader and writer of Windows initialisation files ("[Section]" lines and
// "name=value" lines), as the portable settings file needs them. The file is
// held as lines of bytes in the ANSI code page (UTF-8 on Linux): lines that are
// not changed are written back byte for byte, whatever they hold.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

struct IniEntry {
  std::wstring name;
  std::wstring value;
};

class IniFile {
 public:
  IniFile() = default;
  explicit IniFile(const std::string& bytes);

  // The section's "name=value" lines in file order; when a name repeats, its
  // first line counts. Section and key names compare without regard to ASCII
  // case, and blanks around names and values are dropped, as Windows does.
  // Lines without "=", comments (";") and lines holding NUL bytes are no keys.
  std::vector<IniEntry> ReadSection(const std::wstring& section) const;

  // Sets a key: its line is replaced where it stands, or a line is added after
  // the section's last key, or the section is added at the end of the file.
  // False, changing nothing, when the pair cannot be one line that reads back
  // as the same name (an empty name, "=" or a leading "[" or ";" in the name,
  // blanks around it, a line break in either, a text the code page lacks).
  bool Set(const std::wstring& section, const std::wstring& name, const std::wstring& value);

  // The file with every Set applied.
  std::string Bytes() const;

 private:
  enum class Kind { Other, Section, Key };
  struct Line {
    size_t begin = 0;     // the text, in bytes_
    size_t length = 0;
    size_t eolLength = 0;  // the line break that follows it ("\r\n", "\n" or none)
    Kind kind = Kind::Other;
    int section = -1;      // index into sections_; -1 before the first section
    std::wstring key;      // Section: the lower-cased section name; Key: the lower-cased name
    std::wstring name, value;
  };
  struct Section {
    std::wstring key;  // lower-cased name
    size_t header = 0;
    size_t lastKey = 0;  // the line after which new keys go
  };
  struct Pending {
    std::wstring section;  // as given
    std::vector<IniEntry> entries;
    std::unordered_map<std::wstring, size_t> index;
  };

  std::string bytes_;
  std::vector<Line> lines_;
  std::vector<Section> sections_;
  std::vector<Pending> pending_;  // in the order sections were first set
};

// The number of a "Settings_DWORD" line: decimal, or hexadecimal after "0x" or
// "$", with an optional sign; 0 when the text is not a number that fits in 32
// bits. Negative numbers give their two's complement.
uint32_t IniDwordValue(const std::wstring& text);
