// What a Windows test sees of the loopback servers of
// tests/servers/update_servers.py and of the installers that
// tests/installer/sign_installers.py signs around it: the servers' ports, the
// folders they name, a plain request to one of them, and a root certificate
// made trusted inside the test's own prefix.
#pragma once

#include <winsock2.h>
#include <windows.h>
#include <wincrypt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

namespace testsupport {

// The port of the named server (PURGELLO_TEST_SERVERS); 0 when there is none.
inline int ServerPort(const std::string& name) {
  const char* list = std::getenv("PURGELLO_TEST_SERVERS");
  const std::string all = std::string(",") + (list ? list : "") + ",";
  const size_t at = all.find("," + name + "=");
  return at == std::string::npos ? 0 : std::atoi(all.c_str() + at + name.size() + 2);
}

inline bool HaveServers() { return std::getenv("PURGELLO_TEST_SERVERS") != nullptr; }

// The folder that the environment variable names, as Wine shows it (drive Z:), with a trailing backslash.
inline std::wstring FolderFromEnvironment(const char* variable) {
  const char* unix = std::getenv(variable);
  std::wstring path = L"Z:";
  for (const char* c = unix ? unix : ""; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path + L"\\";
}
inline std::wstring InstallersFolder() { return FolderFromEnvironment("PURGELLO_TEST_INSTALLERS"); }
inline std::wstring TlsFolder() { return FolderFromEnvironment("PURGELLO_TEST_TLS"); }
// The host name the "https" server's certificate is for.
inline std::wstring TlsHost() {
  const char* host = std::getenv("PURGELLO_TEST_TLS_HOST");
  const std::string text = host ? host : "";
  return std::wstring(text.begin(), text.end());
}

inline std::string ReadAll(const std::wstring& path) {
  std::ifstream in(path.c_str(), std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

// Adds the certificate to the current user's root store of this prefix.
inline void TrustRoot(const std::wstring& derFile) {
  const std::string der = ReadAll(derFile);
  ASSERT_FALSE(der.empty()) << "no certificate in the file";
  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"Root");
  ASSERT_NE(root, nullptr);
  EXPECT_TRUE(CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, reinterpret_cast<const BYTE*>(der.data()),
                                               DWORD(der.size()), CERT_STORE_ADD_REPLACE_EXISTING, nullptr));
  CertCloseStore(root, 0);  // the store keeps the certificate only once closed
}

// A blocking HTTP/1.0 GET of path on the loopback server at port, for the
// tests' own requests (routes, what a server saw); the body, empty on failure.
inline std::string LoopbackGet(int port, const std::string& path) {
  WSADATA wsa;
  if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0) return {};
  std::string answer;
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(u_short(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (s != INVALID_SOCKET && connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n";
    send(s, request.data(), int(request.size()), 0);
    char buffer[4096];
    for (int n; (n = recv(s, buffer, sizeof buffer, 0)) > 0;) answer.append(buffer, size_t(n));
  }
  if (s != INVALID_SOCKET) closesocket(s);
  WSACleanup();
  const size_t body = answer.find("\r\n\r\n");
  return body == std::string::npos ? std::string() : answer.substr(body + 4);
}

}  // namespace testsupport
