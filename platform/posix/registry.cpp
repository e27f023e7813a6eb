// The registry on Linux: both roots in one UTF-8 text file inside the Wine
// prefix, <prefix>/purgello-registry.txt (a file of our own; Wine's user.reg and
// system.reg belong to a running wineserver and are never touched).
//
//   PURGELLO REGISTRY 1
//   [HKEY_CURRENT_USER\SOFTWARE\Halvoris\Purgello]
//   "ExpertMode"="1"
//   "Langue"=dword:00000409
//   "Path"=hex(2):25,00,00,00
//
// - The first line is the signature; a file without it reads as empty.
// - Every key has its own line: "[", the root's name, then "\" and each
//   component, "]". A key's values follow its line. Parents come before their
//   children. The registry lists, and the file holds, sibling keys sorted by
//   their upper-cased names and a key's values in the order they were created,
//   as Windows lists them.
// - A value line is the name in double quotes, "=", then the data:
//   "text" for a String whose data is UTF-16LE text with one final NUL;
//   dword:XXXXXXXX (eight hex digits) for a Dword of four bytes;
//   hex(T):bb,bb,... for anything else: type T in hex and the data's bytes.
// - In key names, value names and texts, "%", the double quote and control
//   characters are written as "%" and the two hex digits of the UTF-8 byte.
// - Lines that do not parse are skipped; names compare without regard to ASCII
//   letter case, as Windows compares them.
//
// Every call reads the file anew; nothing is cached, so threads and processes
// can share it. Writers hold an flock on <prefix>/purgello-registry.lock from
// their read to their write, and replace the file through a temporary file and
// a rename, so readers need no lock: they see the old file or the new one whole.
#include "platform/registry.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <unordered_map>

#include "platform/posix/descriptor.h"
#include "platform/errors.h"
#include "platform/posix/native_file.h"
#include "platform/posix/registry_file.h"
#include "platform/posix/wine_prefix.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

namespace platform {

std::string RegistryFilePath() { return CurrentWinePrefix().root + "/purgello-registry.txt"; }

namespace {

constexpr char kSignature[] = "PURGELLO REGISTRY 1";
// Far above any real registry of the program; a larger file is not read, and
// then not overwritten either.
constexpr size_t kMaxFileBytes = size_t(256) << 20;

struct Value {
  std::wstring name;
  uint32_t type = 0;
  std::string data;
};

struct Key {
  std::wstring name;
  std::vector<Value> values;
  std::vector<std::unique_ptr<Key>> children;

  Key* Child(const std::wstring& childName) const {
    for (const auto& c : children)
      if (EqualsNoCase(c->name, childName)) return c.get();
    return nullptr;
  }
  // Windows keeps sub-keys sorted by upper-cased name.
  Key* AddChild(const std::wstring& childName) {
    auto before = [](const std::wstring& a, const std::wstring& b) {
      size_t n = a.size() < b.size() ? a.size() : b.size();
      for (size_t i = 0; i < n; ++i) {
        wchar_t x = AsciiUpper(a[i]), y = AsciiUpper(b[i]);
        if (x != y) return x < y;
      }
      return a.size() < b.size();
    };
    auto at = children.begin();
    while (at != children.end() && before((*at)->name, childName)) ++at;
    at = children.insert(at, std::make_unique<Key>());
    (*at)->name = childName;
    return at->get();
  }
  Value* FindValue(const std::wstring& valueName) {
    for (Value& v : values)
      if (EqualsNoCase(v.name, valueName)) return &v;
    return nullptr;
  }
};

struct Hive {
  Key currentUser{L"HKEY_CURRENT_USER", {}, {}};
  Key localMachine{L"HKEY_LOCAL_MACHINE", {}, {}};
  Key& Root(RegRoot root) { return root == RegRoot::CurrentUser ? currentUser : localMachine; }
};

using Path = std::vector<std::wstring>;

Path SplitPath(const std::wstring& subKey) {
  Path path;
  size_t pos = 0;
  while (pos <= subKey.size()) {
    size_t end = subKey.find(L'\\', pos);
    if (end == std::wstring::npos) end = subKey.size();
    if (end > pos) path.push_back(subKey.substr(pos, end - pos));
    pos = end + 1;
  }
  return path;
}

Key* Find(Hive& hive, RegRoot root, const Path& path) {
  Key* key = &hive.Root(root);
  for (const auto& name : path) {
    key = key->Child(name);
    if (!key) return nullptr;
  }
  return key;
}

RegType TypeOf(uint32_t raw) {
  switch (raw) {
    case 1: case 2: case 3: case 4: case 7: case 11: return RegType(raw);
    default: return RegType::Other;
  }
}

// ---- text form ----

const char kHex[] = "0123456789abcdef";

void AppendEscaped(std::string& out, const std::wstring& text) {
  for (unsigned char b : ToUtf8(text)) {
    if (b == '%' || b == '"' || b < 0x20 || b == 0x7F) {
      out += '%';
      out += kHex[b >> 4];
      out += kHex[b & 15];
    } else {
      out += char(b);
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(const std::string& in, std::wstring& out) {
  std::string bytes;
  bytes.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    if (in[i] != '%') {
      bytes += in[i];
      continue;
    }
    if (i + 2 >= in.size()) return false;
    int hi = HexDigit(in[i + 1]), lo = HexDigit(in[i + 2]);
    if (hi < 0 || lo < 0) return false;
    bytes += char(hi * 16 + lo);
    i += 2;
  }
  out = FromUtf8(bytes);
  return true;
}

bool ParseHexNumber(const std::string& text, uint32_t& value) {
  if (text.empty() || text.size() > 8) return false;
  value = 0;
  for (char c : text) {
    int d = HexDigit(c);
    if (d < 0) return false;
    value = value * 16 + uint32_t(d);
  }
  return true;
}

void AppendData(std::string& out, const Value& v) {
  if (v.type == 1) {
    std::wstring text = TextFromRegData(v.data);
    if (RegDataFromText(text) == v.data) {
      out += '"';
      AppendEscaped(out, text);
      out += '"';
      return;
    }
  }
  uint32_t dword;
  if (v.type == 4 && DwordFromRegData(v.data, dword)) {
    char buffer[16];
    for (int i = 0; i < 8; ++i) buffer[i] = kHex[(dword >> (28 - 4 * i)) & 15];
    out += "dword:";
    out.append(buffer, 8);
    return;
  }
  out += "hex(";
  char buffer[16];
  int n = 0;
  uint32_t t = v.type;
  do {
    buffer[n++] = kHex[t & 15];
    t >>= 4;
  } while (t);
  while (n) out += buffer[--n];
  out += "):";
  for (size_t i = 0; i < v.data.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(v.data[i]);
    if (i) out += ',';
    out += kHex[b >> 4];
    out += kHex[b & 15];
  }
}

bool ParseData(const std::string& text, Value& v) {
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"') {
    std::wstring s;
    if (!Unescape(text.substr(1, text.size() - 2), s)) return false;
    v.type = 1;
    v.data = RegDataFromText(s);
    return true;
  }
  if (text.compare(0, 6, "dword:") == 0) {
    uint32_t dword;
    if (text.size() != 14 || !ParseHexNumber(text.substr(6), dword)) return false;
    v.type = 4;
    v.data = RegDataFromDword(dword);
    return true;
  }
  if (text.compare(0, 4, "hex(") == 0) {
    size_t close = text.find("):", 4);
    if (close == std::string::npos || !ParseHexNumber(text.substr(4, close - 4), v.type)) return false;
    v.data.clear();
    size_t pos = close + 2;
    while (pos < text.size()) {
      if (pos + 2 > text.size()) return false;
      int hi = HexDigit(text[pos]), lo = HexDigit(text[pos + 1]);
      if (hi < 0 || lo < 0) return false;
      v.data += char(hi * 16 + lo);
      pos += 2;
      if (pos < text.size() && text[pos++] != ',') return false;
    }
    return true;
  }
  return false;
}

void AppendKey(std::string& out, const Key& key, std::string& path) {
  size_t mark = path.size();
  if (!path.empty()) path += '\\';
  AppendEscaped(path, key.name);
  out += '[';
  out += path;
  out += "]\n";
  for (const Value& v : key.values) {
    out += '"';
    AppendEscaped(out, v.name);
    out += "\"=";
    AppendData(out, v);
    out += '\n';
  }
  for (const auto& child : key.children) AppendKey(out, *child, path);
  path.resize(mark);
}

std::string Serialize(const Hive& hive) {
  std::string out = kSignature;
  out += '\n';
  std::string path;
  AppendKey(out, hive.currentUser, path);
  AppendKey(out, hive.localMachine, path);
  return out;
}

Key* ParseKeyLine(Hive& hive, const std::string& line) {
  Key* key = nullptr;
  size_t pos = 1;
  const size_t end = line.size() - 1;
  while (pos <= end) {
    size_t sep = line.find('\\', pos);
    if (sep == std::string::npos || sep > end) sep = end;
    std::wstring name;
    if (sep == pos || !Unescape(line.substr(pos, sep - pos), name)) return nullptr;
    if (!key) {
      if (EqualsNoCase(name, hive.currentUser.name)) key = &hive.currentUser;
      else if (EqualsNoCase(name, hive.localMachine.name)) key = &hive.localMachine;
      else return nullptr;
    } else {
      Key* child = key->Child(name);
      key = child ? child : key->AddChild(name);
    }
    pos = sep + 1;
  }
  return key;
}

void Parse(const std::string& bytes, Hive& hive) {
  size_t pos = 0;
  bool first = true;
  Key* current = nullptr;
  while (pos < bytes.size()) {
    size_t end = bytes.find('\n', pos);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(pos, end - pos);
    pos = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (first) {
      if (line != kSignature) return;
      first = false;
      continue;
    }
    if (line.size() >= 2 && line.front() == '[' && line.back() == ']') {
      current = ParseKeyLine(hive, line);
    } else if (current && line.size() >= 3 && line.front() == '"') {
      size_t close = line.find('"', 1);
      Value v;
      if (close == std::string::npos || close + 1 >= line.size() || line[close + 1] != '=' ||
          !Unescape(line.substr(1, close - 1), v.name) || !ParseData(line.substr(close + 2), v))
        continue;
      current->values.push_back(std::move(v));
    }
  }
}

// A missing or corrupt file reads as empty. False when the file exists but
// cannot be read whole: writing over it would destroy what it holds.
bool Load(Hive& hive) {
  std::string bytes;
  switch (ReadNativeFile(RegistryFilePath(), kMaxFileBytes, bytes)) {
    case WholeFileRead::Ok: Parse(bytes, hive); return true;
    case WholeFileRead::Missing: return true;
    default: return false;
  }
}

bool MakeFolders(const std::string& path) {
  for (size_t pos = 1; pos <= path.size(); ++pos) {
    if (pos == path.size() || path[pos] == '/') {
      std::string part = path.substr(0, pos);
      if (mkdir(part.c_str(), 0755) != 0 && errno != EEXIST) return false;
    }
  }
  return true;
}

// Holds the writers' lock for a scope.
class WriterLock {
 public:
  WriterLock() {
    std::string root = CurrentWinePrefix().root;
    if (!MakeFolders(root)) return;
    fd_.Reset(open((root + "/purgello-registry.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644));
    if (!fd_.Valid()) return;
    while (flock(fd_.Get(), LOCK_EX) != 0) {
      if (errno != EINTR) {
        fd_.Reset();
        return;
      }
    }
  }
  bool Held() const { return fd_.Valid(); }

 private:
  Descriptor fd_;  // closing releases the lock
};

enum class Edit { Failed, Unchanged, Changed };

// Read, change and write back under the writers' lock.
template <class Fn>
bool Modify(Fn&& change) {
  WriterLock lock;
  Hive hive;
  if (!lock.Held() || !Load(hive)) return false;
  switch (change(hive)) {
    case Edit::Failed: return false;
    case Edit::Unchanged: return true;
    case Edit::Changed: return ReplaceNativeFile(RegistryFilePath(), Serialize(hive));
  }
  return false;
}

}  // namespace

// ---- data layout ----

std::string RegDataFromText(const std::wstring& text) {
  std::string out;
  out.reserve(text.size() * 2 + 2);
  auto unit = [&](uint32_t u) {
    out += char(u & 0xFF);
    out += char(u >> 8);
  };
  for (wchar_t wc : text) {
    uint32_t c = uint32_t(wc);
    if (c >= 0x10000 && c <= 0x10FFFF) {
      c -= 0x10000;
      unit(0xD800 | (c >> 10));
      unit(0xDC00 | (c & 0x3FF));
    } else {
      unit(c <= 0xFFFF ? c : 0xFFFD);
    }
  }
  unit(0);
  return out;
}

std::wstring TextFromRegData(const std::string& data) {
  std::wstring out;
  const size_t units = data.size() / 2;
  auto unit = [&](size_t i) {
    return uint32_t(static_cast<unsigned char>(data[2 * i])) | uint32_t(static_cast<unsigned char>(data[2 * i + 1])) << 8;
  };
  for (size_t i = 0; i < units; ++i) {
    uint32_t u = unit(i);
    if (u == 0) break;
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      uint32_t low = unit(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        out += wchar_t(0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    out += wchar_t(u);  // a lone surrogate stays as it is
  }
  return out;
}

// ---- keys ----

struct RegKey::Impl {
  RegRoot root;
  Path path;
  bool writable;
};

RegKey::RegKey() = default;
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&&) noexcept = default;

RegKey RegKey::Open(RegRoot root, const std::wstring& subKey, RegAccess access, RegView) {
  RegKey key;
  Path path = SplitPath(subKey);
  Hive hive;
  if (!Load(hive)) key.error_ = kErrorAccessDenied;
  else if (!Find(hive, root, path)) key.error_ = kErrorFileNotFound;
  else key.impl_.reset(new Impl{root, path, access == RegAccess::ReadWrite});
  return key;
}

RegKey RegKey::Create(RegRoot root, const std::wstring& subKey, RegView view) {
  RegKey existing = Open(root, subKey, RegAccess::ReadWrite, view);
  if (existing.IsOpen()) return existing;
  Path path = SplitPath(subKey);
  bool made = Modify([&](Hive& hive) {
    Key* key = &hive.Root(root);
    Edit edit = Edit::Unchanged;
    for (const auto& name : path) {
      Key* child = key->Child(name);
      if (!child) {
        child = key->AddChild(name);
        edit = Edit::Changed;
      }
      key = child;
    }
    return edit;
  });
  RegKey key;
  if (made) key.impl_.reset(new Impl{root, path, true});
  else key.error_ = kErrorAccessDenied;
  return key;
}

bool RegKey::IsOpen() const { return impl_ != nullptr; }

namespace {

// Finds a value of an open key in a fresh reading of the file.
template <class ImplPtr, class Fn>
auto WithValue(const ImplPtr& impl, const std::wstring& name, Fn&& fn) -> decltype(fn(nullptr)) {
  Hive hive;
  Key* key = impl && Load(hive) ? Find(hive, impl->root, impl->path) : nullptr;
  return fn(key ? key->FindValue(name) : nullptr);
}

}  // namespace

bool RegKey::HasValue(const std::wstring& name) const {
  return WithValue(impl_, name, [](const Value* v) { return v != nullptr; });
}

RegType RegKey::ValueType(const std::wstring& name) const {
  return WithValue(impl_, name, [](const Value* v) { return v ? TypeOf(v->type) : RegType::None; });
}

bool RegKey::ReadString(const std::wstring& name, std::wstring& text) const {
  return WithValue(impl_, name, [&](const Value* v) {
    if (!v || (v->type != 1 && v->type != 2)) return false;
    text = TextFromRegData(v->data);
    return true;
  });
}

bool RegKey::ReadDword(const std::wstring& name, uint32_t& value) const {
  return WithValue(impl_, name, [&](const Value* v) { return v && v->type == 4 && DwordFromRegData(v->data, value); });
}

bool RegKey::WriteString(const std::wstring& name, const std::wstring& text) {
  return WriteValue({name, RegType::String, RegDataFromText(text)});
}

bool RegKey::WriteDword(const std::wstring& name, uint32_t value) {
  return WriteValue({name, RegType::Dword, RegDataFromDword(value)});
}

bool RegKey::WriteValue(const RegValue& value) { return WriteValues({value}); }

bool RegKey::WriteValues(const std::vector<RegValue>& values) {
  if (!impl_ || !impl_->writable) return false;
  return Modify([&](Hive& hive) {
    Key* key = Find(hive, impl_->root, impl_->path);
    if (!key) return Edit::Failed;
    // An index keeps a batch of many new values linear.
    std::unordered_map<std::wstring, size_t> index;
    for (size_t i = 0; i < key->values.size(); ++i) index.emplace(AsciiLowerCase(key->values[i].name), i);
    for (const RegValue& v : values) {
      auto [it, added] = index.emplace(AsciiLowerCase(v.name), key->values.size());
      if (added) key->values.push_back({v.name, 0, {}});
      Value& target = key->values[it->second];
      target.type = uint32_t(v.type);
      target.data = v.data;
    }
    return Edit::Changed;
  });
}

bool RegKey::DeleteValue(const std::wstring& name) {
  if (!impl_ || !impl_->writable) return false;
  return Modify([&](Hive& hive) {
    Key* key = Find(hive, impl_->root, impl_->path);
    if (!key) return Edit::Failed;
    for (auto it = key->values.begin(); it != key->values.end(); ++it) {
      if (EqualsNoCase(it->name, name)) {
        key->values.erase(it);
        return Edit::Changed;
      }
    }
    return Edit::Failed;
  });
}

std::vector<RegValueInfo> RegKey::Values() const {
  std::vector<RegValueInfo> out;
  for (RegValue& v : ReadValues()) out.push_back({std::move(v.name), v.type});
  return out;
}

std::vector<RegValue> RegKey::ReadValues() const {
  std::vector<RegValue> out;
  Hive hive;
  if (!impl_ || !Load(hive)) return out;
  if (Key* key = Find(hive, impl_->root, impl_->path))
    for (Value& v : key->values) out.push_back({std::move(v.name), TypeOf(v.type), std::move(v.data)});
  return out;
}

std::vector<std::wstring> RegKey::SubKeyNames() const {
  std::vector<std::wstring> out;
  Hive hive;
  if (!impl_ || !Load(hive)) return out;
  if (Key* key = Find(hive, impl_->root, impl_->path))
    for (const auto& child : key->children) out.push_back(child->name);
  return out;
}

bool KeyExists(RegRoot root, const std::wstring& subKey, RegView) {
  Hive hive;
  return Load(hive) && Find(hive, root, SplitPath(subKey)) != nullptr;
}

namespace {

// Removes the key at path from its parent when allowed(key) says so.
template <class Fn>
bool RemoveKey(RegRoot root, const std::wstring& subKey, Fn&& allowed) {
  Path path = SplitPath(subKey);
  if (path.empty()) return false;
  std::wstring last = path.back();
  path.pop_back();
  return Modify([&](Hive& hive) {
    Key* parent = Find(hive, root, path);
    if (!parent) return Edit::Failed;
    for (auto it = parent->children.begin(); it != parent->children.end(); ++it) {
      if (EqualsNoCase((*it)->name, last)) {
        if (!allowed(**it)) return Edit::Failed;
        parent->children.erase(it);
        return Edit::Changed;
      }
    }
    return Edit::Failed;
  });
}

}  // namespace

bool DeleteKeyTree(RegRoot root, const std::wstring& subKey, RegView) {
  return RemoveKey(root, subKey, [](const Key&) { return true; });
}

bool DeleteKeyIfEmpty(RegRoot root, const std::wstring& subKey) {
  return RemoveKey(root, subKey, [](const Key& key) { return key.values.empty() && key.children.empty(); });
}

}  // namespace platform
