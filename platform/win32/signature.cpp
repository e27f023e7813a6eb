#include "platform/signature.h"

#include <windows.h>
#include <bcrypt.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace platform {

namespace {

std::wstring Sha256Hex(const BYTE* data, DWORD size) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return {};
  BCRYPT_HASH_HANDLE hash = nullptr;
  UCHAR digest[32] = {};
  const bool ok = BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
                  BCryptHashData(hash, const_cast<BYTE*>(data), size, 0) == 0 &&
                  BCryptFinishHash(hash, digest, sizeof digest, 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) return {};
  static const wchar_t kHex[] = L"0123456789abcdef";
  std::wstring text;
  for (UCHAR b : digest) {
    text += kHex[b >> 4];
    text += kHex[b & 15];
  }
  return text;
}

std::wstring LowerHex(const std::wstring& text) {
  std::wstring out = text;
  for (wchar_t& c : out)
    if (c >= L'A' && c <= L'F') c = wchar_t(c - L'A' + L'a');
  return out;
}

// Closes the trust provider's state however the checks end.
struct TrustState {
  WINTRUST_DATA data = {};
  WINTRUST_FILE_INFO file = {};
  ~TrustState() {
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
  }
};

}  // namespace

SignatureVerdict VerifyFileSignature(const std::wstring& path, const std::wstring& pinnedSha256) {
  TrustState state;
  state.file.cbStruct = sizeof state.file;
  state.file.pcwszFilePath = path.c_str();
  state.data.cbStruct = sizeof state.data;
  state.data.dwUIChoice = WTD_UI_NONE;
  state.data.fdwRevocationChecks = WTD_REVOKE_NONE;
  state.data.dwUnionChoice = WTD_CHOICE_FILE;
  state.data.pFile = &state.file;
  state.data.dwStateAction = WTD_STATEACTION_VERIFY;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  // INVALID_HANDLE_VALUE: no window, never a dialog.
  if (WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &state.data) != ERROR_SUCCESS)
    return SignatureVerdict::NotTrusted;

  CRYPT_PROVIDER_DATA* provider = WTHelperProvDataFromStateData(state.data.hWVTStateData);
  CRYPT_PROVIDER_SGNR* signer = provider ? WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  if (!signer || !signer->pChainContext || signer->pChainContext->TrustStatus.dwErrorStatus != CERT_TRUST_NO_ERROR)
    return SignatureVerdict::ChainError;

  CRYPT_PROVIDER_CERT* leaf = WTHelperGetProvCertFromChain(signer, 0);
  if (!leaf || !leaf->pCert) return SignatureVerdict::ChainError;
  const std::wstring thumbprint = Sha256Hex(leaf->pCert->pbCertEncoded, leaf->pCert->cbCertEncoded);
  if (thumbprint.empty() || thumbprint != LowerHex(pinnedSha256)) return SignatureVerdict::ForeignSigner;
  return SignatureVerdict::Trusted;
}

}  // namespace platform
