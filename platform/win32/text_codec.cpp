#include "platform/text_codec.h"

#include <windows.h>


namespace platform {

std::string ToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  // Characters outside the code page become the system's default character.
  int n = WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(size_t(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
  return out;
}

std::wstring FromAnsi(const std::string& text) {
  if (text.empty()) return std::wstring();
  int n = MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(size_t(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), int(text.size()), &out[0], n);
  return out;
}

}  // namespace platform
