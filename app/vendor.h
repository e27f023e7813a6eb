// The vendor's web server, contact address and installer signer. All are set
// once for the whole build (CMake cache variables PURGELLO_VENDOR_SERVER,
// PURGELLO_VENDOR_EMAIL and PURGELLO_VENDOR_SIGNER_SHA256); everything that
// links to the vendor asks here.
#pragma once

#include <string>

// The server's host name, without a scheme: "www.halvoris.example".
std::wstring VendorServer();
// The contact address, without "mailto:".
std::wstring VendorEmail();
// The SHA-256 of the certificate that signs the vendor's installers, as 64
// hexadecimal digits (PURGELLO_VENDOR_SIGNER_SHA256); empty in a build that
// names none, and then no downloaded installer is ever started.
std::wstring VendorSignerSha256();
// "https://" + VendorServer() + pathAndQuery ("/forum", "/?dskw", "" for the home page).
std::wstring VendorAddress(const std::wstring& pathAndQuery);
