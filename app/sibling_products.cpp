#include "app/sibling_products.h"

#include "app/vendor.h"
#include "platform/file_system.h"
#include "platform/shell.h"
#include "settings/settings_store.h"

namespace {

struct SiblingInfo {
  const wchar_t* makerValue;
  const wchar_t* fallbackQuery;
};

SiblingInfo InfoOf(SiblingProduct product) {
  switch (product) {
    case SiblingProduct::Shredder:
      return {L"Shredix", L"?shredix"};
    case SiblingProduct::DiskHealth:
      return {L"Diskwise", L"?dskw"};
  }
  return {L"", L""};
}

}  // namespace

void DefaultShellOpen(const std::wstring& target) { platform::ShellOpen(target); }

std::wstring SiblingProductTarget(SiblingProduct product) {
  const SiblingInfo info = InfoOf(product);
  const std::wstring path = ReadMakerValue(info.makerValue);
  if (!path.empty() && platform::WideFileExists(path)) return path;
  return VendorAddress(std::wstring(L"/") + info.fallbackQuery);
}

void OpenSiblingProduct(SiblingProduct product, const ShellOpener& open) { open(SiblingProductTarget(product)); }
