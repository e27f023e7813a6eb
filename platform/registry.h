// The registry: keys under HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE.
// Windows: the real registry. posix: a file inside the Windows tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class RegRoot { CurrentUser, LocalMachine };
enum class RegAccess { Read, ReadWrite };
// Force64 reads the 64-bit view when a 32-bit program runs on 64-bit Windows.
enum class RegView { Default, Force64 };

enum class RegType : uint32_t { None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7, Qword = 11, Other = 0xFFFF };

struct RegValueInfo {
  std::wstring name;
  RegType type;
};

// A value with its data as the registry keeps it: texts are UTF-16LE with a
// final NUL, 32-bit integers four bytes little-endian.
struct RegValue {
  std::wstring name;
  RegType type = RegType::None;
  std::string data;
};

// Data in the registry's layout, and back. TextFromRegData stops at the first
// NUL; DwordFromRegData is false unless the data is four bytes.
std::string RegDataFromText(const std::wstring& text);
std::wstring TextFromRegData(const std::string& data);
std::string RegDataFromDword(uint32_t value);
bool DwordFromRegData(const std::string& data, uint32_t& value);

// An open key; closes itself.
class RegKey {
 public:
  RegKey();
  ~RegKey();
  RegKey(RegKey&&) noexcept;
  RegKey& operator=(RegKey&&) noexcept;
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;

  // Opens an existing key; IsOpen() tells whether it worked, OpenError() why not.
  static RegKey Open(RegRoot root, const std::wstring& subKey, RegAccess access, RegView view = RegView::Default);
  // Opens a key, creating it (and its parents) when missing.
  static RegKey Create(RegRoot root, const std::wstring& subKey, RegView view = RegView::Default);

  bool IsOpen() const;
  // The error code of a failed open or create (kErrorFileNotFound for a
  // missing key, kErrorAccessDenied, ...); 0 otherwise.
  uint32_t OpenError() const { return error_; }

  bool HasValue(const std::wstring& name) const;
  // RegType::None when missing; types without a name here (REG_NONE, links,
  // big-endian integers, ...) are RegType::Other.
  RegType ValueType(const std::wstring& name) const;
  // The text of a String or ExpandString value (not expanded), up to its first
  // NUL; false when missing or of another type. Never throws.
  bool ReadString(const std::wstring& name, std::wstring& text) const;
  bool ReadDword(const std::wstring& name, uint32_t& value) const;
  bool WriteString(const std::wstring& name, const std::wstring& text);
  bool WriteDword(const std::wstring& name, uint32_t value);
  // Any type; the data is written as given.
  bool WriteValue(const RegValue& value);
  // Writes all of them in order (posix: in one rewrite of the registry file).
  // False when any write failed.
  bool WriteValues(const std::vector<RegValue>& values);
  bool DeleteValue(const std::wstring& name);

  // In the order the registry lists them.
  std::vector<RegValueInfo> Values() const;
  // Every value with its data, in the order the registry lists them, read at
  // one go (posix: from one reading of the file).
  std::vector<RegValue> ReadValues() const;
  std::vector<std::wstring> SubKeyNames() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  uint32_t error_ = 0;
};

bool KeyExists(RegRoot root, const std::wstring& subKey, RegView view = RegView::Default);
// Deletes the key with everything below it; false when it did not exist or
// could not be deleted. A root itself (empty sub-key) is never deleted.
bool DeleteKeyTree(RegRoot root, const std::wstring& subKey, RegView view = RegView::Default);
// Deletes the key only when it has no sub-key and no value; true when deleted.
bool DeleteKeyIfEmpty(RegRoot root, const std::wstring& subKey);

}  // namespace platform
