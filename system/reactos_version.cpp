// Kept apart from the other captions: it alone needs the file-version reader.
#include "platform/file_version.h"
#include "system/windows_version.h"

namespace {

std::optional<std::wstring> NtCurrentVersionValue(const wchar_t* name) {
  std::wstring text;
  if (!platform::ReadNtCurrentVersionString(name, text)) return std::nullopt;
  return text;
}

}  // namespace

std::wstring ReactOSVersionText() {
  ReactOSFacts facts;
  facts.productName = NtCurrentVersionValue(L"ProductName");
  facts.buildLab = NtCurrentVersionValue(L"BuildLab");
  facts.systemRoot = NtCurrentVersionValue(L"SystemRoot");
  return ReactOSVersionCaption(facts, [](const std::wstring& path) { return platform::FileVersionText(path); });
}
