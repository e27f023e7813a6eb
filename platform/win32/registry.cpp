// The registry on Windows. Every RegKey owns one HKEY and closes it; callers
// open a fresh key per call, so threads never share a handle.
#include "platform/registry.h"

#include <windows.h>

#include <cstring>

#include "platform/win32/handle.h"

namespace platform {
namespace {

HKEY RootHandle(RegRoot root) { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

REGSAM ViewFlags(RegView view) { return view == RegView::Force64 ? KEY_WOW64_64KEY : 0; }

RegType TypeOf(DWORD raw) {
  switch (raw) {
    case REG_SZ: case REG_EXPAND_SZ: case REG_BINARY: case REG_DWORD: case REG_MULTI_SZ: case REG_QWORD:
      return RegType(raw);
    default:
      return RegType::Other;
  }
}

// Longest key name the registry allows, plus the NUL.
constexpr DWORD kMaxKeyName = 256;
// Longest value name, plus the NUL.
constexpr DWORD kMaxValueName = 16384;

}  // namespace

std::string RegDataFromText(const std::wstring& text) {
  std::string out(reinterpret_cast<const char*>(text.c_str()), (text.size() + 1) * sizeof(wchar_t));
  return out;
}

std::wstring TextFromRegData(const std::string& data) {
  std::wstring out(data.size() / sizeof(wchar_t), L'\0');
  if (!out.empty()) std::memcpy(&out[0], data.data(), out.size() * sizeof(wchar_t));
  size_t nul = out.find(L'\0');
  if (nul != std::wstring::npos) out.resize(nul);
  return out;
}

struct RegKey::Impl {
  KeyHandle key;
};

RegKey::RegKey() = default;
RegKey::~RegKey() = default;
RegKey::RegKey(RegKey&&) noexcept = default;
RegKey& RegKey::operator=(RegKey&&) noexcept = default;

RegKey RegKey::Open(RegRoot root, const std::wstring& subKey, RegAccess access, RegView view) {
  RegKey result;
  REGSAM sam = (access == RegAccess::ReadWrite ? KEY_READ | KEY_WRITE : KEY_READ) | ViewFlags(view);
  HKEY key = nullptr;
  result.error_ = RegOpenKeyExW(RootHandle(root), subKey.c_str(), 0, sam, &key);
  if (result.error_ == ERROR_SUCCESS) {
    result.impl_.reset(new Impl);
    result.impl_->key.Reset(key);
  }
  return result;
}

RegKey RegKey::Create(RegRoot root, const std::wstring& subKey, RegView view) {
  RegKey result;
  HKEY key = nullptr;
  result.error_ = RegCreateKeyExW(RootHandle(root), subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                  KEY_READ | KEY_WRITE | ViewFlags(view), nullptr, &key, nullptr);
  if (result.error_ == ERROR_SUCCESS) {
    result.impl_.reset(new Impl);
    result.impl_->key.Reset(key);
  }
  return result;
}

bool RegKey::IsOpen() const { return impl_ && impl_->key.Valid(); }

namespace {

// Reads a value's type and data; the loop covers a value that grows between
// the size query and the read.
bool QueryValue(HKEY key, const std::wstring& name, DWORD& type, std::string& data) {
  DWORD size = 0;
  if (RegQueryValueExW(key, name.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
  for (int attempt = 0; attempt < 8; ++attempt) {
    data.resize(size);
    DWORD got = size;
    LONG rc = RegQueryValueExW(key, name.c_str(), nullptr, &type,
                               size ? reinterpret_cast<BYTE*>(&data[0]) : nullptr, &got);
    if (rc == ERROR_SUCCESS) {
      data.resize(got);
      return true;
    }
    if (rc != ERROR_MORE_DATA) return false;
    size = got > size ? got : size * 2 + 64;
  }
  return false;
}

}  // namespace

bool RegKey::HasValue(const std::wstring& name) const {
  return IsOpen() && RegQueryValueExW(impl_->key.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

RegType RegKey::ValueType(const std::wstring& name) const {
  DWORD type = 0;
  if (!IsOpen() || RegQueryValueExW(impl_->key.Get(), name.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS)
    return RegType::None;
  return TypeOf(type);
}

bool RegKey::ReadString(const std::wstring& name, std::wstring& text) const {
  DWORD type = 0;
  std::string data;
  if (!IsOpen() || !QueryValue(impl_->key.Get(), name, type, data) || (type != REG_SZ && type != REG_EXPAND_SZ))
    return false;
  text = TextFromRegData(data);
  return true;
}

bool RegKey::ReadDword(const std::wstring& name, uint32_t& value) const {
  DWORD type = 0;
  std::string data;
  return IsOpen() && QueryValue(impl_->key.Get(), name, type, data) && type == REG_DWORD && DwordFromRegData(data, value);
}

bool RegKey::WriteString(const std::wstring& name, const std::wstring& text) {
  return WriteValue({name, RegType::String, RegDataFromText(text)});
}

bool RegKey::WriteDword(const std::wstring& name, uint32_t value) {
  return WriteValue({name, RegType::Dword, RegDataFromDword(value)});
}

bool RegKey::WriteValue(const RegValue& value) {
  return IsOpen() && RegSetValueExW(impl_->key.Get(), value.name.c_str(), 0, DWORD(value.type),
                                    reinterpret_cast<const BYTE*>(value.data.data()),
                                    DWORD(value.data.size())) == ERROR_SUCCESS;
}

bool RegKey::WriteValues(const std::vector<RegValue>& values) {
  bool ok = IsOpen();
  for (const RegValue& v : values) ok = WriteValue(v) && ok;
  return ok;
}

bool RegKey::DeleteValue(const std::wstring& name) {
  return IsOpen() && RegDeleteValueW(impl_->key.Get(), name.c_str()) == ERROR_SUCCESS;
}

std::vector<RegValueInfo> RegKey::Values() const {
  std::vector<RegValueInfo> out;
  if (!IsOpen()) return out;
  std::wstring name(kMaxValueName, L'\0');
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxValueName;
    DWORD type = 0;
    LONG rc = RegEnumValueW(impl_->key.Get(), index, &name[0], &length, nullptr, &type, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;  // the end, or the key was deleted meanwhile
    out.push_back({name.substr(0, length), TypeOf(type)});
  }
  return out;
}

std::vector<RegValue> RegKey::ReadValues() const {
  std::vector<RegValue> out;
  if (!IsOpen()) return out;
  std::wstring name(kMaxValueName, L'\0');
  std::string data(4096, '\0');
  int retries = 0;
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxValueName;
    DWORD type = 0;
    DWORD size = DWORD(data.size());
    LONG rc = RegEnumValueW(impl_->key.Get(), index, &name[0], &length, nullptr, &type,
                            reinterpret_cast<BYTE*>(&data[0]), &size);
    if (rc == ERROR_MORE_DATA && ++retries < 8) {
      // The data did not fit: grow to the size the registry asked for and
      // read the same index again.
      data.resize(size > data.size() ? size : data.size() * 2);
      --index;
      continue;
    }
    retries = 0;
    if (rc != ERROR_SUCCESS) break;  // the end, or the key was deleted meanwhile
    out.push_back({name.substr(0, length), TypeOf(type), data.substr(0, size)});
  }
  return out;
}

std::vector<std::wstring> RegKey::SubKeyNames() const {
  std::vector<std::wstring> out;
  if (!IsOpen()) return out;
  wchar_t name[kMaxKeyName];
  for (DWORD index = 0;; ++index) {
    DWORD length = kMaxKeyName;
    LONG rc = RegEnumKeyExW(impl_->key.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) break;  // the end, or the key was deleted meanwhile
    out.emplace_back(name, length);
  }
  return out;
}

bool KeyExists(RegRoot root, const std::wstring& subKey, RegView view) {
  return RegKey::Open(root, subKey, RegAccess::Read, view).IsOpen();
}

bool DeleteKeyTree(RegRoot root, const std::wstring& subKey, RegView view) {
  if (subKey.find_first_not_of(L'\\') == std::wstring::npos) return false;
  // RegDeleteTreeW takes no view: empty the key through a handle opened in the
  // view, then delete the key itself in that view.
  KeyHandle key;
  const REGSAM access = DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | ViewFlags(view);
  if (RegOpenKeyExW(RootHandle(root), subKey.c_str(), 0, access, key.Receive()) != ERROR_SUCCESS) return false;
  const bool emptied = RegDeleteTreeW(key.Get(), nullptr) == ERROR_SUCCESS;
  key.Reset();
  return emptied && RegDeleteKeyExW(RootHandle(root), subKey.c_str(), ViewFlags(view), 0) == ERROR_SUCCESS;
}

bool DeleteKeyIfEmpty(RegRoot root, const std::wstring& subKey) {
  if (subKey.find_first_not_of(L'\\') == std::wstring::npos) return false;
  {
    RegKey key = RegKey::Open(root, subKey, RegAccess::Read);
    if (!key.IsOpen() || !key.Values().empty() || !key.SubKeyNames().empty()) return false;
  }
  return RegDeleteKeyW(RootHandle(root), subKey.c_str()) == ERROR_SUCCESS;
}

}  // namespace platform
