// The Authenticode test an installer must pass before it is started: the
// system's trust verdict, the signer's certificate chain, and the signer
// itself, pinned by the SHA-256 of its certificate. All three are needed:
// Wine's trust verdict only checks that a signature is there and matches the
// file, whatever certificate made it.
#pragma once

#include <string>

namespace platform {

enum class SignatureVerdict {
  Trusted,        // all three checks passed
  NotTrusted,     // WinVerifyTrust refused the file (unsigned, tampered, ...)
  ChainError,     // the signer's chain has an error status (unknown root, expired, ...)
  ForeignSigner,  // signed, and chained, but not by the pinned certificate
};

// pinnedSha256: 64 hexadecimal digits, either case. Windows only; elsewhere
// every file is NotTrusted.
SignatureVerdict VerifyFileSignature(const std::wstring& path, const std::wstring& pinnedSha256);

// The log's name for a verdict: "signature", "certificate chain", "signer".
const wchar_t* FailedSignatureCheckName(SignatureVerdict verdict);

}  // namespace platform
