#include "i18n/language_record.h"

#include <cstdio>
#include <exception>
#include <optional>

#include "gui/component_paths.h"
#include "i18n/language_tags.h"
#include "i18n/record_file.h"
#include "platform/text_codec.h"

const char kLanguageSignature[] = "QLM LANGUAGE FILE";
const wchar_t kUnsupportedRevisionText[] = L"Format not supported in this revision";

namespace {

using namespace language_tags;
constexpr int kRecordsBeforeHeader = 6;

uint32_t Le32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}
uint16_t Le16(const std::string& b, size_t at) {
  return static_cast<uint16_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8);
}

// Lines separated by CR LF, a lone CR or a lone LF; a final separator ends the
// last line rather than starting another.
std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  std::wstring line;
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      lines.push_back(line);
      line.clear();
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
    } else {
      line += c;
    }
  }
  if (!line.empty()) lines.push_back(line);
  return lines;
}

std::wstring JoinLines(const std::vector<std::wstring>& lines) {
  std::wstring text;
  for (const std::wstring& line : lines) text += line + L"\r\n";
  return text;
}

bool IsBlank(const std::wstring& text) {
  for (wchar_t c : text)
    if (c > L' ') return false;
  return true;
}

std::wstring ReadText(TStorefile& file, int32_t* tag = nullptr) {
  std::string bytes;
  const int32_t t = file.ReadString(bytes, true);
  if (tag) *tag = t;
  return platform::FromAnsi(bytes);
}

int32_t ReadInt(TStorefile& file) {
  int32_t value = 0;
  file.ReadInteger(value, true);
  return value;
}

std::optional<std::wstring> TextOf(const Component& c, Property p) {
  std::optional<PropertyValue> v = c.Get(p);
  if (!v || !std::holds_alternative<std::wstring>(*v)) return std::nullopt;
  return std::get<std::wstring>(*v);
}

std::optional<StringList> ListOf(const Component& c) {
  for (Property p : {Property::Items, Property::Lines}) {
    std::optional<PropertyValue> v = c.Get(p);
    if (v && std::holds_alternative<StringList>(*v)) return std::get<StringList>(*v);
  }
  return std::nullopt;
}

void SetCaption(Component& c, const std::wstring& text) {
  if (!c.Set(Property::Caption, text)) c.Set(Property::Text, text);
}

// Replaces entries from the first; the list never grows or shrinks.
void ApplyItems(Component& c, const std::wstring& text) {
  const std::vector<std::wstring> lines = SplitLines(text);
  for (Property p : {Property::Items, Property::Lines}) {
    std::optional<PropertyValue> v = c.Get(p);
    if (!v || !std::holds_alternative<StringList>(*v)) continue;
    StringList list = std::get<StringList>(*v);
    for (size_t i = 0; i < list.size() && i < lines.size(); ++i) list[i] = lines[i];
    c.Set(p, list);
    return;
  }
}

bool Applicable(int32_t tag) { return tag > 0 && (tag & kTranslated) != 0; }

void SetFontCharset(Component& c, int charset) {
  std::optional<PropertyValue> v = c.Get(Property::Font);
  if (!v || !std::holds_alternative<FontSpec>(*v)) return;
  FontSpec font = std::get<FontSpec>(*v);
  font.charset = charset;
  c.Set(Property::Font, font);
}

}  // namespace

uint32_t PackVersion(const std::wstring& text) {
  uint32_t fields[5] = {};
  size_t field = 0;
  uint32_t value = 0;
  for (size_t i = 0; i < text.size() && field < 5; ++i) {
    const wchar_t c = text[i];
    if (c >= L'0' && c <= L'9') value = value * 10 + static_cast<uint32_t>(c - L'0');
    if (c == L'.' || c == L',' || i + 1 == text.size()) {
      fields[field++] = value;
      value = 0;
    }
  }
  return (fields[0] & 0xFF) << 24 | (fields[1] & 0xFF) << 16 | (fields[2] & 0x3F) << 10 | (fields[3] & 0x3FF);
}

std::wstring VersionText(uint32_t packed) {
  return std::to_wstring(packed >> 24) + L"." + std::to_wstring((packed >> 16) & 0xFF) + L"." +
         std::to_wstring((packed >> 10) & 0x3F) + L"." + std::to_wstring(packed & 0x3FF);
}

bool IsWellFormedBitmap(const std::string& b) {
  constexpr size_t kFileHeader = 14;
  if (b.size() < kFileHeader + 40 || b[0] != 'B' || b[1] != 'M') return false;
  const uint64_t bitsOffset = Le32(b, 10);
  const uint64_t infoSize = Le32(b, 14);
  if (infoSize < 40 || kFileHeader + infoSize > b.size()) return false;
  const int32_t width = static_cast<int32_t>(Le32(b, 18));
  const int32_t height = static_cast<int32_t>(Le32(b, 22));
  const uint16_t planes = Le16(b, 26), bits = Le16(b, 28);
  const uint32_t compression = Le32(b, 30), colorsUsed = Le32(b, 46);
  // A flag is a small picture; the bounds keep every product below in 64 bits.
  if (width <= 0 || height == 0 || height == INT32_MIN || width > 4096 || height > 4096 || height < -4096) return false;
  if (planes != 1) return false;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
  uint64_t masks = 0;
  if (compression == 3 && (bits == 16 || bits == 32)) masks = infoSize == 40 ? 12 : 0;
  else if (compression != 0) return false;
  uint64_t paletteEntries = 0;
  if (bits <= 8) {
    paletteEntries = colorsUsed ? colorsUsed : (1u << bits);
    if (paletteEntries > (1u << bits)) return false;
  }
  const uint64_t paletteEnd = kFileHeader + infoSize + masks + paletteEntries * 4;
  const uint64_t rows = static_cast<uint64_t>(height < 0 ? -static_cast<int64_t>(height) : height);
  const uint64_t stride = (static_cast<uint64_t>(width) * bits + 31) / 32 * 4;
  return paletteEnd <= bitsOffset && bitsOffset <= b.size() && stride * rows <= b.size() - bitsOffset;
}

TLanguageRecord::TLanguageRecord(Component& root, const std::vector<std::wstring>* excludedComps)
    : root_(root), excluded_(excludedComps) {}

std::vector<ComponentPath> TLanguageRecord::CollectComponents() const {
  return ::CollectComponents(root_, excluded_ ? *excluded_ : std::vector<std::wstring>());
}

std::wstring TLanguageRecord::DefaultFileName() const {
  wchar_t hex[9];
  std::swprintf(hex, 9, L"%08X", static_cast<unsigned>(languageId));
  return programFolder + hex + L".SPK";
}

LoadResult TLanguageRecord::LoadAndApply(const std::wstring& fileName) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = fileName.empty() ? DefaultFileName() : fileName;
  file.ReadOnly = true;
  // The whole file is checked first, so that a damaged one changes nothing.
  if (!file.Open() || !file.Consistent() || file.RecordCount() < kRecordsBeforeHeader) return LoadResult::NotLanguageFile;

  std::string identity;
  int size = 4;
  file.ReadData(identity, size, true);
  identity.resize(4, '\0');
  languageId = Le16(identity, 0);
  revisionRead = size == 4 ? Le16(identity, 2) : 0;
  languageName = ReadText(file);
  headingName = ReadText(file);
  listRemark = ReadText(file);
  notes = SplitLines(ReadText(file));
  std::string flag;
  file.ReadString(flag, true);
  flagBitmap = IsWellFormedBitmap(flag) ? flag : std::string();
  if (revisionRead > 4) return LoadResult::UnsupportedRevision;

  if (revisionRead == 0) {
    charset = 1;
    std::vector<ComponentPath> paths;
    for (Component* window : root_.Components()) {
      SetFontCharset(*window, 1);
      paths.push_back({window->Name(), window});
      for (Component* c : window->Components()) {
        SetFontCharset(*c, 1);
        paths.push_back({window->Name() + L"." + c->Name(), c});
      }
    }
    while (!file.AtEnd()) {
      int32_t kind = 0;
      const std::wstring key = ReadText(file, &kind);
      const int follow = kind >= 6 && kind <= 10 ? 2 : kind == 11 ? 3 : kind == 12 ? 1 : kind == 13 ? 2 : 0;
      std::wstring texts[3];
      for (int i = 0; i < follow; ++i) texts[i] = ReadText(file);
      Component* c = FindByPath(paths, key);
      if (!c || follow == 0) continue;
      if (kind == 12) {
        if (!texts[0].empty()) ApplyItems(*c, texts[0]);
        continue;
      }
      if (!texts[0].empty()) SetCaption(*c, texts[0]);
      if (!texts[1].empty()) c->Set(Property::Hint, texts[1]);
      if (kind == 11 && !texts[2].empty()) ApplyItems(*c, texts[2]);
    }
    return LoadResult::Loaded;
  }

  programVersion = static_cast<uint32_t>(ReadInt(file));
  if (revisionRead >= 2) {
    carriedByte = ReadInt(file) & 0xFF;
    carriedText1 = ReadText(file);
    carriedText2 = ReadText(file);
  }
  inputMethodName = ReadText(file);
  fontFace = ReadText(file);
  charset = ReadInt(file) & 0xFF;
  minimumFontSize = revisionRead == 4 ? ReadInt(file) : 9;

  const std::vector<ComponentPath> paths = CollectComponents();
  Component* mainWindow = root_.FindComponent(L"MainDlg");
  std::optional<PropertyValue> reference = (mainWindow ? *mainWindow : root_).Get(Property::Font);
  const std::wstring referenceFace =
      reference && std::holds_alternative<FontSpec>(*reference) ? std::get<FontSpec>(*reference).face : std::wstring();
  for (const ComponentPath& p : paths) {
    std::optional<PropertyValue> v = p.component->Get(Property::Font);
    if (!v || !std::holds_alternative<FontSpec>(*v)) continue;
    FontSpec font = std::get<FontSpec>(*v);
    if (font.face == referenceFace) font.face = fontFace;
    font.charset = charset;
    if (revisionRead == 4 && font.size < minimumFontSize) font.size = minimumFontSize;
    p.component->Set(Property::Font, font);
  }

  while (!file.AtEnd()) {
    const std::wstring key = ReadText(file);
    const int32_t layout = revisionRead >= 3 ? ReadInt(file) : 0;
    int32_t captionTag = 0, hintTag = 0, itemsTag = 0;
    const std::wstring caption = ReadText(file, &captionTag);
    const std::wstring hint = ReadText(file, &hintTag);
    const std::wstring items = ReadText(file, &itemsTag);
    Component* c = FindByPath(paths, key);
    if (!c) continue;
    std::optional<PropertyValue> itemIndex = c->Get(Property::ItemIndex);
    if (layout == 1 || layout == 2) {
      c->Set(Property::Alignment, layout == 1 ? 1 : 0);
      c->Set(Property::Layout, layout == 1 ? 0 : 1);
    }
    if (Applicable(captionTag)) SetCaption(*c, caption);
    if (Applicable(hintTag) && c->Set(Property::Hint, hint)) c->Set(Property::ShowHint, (hintTag & kShowHint) != 0);
    if (Applicable(itemsTag)) ApplyItems(*c, items);
    if (itemIndex) c->Set(Property::ItemIndex, *itemIndex);
  }
  if (setSystemFontsCharset) setSystemFontsCharset(charset);
  return LoadResult::Loaded;
}

void TLanguageRecord::SaveTemplate(const std::wstring& fileName) {
  TStorefile file;
  file.Signature = kLanguageSignature;
  file.Filename = fileName.empty() ? DefaultFileName() : fileName;
  file.Erase();
  if (!file.Open()) return;
  auto text = [&file](int32_t tag, const std::wstring& t) { file.AppendString(tag, platform::ToAnsi(t)); };
  file.AppendInteger(0, static_cast<int32_t>(static_cast<uint32_t>(revisionToWrite) << 16 | languageId));
  text(1, languageName);
  text(2, headingName);
  text(3, listRemark);
  text(4, JoinLines(notes));
  file.AppendData(5, flagBitmap);
  file.AppendInteger(kTagProgramVersion, static_cast<int32_t>(programVersion));
  file.AppendInteger(kTagCarriedByte, carriedByte);
  text(kTagCarriedText1, carriedText1);
  text(kTagCarriedText2, carriedText2);
  text(kTagInputMethod, inputMethodName);
  text(kTagFontFace, fontFace);
  file.AppendInteger(kTagCharset, charset);
  file.AppendInteger(kTagCarriedByte, minimumFontSize);

  const std::vector<ComponentPath> paths = CollectComponents();
  for (size_t i = 0; i < paths.size(); ++i) {
    Component& c = *paths[i].component;
    try {
      std::optional<std::wstring> caption = TextOf(c, Property::Caption);
      if (!caption || IsBlank(*caption)) caption = TextOf(c, Property::Text);
      const bool hasCaption = caption && !IsBlank(*caption);
      const std::optional<std::wstring> hint = TextOf(c, Property::Hint);
      const bool hasHint = hint && !IsBlank(*hint);
      const std::optional<StringList> items = ListOf(c);
      const int present = hasCaption + hasHint + (items ? 1 : 0);
      if (present == 0) continue;
      text(kTagKeyBase + present, paths[i].path);
      file.AppendInteger(kTagLayout, 0);
      text(hasCaption ? 1 : 0, hasCaption ? *caption : std::wstring());
      std::optional<PropertyValue> showHint = c.Get(Property::ShowHint);
      const bool shows = !showHint || (std::holds_alternative<bool>(*showHint) && std::get<bool>(*showHint));
      text(hasHint ? 2 + (shows ? kShowHint : 0) : 0, hasHint ? *hint : std::wstring());
      text(items ? 3 : 0, items ? JoinLines(*items) : std::wstring());
    } catch (const std::exception& e) {
      if (showMessage) {
        wchar_t message[512];
        std::swprintf(message, 512, L"Exception %ls - component No %d", platform::FromAnsi(e.what()).c_str(),
                      static_cast<int>(i));
        showMessage(message);
      }
    }
  }
  file.Close();
}
