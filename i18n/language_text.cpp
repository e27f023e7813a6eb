#include "i18n/language_text.h"

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <vector>

#include "i18n/flag_picture.h"
#include "i18n/language_record.h"
#include "i18n/language_tags.h"
#include "i18n/record_file.h"
#include "platform/text_codec.h"
#include "platform/whole_file.h"

namespace {

using namespace language_tags;

struct Rec {
  int32_t tag;
  std::string payload;
};

// ---- Code pages -----------------------------------------------------------

// Windows-1252 from 0x80 to 0x9F; 0 where the byte has no character.
constexpr char32_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The character sets whose texts this form converts: ANSI and DEFAULT, both
// Windows-1252 on the systems the shipped languages are for. Other sets keep
// every byte above 0x7F as "\xNN".
bool IsCp1252(int charset) { return charset == 0 || charset == 1; }

char32_t CharOfByte(unsigned char b, bool cp1252) {
  if (b < 0x80) return b;
  if (!cp1252) return 0;
  if (b < 0xA0) return kCp1252High[b - 0x80];
  return b;
}

bool ByteOfChar(char32_t c, bool cp1252, unsigned char& b) {
  if (c < 0x80) return b = static_cast<unsigned char>(c), true;
  if (!cp1252) return false;
  if (c >= 0xA0 && c <= 0xFF) return b = static_cast<unsigned char>(c), true;
  for (int i = 0; i < 32; ++i)
    if (kCp1252High[i] == c) return b = static_cast<unsigned char>(0x80 + i), true;
  return false;
}

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string HexByte(unsigned char b) {
  char hex[3];
  std::snprintf(hex, sizeof hex, "%02X", b);
  return hex;
}

// File bytes as one line of text. A path also escapes what would end it or
// make the line a comment.
std::string Escape(const std::string& bytes, bool cp1252, bool path = false) {
  std::string out;
  for (char ch : bytes) {
    const unsigned char b = static_cast<unsigned char>(ch);
    const char32_t c = CharOfByte(b, cp1252);
    if (path && (b == ' ' || b == '=' || b == '[' || b == ']' || b == '#')) out += "\\x" + HexByte(b);
    else if (b == '\\') out += "\\\\";
    else if (b == '\r') out += "\\r";
    else if (b == '\n') out += "\\n";
    else if (b == '\t') out += "\\t";
    else if (c == 0 || c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0)) out += "\\x" + HexByte(b);
    else AppendUtf8(out, c);
  }
  return out;
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Decodes one UTF-8 character at text[i]; 0 and no move when malformed.
char32_t NextUtf8(const std::string& text, size_t& i) {
  const unsigned char b0 = static_cast<unsigned char>(text[i]);
  int extra = b0 < 0x80 ? 0 : (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : -1;
  if (extra < 0 || i + extra >= text.size()) return 0;
  char32_t c = extra == 0 ? b0 : b0 & (0x3F >> extra);
  for (int k = 1; k <= extra; ++k) {
    const unsigned char b = static_cast<unsigned char>(text[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    c = c << 6 | (b & 0x3F);
  }
  static const char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  if (c < kLeast[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
  i += extra + 1;
  return c;
}

// One line of text as file bytes.
bool Unescape(const std::string& text, bool cp1252, std::string& bytes, std::string& error) {
  bytes.clear();
  for (size_t i = 0; i < text.size();) {
    if (text[i] == '\\') {
      const char e = i + 1 < text.size() ? text[i + 1] : '\0';
      if (e == '\\' || e == 'r' || e == 'n' || e == 't') {
        bytes += e == '\\' ? '\\' : e == 'r' ? '\r' : e == 'n' ? '\n' : '\t';
        i += 2;
      } else if (e == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 && HexDigit(text[i + 3]) >= 0) {
        bytes += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
        i += 4;
      } else {
        error = "unknown escape \"\\" + std::string(1, e) + "\"";
        return false;
      }
      continue;
    }
    const char32_t c = NextUtf8(text, i);
    unsigned char b = 0;
    if (c == 0) {
      error = "not UTF-8";
      return false;
    }
    if (!ByteOfChar(c, cp1252, b)) {
      char what[64];
      std::snprintf(what, sizeof what, "U+%04X has no byte in the language's code page", static_cast<unsigned>(c));
      error = what;
      return false;
    }
    bytes += static_cast<char>(b);
  }
  return true;
}

std::string Int32Bytes(int32_t v) {
  std::string b(4, '\0');
  for (int i = 0; i < 4; ++i) b[i] = static_cast<char>((static_cast<uint32_t>(v) >> (8 * i)) & 0xFF);
  return b;
}

int32_t IntOf(const std::string& payload) {
  uint32_t v = 0;
  for (size_t i = payload.size() < 4 ? payload.size() : 4; i-- > 0;) v = v << 8 | static_cast<unsigned char>(payload[i]);
  return static_cast<int32_t>(v);
}

// ---- The header -----------------------------------------------------------

enum class Kind { Integer, Text, Version };
struct HeaderField {
  const char* name;
  int32_t tag;
  Kind kind;
  int fromRevision;
};
// After the six identity records, in file order, with the first revision that has each.
const HeaderField kHeader[] = {
    {"ProgramVersion", kTagProgramVersion, Kind::Version, 1},
    {"Carried", kTagCarriedByte, Kind::Integer, 2},
    {"CarriedText1", kTagCarriedText1, Kind::Text, 2},
    {"CarriedText2", kTagCarriedText2, Kind::Text, 2},
    {"InputMethod", kTagInputMethod, Kind::Text, 1},
    {"FontFace", kTagFontFace, Kind::Text, 1},
    {"Charset", kTagCharset, Kind::Integer, 1},
    {"MinimumFontSize", kTagCarriedByte, Kind::Integer, 4},
};
const char* const kIdentityTexts[] = {"Name", "Heading", "Remark", "Notes"};

// ---- Entries --------------------------------------------------------------

// The properties of an entry, in file order; Key and Layout are the key
// record's tag and the layout integer.
enum Rank { kKey, kLayout, kCaption, kHint, kItems };
const char* const kRankNames[] = {"Key", "Layout", "Caption", "Hint", "Items"};

int LegacyFollowing(int32_t kind) {
  return kind >= 6 && kind <= 10 ? 2 : kind == 11 ? 3 : kind == 12 ? 1 : kind == 13 ? 2 : 0;
}
// The properties of the records that follow a legacy key.
std::vector<Rank> LegacyRanks(int32_t kind) {
  if (kind == 12) return {kItems};
  std::vector<Rank> ranks = {kCaption, kHint, kItems};
  ranks.resize(static_cast<size_t>(LegacyFollowing(kind)));
  return ranks;
}

// The tag a property record has when its line carries no tag of its own.
int32_t BaseTag(Rank rank, int revision) { return revision == 0 ? 0 : rank - kCaption + 1; }

std::string FlagsOf(Rank rank, int32_t tag, int revision) {
  const int32_t base = BaseTag(rank, revision);
  if (tag == base) return std::string();
  if (base != 0 && (tag & ~(kTranslated | kShowHint)) == base) {
    std::string words;
    if (tag & kTranslated) words = "translated";
    if (tag & kShowHint) words += words.empty() ? "show" : " show";
    return " [" + words + "]";
  }
  return " [tag " + std::to_string(tag) + "]";
}

struct Line {
  int number;
  bool entry;        // a component path and property, else a header field
  std::string path;
  std::string name;  // header field or property
  std::string flags;
  std::string value;
};

bool ParseLine(const std::string& raw, int number, Line& line, std::string& error) {
  const size_t eq = raw.find('=');
  if (eq == std::string::npos) return error = "no \"=\"", false;
  std::string left = raw.substr(0, eq);
  line.number = number;
  line.value = raw.substr(eq + 1);
  if (!line.value.empty() && line.value[0] == ' ') line.value.erase(0, 1);
  while (!left.empty() && left.back() == ' ') left.pop_back();
  const size_t open = left.find('[');
  if (open != std::string::npos) {
    const size_t close = left.find(']', open);
    if (close == std::string::npos || close + 1 != left.size()) return error = "unclosed \"[\"", false;
    line.flags = left.substr(open + 1, close - open - 1);
    left.erase(open);
    while (!left.empty() && left.back() == ' ') left.pop_back();
  }
  const size_t dot = left.rfind('.');
  line.entry = dot != std::string::npos;
  line.path = line.entry ? left.substr(0, dot) : std::string();
  line.name = dot == std::string::npos ? left : left.substr(dot + 1);
  if (line.name.empty() || left.find(' ') != std::string::npos) return error = "no field name", false;
  return true;
}

bool TagOfFlags(const std::string& flags, Rank rank, int revision, int32_t& tag, std::string& error) {
  tag = BaseTag(rank, revision);
  if (flags.empty()) return true;
  if (flags.compare(0, 4, "tag ") == 0) {
    char* end = nullptr;
    const long v = std::strtol(flags.c_str() + 4, &end, 10);
    if (*end != '\0' || flags.size() == 4) return error = "bad tag", false;
    tag = static_cast<int32_t>(v);
    return true;
  }
  if (tag == 0) return error = "flags need a revision of 1 or more", false;
  size_t start = 0;
  while (start <= flags.size()) {
    size_t end = flags.find(' ', start);
    if (end == std::string::npos) end = flags.size();
    const std::string word = flags.substr(start, end - start);
    if (word == "translated") tag |= kTranslated;
    else if (word == "show") tag |= kShowHint;
    else return error = "unknown flag \"" + word + "\"", false;
    start = end + 1;
  }
  return true;
}

bool ParseInt(const std::string& text, int32_t& value) {
  if (text.empty()) return false;
  char* end = nullptr;
  const long long v = std::strtoll(text.c_str(), &end, 0);
  if (*end != '\0' || v < INT32_MIN || v > UINT32_MAX) return false;
  value = static_cast<int32_t>(static_cast<uint32_t>(v));
  return true;
}

bool ReadFlagFile(const std::wstring& folder, const std::string& name, std::string& bytes) {
  std::wstring wide;
  for (char c : name) wide += static_cast<wchar_t>(static_cast<unsigned char>(c));  // names are ASCII
  std::wstring path = folder + wide;
  for (wchar_t& c : path)
    if (c == L'/') c = L'\\';
  return platform::ReadWholeFile(path, 1u << 20, bytes) == platform::WholeFileRead::Ok;
}

}  // namespace

bool LanguageFileToText(const std::wstring& path, std::string& text, std::string& error) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = path;
  file.ReadOnly = true;
  if (!file.Open()) return error = "not a language file", false;
  if (!file.Consistent() || file.RecordCount() < 6) return error = "damaged language file", false;
  std::vector<Rec> recs;
  for (file.First(); !file.AtEnd();) {
    Rec r;
    int size = -1;
    r.tag = file.ReadData(r.payload, size, true);
    recs.push_back(std::move(r));
  }
  const std::string& identity = recs[0].payload;
  if (recs[0].tag != 0 || (identity.size() != 2 && identity.size() != 4)) return error = "bad identity record", false;
  const int id = static_cast<unsigned char>(identity[0]) | static_cast<unsigned char>(identity[1]) << 8;
  const int revision =
      identity.size() == 4 ? (static_cast<unsigned char>(identity[2]) | static_cast<unsigned char>(identity[3]) << 8) : 0;
  if (revision > 4) return error = "revision " + std::to_string(revision) + " is not supported", false;
  for (int i = 1; i <= 5; ++i)
    if (recs[i].tag != i) return error = "record " + std::to_string(i) + " has tag " + std::to_string(recs[i].tag), false;

  size_t at = 6;
  int charset = 1;
  std::vector<std::pair<const HeaderField*, const Rec*>> header;
  for (const HeaderField& field : kHeader) {
    if (revision < field.fromRevision) continue;
    if (at >= recs.size() || recs[at].tag != field.tag || (field.kind != Kind::Text && recs[at].payload.size() != 4))
      return error = std::string("bad header field ") + field.name, false;
    if (field.tag == kTagCharset) charset = IntOf(recs[at].payload) & 0xFF;
    header.emplace_back(&field, &recs[at]);
    ++at;
  }
  const bool cp1252 = IsCp1252(charset);

  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "Language = %04X\nRevision = %d\n", id, revision);
  text = "# Purgello language file as text. Escapes: \\\\ \\r \\n \\t \\xNN (a raw byte).\n";
  text += buffer;
  if (identity.size() == 2) text += "IdentityBytes = 2\n";
  for (int i = 0; i < 4; ++i) text += std::string(kIdentityTexts[i]) + " = " + Escape(recs[1 + i].payload, cp1252) + "\n";
  std::string flagHex;
  for (char c : recs[5].payload) flagHex += HexByte(static_cast<unsigned char>(c));
  text += "Flag = " + flagHex + "\n";
  for (const auto& [field, rec] : header) {
    const int32_t v = IntOf(rec->payload);
    text += std::string(field->name) + " = " +
            (field->kind == Kind::Text      ? Escape(rec->payload, cp1252)
             : field->kind == Kind::Version ? platform::ToUtf8(VersionText(static_cast<uint32_t>(v)))
                                            : std::to_string(v)) +
            "\n";
  }
  text += "\n";

  std::string previousPath;
  while (at < recs.size()) {
    const Rec& key = recs[at++];
    const std::string path = Escape(key.payload, cp1252, true);
    std::vector<std::pair<Rank, const Rec*>> props;
    std::string lines;
    if (revision == 0) {
      lines += path + ".Key = " + std::to_string(key.tag) + "\n";
      for (Rank rank : LegacyRanks(key.tag)) {
        if (at >= recs.size()) return error = "the last entry is cut short", false;
        props.emplace_back(rank, &recs[at++]);
      }
    } else {
      if (at + (revision >= 3 ? 4 : 3) > recs.size()) return error = "the last entry is cut short", false;
      if (revision >= 3) {
        const Rec& layout = recs[at++];
        if (layout.tag != kTagLayout || layout.payload.size() != 4) return error = "bad layout record", false;
        if (IntOf(layout.payload) != 0) lines += path + ".Layout = " + std::to_string(IntOf(layout.payload)) + "\n";
      }
      for (Rank rank : {kCaption, kHint, kItems}) props.emplace_back(rank, &recs[at++]);
    }
    int present = 0;
    for (const auto& [rank, rec] : props) {
      if (rec->tag != 0) ++present;
      if (rec->tag == 0 && rec->payload.empty()) continue;
      lines += path + "." + kRankNames[rank] + FlagsOf(rank, rec->tag, revision) + " = " + Escape(rec->payload, cp1252) + "\n";
    }
    // The key line also parts an entry from one of the same path before it.
    if (revision >= 1 && (key.tag != kTagKeyBase + present || lines.empty() || path == previousPath))
      lines = path + ".Key = " + std::to_string(key.tag) + "\n" + lines;
    previousPath = path;
    text += lines;
  }
  return true;
}

bool TextToLanguageFile(const std::string& text, const std::wstring& folder, const std::wstring& path,
                        std::string& error) {
  // Header fields by name, entry lines in order.
  std::map<std::string, Line> fields;
  std::vector<Line> entries;
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string raw = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!raw.empty() && raw.back() == '\r') raw.pop_back();
    if (raw.empty() || raw[0] == '#') continue;
    Line line;
    if (!ParseLine(raw, number, line, error)) return error = "line " + std::to_string(number) + ": " + error, false;
    if (!line.entry) {
      bool known = line.name == "Language" || line.name == "Revision" || line.name == "IdentityBytes" || line.name == "Flag";
      for (const char* name : kIdentityTexts) known |= line.name == name;
      for (const HeaderField& h : kHeader) known |= line.name == h.name;
      if (!known) return error = "line " + std::to_string(number) + ": unknown field \"" + line.name + "\"", false;
      if (!fields.emplace(line.name, line).second)
        return error = "line " + std::to_string(number) + ": " + line.name + " given twice", false;
    } else {
      entries.push_back(line);
    }
  }
  const auto fail = [&error](const Line& line, const std::string& why) {
    error = "line " + std::to_string(line.number) + ": " + why;
    return false;
  };
  const auto field = [&fields](const char* name) -> const Line* {
    auto it = fields.find(name);
    return it == fields.end() ? nullptr : &it->second;
  };
  const auto intField = [&](const char* name, int32_t fallback, int32_t& value) {
    value = fallback;
    const Line* line = field(name);
    return !line || ParseInt(line->value, value) || fail(*line, std::string("not a number: ") + name);
  };

  int32_t id = 0, revision = 4, identityBytes = 4, charset = 1;
  if (!intField("Revision", 4, revision) || !intField("IdentityBytes", 4, identityBytes)) return false;
  if (const Line* line = field("Language")) {
    if (!ParseInt("0x" + line->value, id) || id < 0 || id > 0xFFFF) return fail(*line, "not a language identifier");
  }
  if (revision < 0 || revision > 4) return error = "revision " + std::to_string(revision) + " is not supported", false;
  if (identityBytes != 4 && (identityBytes != 2 || revision != 0)) return error = "IdentityBytes is 2 only in revision 0", false;
  if (revision >= 1 && !intField("Charset", 1, charset)) return false;
  const bool cp1252 = IsCp1252(revision >= 1 ? charset & 0xFF : 1);
  const auto bytesOf = [&](const Line& line, std::string& bytes) {
    std::string why;
    return Unescape(line.value, cp1252, bytes, why) || fail(line, why);
  };
  const auto textField = [&](const char* name, std::string& bytes) {
    bytes.clear();
    const Line* line = field(name);
    return !line || bytesOf(*line, bytes);
  };

  std::vector<Rec> recs;
  std::string identity = Int32Bytes(revision << 16 | id);
  identity.resize(static_cast<size_t>(identityBytes));
  recs.push_back({0, identity});
  for (int i = 0; i < 4; ++i) {
    std::string bytes;
    if (!textField(kIdentityTexts[i], bytes)) return false;
    recs.push_back({i + 1, bytes});
  }
  std::string flag;
  if (const Line* line = field("Flag")) {
    if (line->value.compare(0, 8, "stripes:") == 0) {
      std::string why;
      if (!DrawStripedFlag(line->value.substr(8), flag, why)) return fail(*line, why);
    } else if (line->value.compare(0, 5, "file:") == 0) {
      if (!ReadFlagFile(folder, line->value.substr(5), flag)) return fail(*line, "cannot read " + line->value.substr(5));
    } else {
      if (line->value.size() % 2) return fail(*line, "odd hex digits");
      for (size_t i = 0; i < line->value.size(); i += 2) {
        const int hi = HexDigit(line->value[i]), lo = HexDigit(line->value[i + 1]);
        if (hi < 0 || lo < 0) return fail(*line, "not hex");
        flag += static_cast<char>(hi * 16 + lo);
      }
    }
  }
  recs.push_back({5, flag});
  for (const HeaderField& h : kHeader) {
    if (revision < h.fromRevision) continue;
    if (h.kind == Kind::Text) {
      std::string bytes;
      if (!textField(h.name, bytes)) return false;
      recs.push_back({h.tag, bytes});
    } else if (h.kind == Kind::Version) {
      const Line* line = field(h.name);
      recs.push_back({h.tag, Int32Bytes(line ? static_cast<int32_t>(PackVersion(platform::FromUtf8(line->value))) : 0)});
    } else {
      int32_t v = 0;
      if (!intField(h.name, h.tag == kTagCarriedByte && h.fromRevision == 4 ? 8 : h.tag == kTagCharset ? 1 : 0, v))
        return false;
      recs.push_back({h.tag, Int32Bytes(v)});
    }
  }

  // Entries: consecutive lines of one path, properties in file order; a path
  // that changes, or a property that does not come later, starts another.
  for (size_t i = 0; i < entries.size();) {
    const std::string& entryPath = entries[i].path;
    std::string pathBytes, why;
    if (!Unescape(entryPath, cp1252, pathBytes, why)) return fail(entries[i], why);
    bool hasKey = false, hasLayout = false;
    int32_t keyTag = 0, layout = 0;
    std::map<Rank, Rec> props;
    int last = -1;
    for (; i < entries.size() && entries[i].path == entryPath; ++i) {
      const Line& line = entries[i];
      int rank = 0;
      while (rank <= kItems && line.name != kRankNames[rank]) ++rank;
      if (rank > kItems) return fail(line, "unknown property \"" + line.name + "\"");
      if (rank <= last) break;
      last = rank;
      if (rank == kKey || rank == kLayout) {
        int32_t& v = rank == kKey ? keyTag : layout;
        (rank == kKey ? hasKey : hasLayout) = true;
        if (!line.flags.empty() || !ParseInt(line.value, v)) return fail(line, "not a number");
        if (rank == kLayout && revision < 3) return fail(line, "Layout needs revision 3 or 4");
        continue;
      }
      Rec rec;
      if (!TagOfFlags(line.flags, static_cast<Rank>(rank), revision, rec.tag, error)) return fail(line, error);
      if (!bytesOf(line, rec.payload)) return false;
      props[static_cast<Rank>(rank)] = rec;
    }
    std::vector<Rank> ranks = {kCaption, kHint, kItems};
    if (revision == 0) {
      if (!hasKey) return fail(entries[i - 1], "a legacy entry needs its Key");
      ranks = LegacyRanks(keyTag);
      for (const auto& [rank, rec] : props) {
        bool follows = false;
        for (Rank r : ranks) follows |= r == rank;
        if (!follows) return fail(entries[i - 1], std::string("kind has no ") + kRankNames[rank]);
      }
    } else if (!hasKey) {
      keyTag = kTagKeyBase;
      for (const auto& [rank, rec] : props) keyTag += rec.tag != 0;
    }
    recs.push_back({keyTag, pathBytes});
    if (revision >= 3) recs.push_back({kTagLayout, Int32Bytes(layout)});
    for (Rank rank : ranks) {
      auto it = props.find(rank);
      recs.push_back(it == props.end() ? Rec{0, std::string()} : it->second);
    }
  }

  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = path;
  try {
    file.Erase();
  } catch (const StorefileError& e) {
    return error = e.what(), false;
  }
  if (!file.Open()) return error = "cannot write the file", false;
  for (const Rec& r : recs) file.AppendData(r.tag, r.payload);
  file.Close();
  return true;
}
