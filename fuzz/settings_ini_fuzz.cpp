// The portable settings file: any bytes parse, untouched lines are written
// back byte for byte, and a key that is set reads back.
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/harnesses.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"
#include "settings/ini_file.h"

namespace {

const wchar_t kSection[] = L"Settings_String";

const IniEntry* Find(const std::vector<IniEntry>& entries, const std::wstring& name) {
  for (const IniEntry& entry : entries)
    if (platform::EqualsNoCase(entry.name, name)) return &entry;
  return nullptr;
}

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

}  // namespace

int FuzzSettingsIni(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  IniFile ini(bytes);
  FUZZ_CHECK(ini.Bytes() == bytes);

  const std::vector<IniEntry> entries = ini.ReadSection(kSection);
  for (size_t i = 0; i < entries.size(); ++i)
    for (size_t j = i + 1; j < entries.size(); ++j) FUZZ_CHECK(!platform::EqualsNoCase(entries[i].name, entries[j].name));
  for (const IniEntry& entry : entries) IniDwordValue(entry.value);

  // A key named by the first bytes, valued by the next ones.
  const std::wstring name = platform::FromAnsi(bytes.substr(0, 6));
  const std::wstring value = platform::FromAnsi(bytes.substr(bytes.size() > 6 ? 6 : bytes.size(), 12));
  if (ini.Set(kSection, name, value)) {
    const std::string written = ini.Bytes();
    const std::vector<IniEntry> after = IniFile(written).ReadSection(kSection);
    const IniEntry* found = Find(after, name);
    FUZZ_CHECK(found != nullptr);
    if (!value.empty() && !Blank(value.front()) && !Blank(value.back())) FUZZ_CHECK(found->value == value);
    // Every other key keeps its value.
    for (const IniEntry& entry : entries)
      if (!platform::EqualsNoCase(entry.name, name)) {
        const IniEntry* kept = Find(after, entry.name);
        FUZZ_CHECK(kept != nullptr && kept->value == entry.value);
      }
  }

  uint32_t number = 0;
  for (size_t i = 0; i < size && i < 4; ++i) number = number << 8 | data[i];
  FUZZ_CHECK(IniDwordValue(std::to_wstring(number)) == number);
  IniDwordValue(platform::FromAnsi(bytes));
  return 0;
}
