#include <windows.h>

#include <string>

#include "app/cli/cli_system.h"
#include "platform/file_system.h"
#include "platform/text_codec.h"
#include "platform/win_path.h"

struct ConsoleStream::Impl {
  HANDLE handle;
  bool console;          // a console window: UTF-16 through WriteConsoleW
  bool unbuffered;       // standard error
  std::wstring pending;  // console text not yet written
  std::string bytes;     // UTF-8 not yet written
};

namespace {

constexpr size_t kOutBuffer = 1 << 16;

}  // namespace

ConsoleStream::ConsoleStream(Which which) : impl_(new Impl) {
  impl_->handle = GetStdHandle(which == Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  impl_->console = impl_->handle != INVALID_HANDLE_VALUE && impl_->handle != nullptr &&
                   GetConsoleMode(impl_->handle, &mode) != 0;
  impl_->unbuffered = which == Err;
}

ConsoleStream::~ConsoleStream() { Flush(); }

void ConsoleStream::Write(const std::wstring& text) {
  if (impl_->console)
    impl_->pending += text;
  else
    impl_->bytes += platform::ToUtf8(text);
  if (impl_->unbuffered || impl_->pending.size() + impl_->bytes.size() >= kOutBuffer) Flush();
}

void ConsoleStream::Flush() {
  HANDLE h = impl_->handle;
  if (h == INVALID_HANDLE_VALUE || h == nullptr) {
    impl_->pending.clear();
    impl_->bytes.clear();
    return;
  }
  // The console takes a limited amount per call; write in slices.
  const wchar_t* text = impl_->pending.data();
  size_t left = impl_->pending.size();
  while (left > 0) {
    DWORD written = 0;
    const DWORD slice = DWORD(left < 8192 ? left : 8192);
    if (!WriteConsoleW(h, text, slice, &written, nullptr) || written == 0) break;
    text += written;
    left -= written;
  }
  impl_->pending.clear();
  const char* bytes = impl_->bytes.data();
  left = impl_->bytes.size();
  while (left > 0) {
    DWORD written = 0;
    if (!WriteFile(h, bytes, DWORD(left), &written, nullptr) || written == 0) break;  // the reader has gone
    bytes += written;
    left -= written;
  }
  impl_->bytes.clear();
}

bool ConsoleStream::IsTerminal() const { return impl_->console; }

// The console program cleans the running system: no tree to choose.
bool PrepareWindowsTree(const CliOptions&, std::wstring&) { return true; }

bool LogFileWindowsPath(const std::wstring& given, std::wstring& windowsPath, std::wstring& error) {
  const DWORD needed = GetFullPathNameW(given.c_str(), 0, nullptr, nullptr);
  std::wstring full(needed, L'\0');
  const DWORD length = needed ? GetFullPathNameW(given.c_str(), needed, &full[0], nullptr) : 0;
  if (length == 0 || length >= needed) {
    error = L"cannot write the log file '" + given + L"': not a valid path";
    return false;
  }
  full.resize(length);
  const std::wstring folder = platform::WithoutTrailingBackslash(platform::FolderOf(full));
  const std::wstring name = platform::FileNameOf(full);
  if (name.empty() || !(platform::IsBareDrive(folder) || platform::WideFolderExists(folder))) {
    error = L"cannot write the log file '" + given + L"': no such folder";
    return false;
  }
  windowsPath = full;
  return true;
}
