#include "platform/signature.h"

namespace platform {

const wchar_t* FailedSignatureCheckName(SignatureVerdict verdict) {
  switch (verdict) {
    case SignatureVerdict::NotTrusted:
      return L"signature";
    case SignatureVerdict::ChainError:
      return L"certificate chain";
    case SignatureVerdict::ForeignSigner:
      return L"signer";
    case SignatureVerdict::Trusted:
      break;
  }
  return L"";
}

#ifndef _WIN32
SignatureVerdict VerifyFileSignature(const std::wstring&, const std::wstring&) { return SignatureVerdict::NotTrusted; }
#endif

}  // namespace platform
