// The vendor's web server and contact address. Both are set once for the
// whole build (CMake cache variables PURGELLO_VENDOR_SERVER and
// PURGELLO_VENDOR_EMAIL); everything that links to the vendor asks here.
#pragma once

#include <string>

// The server's host name, without a scheme: "www.halvoris.example".
std::wstring VendorServer();
// The contact address, without "mailto:".
std::wstring VendorEmail();
// "https://" + VendorServer() + pathAndQuery ("/forum", "/?dskw", "" for the home page).
std::wstring VendorAddress(const std::wstring& pathAndQuery);
