#include "app/vendor.h"

#include "vendor_config.h"

std::wstring VendorServer() { return PURGELLO_VENDOR_SERVER; }
std::wstring VendorEmail() { return PURGELLO_VENDOR_EMAIL; }
std::wstring VendorSignerSha256() { return PURGELLO_VENDOR_SIGNER_SHA256; }
std::wstring VendorAddress(const std::wstring& pathAndQuery) { return L"https://" + VendorServer() + pathAndQuery; }
