#include "app/vendor.h"

#include "vendor_config.h"

std::wstring VendorServer() { return PURGELLO_VENDOR_SERVER; }
std::wstring VendorEmail() { return PURGELLO_VENDOR_EMAIL; }
std::wstring VendorAddress(const std::wstring& pathAndQuery) { return L"https://" + VendorServer() + pathAndQuery; }
