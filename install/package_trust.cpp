#include "install/package_trust.h"

#include <windows.h>
#include <wincrypt.h>
#include <softpub.h>
#include <wintrust.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cwctype>
#include <vector>

#include "build_settings.h"
#include "install/package_lock.h"
#include "toolkit/base/system_library.h"

namespace {

constexpr long kNotSigned = static_cast<long>(0x800B0100);         // TRUST_E_NOSIGNATURE
constexpr long kBadDigest = static_cast<long>(0x80096010);         // TRUST_E_BAD_DIGEST
constexpr long kUntrustedRoot = static_cast<long>(0x800B0109);     // CERT_E_UNTRUSTEDROOT
constexpr long kIncompleteChain = static_cast<long>(0x800B010A);   // CERT_E_CHAINING
constexpr long kExpired = static_cast<long>(0x800B0101);           // CERT_E_EXPIRED
constexpr long kWrongUsage = static_cast<long>(0x800B0110);        // CERT_E_WRONG_USAGE
constexpr long kRevoked = static_cast<long>(0x80092010);           // CRYPT_E_REVOKED
constexpr long kBadCertSignature = static_cast<long>(0x80096004);  // TRUST_E_CERT_SIGNATURE
constexpr long kTrustFailed = static_cast<long>(0x800B010B);       // TRUST_E_FAIL
constexpr long kNoSignerCert = static_cast<long>(0x80096002);      // TRUST_E_NO_SIGNER_CERT
constexpr long kOtherSigner = static_cast<long>(0x800B0004);       // TRUST_E_SUBJECT_NOT_TRUSTED

// wintrust and crypt32 are not KnownDLLs, so they are loaded from System32 at run time
// rather than imported: a copy planted next to the installer is never used.
struct TrustApi {
  decltype(&WinVerifyTrust) verifyTrust = nullptr;
  decltype(&WTHelperProvDataFromStateData) provDataFromStateData = nullptr;
  decltype(&WTHelperGetProvSignerFromChain) provSignerFromChain = nullptr;
  decltype(&CertVerifyCertificateChainPolicy) verifyChainPolicy = nullptr;
  decltype(&CertGetNameStringW) getNameString = nullptr;
  decltype(&CertGetEnhancedKeyUsage) getKeyUsage = nullptr;
  decltype(&CryptEncodeObjectEx) encodeObject = nullptr;
  decltype(&CryptHashCertificate2) hashCertificate = nullptr;
  DWORD loadError = 0;
};

template <typename Fn>
bool Resolve(HMODULE module, const char* name, Fn* fn) {
  *fn = base::GetSystemFunction<Fn>(module, name);
  return *fn != nullptr;
}

TrustApi LoadTrustApi() {
  TrustApi api;
  HMODULE wintrust = base::LoadSystemLibrary(L"wintrust.dll");
  HMODULE crypt32 = wintrust ? base::LoadSystemLibrary(L"crypt32.dll") : nullptr;
  if (!wintrust || !crypt32) {
    api.loadError = GetLastError() ? GetLastError() : ERROR_MOD_NOT_FOUND;
    return api;
  }
  bool resolved = Resolve(wintrust, "WinVerifyTrust", &api.verifyTrust) &&
                  Resolve(wintrust, "WTHelperProvDataFromStateData", &api.provDataFromStateData) &&
                  Resolve(wintrust, "WTHelperGetProvSignerFromChain", &api.provSignerFromChain) &&
                  Resolve(crypt32, "CertVerifyCertificateChainPolicy", &api.verifyChainPolicy) &&
                  Resolve(crypt32, "CertGetNameStringW", &api.getNameString) &&
                  Resolve(crypt32, "CertGetEnhancedKeyUsage", &api.getKeyUsage) &&
                  Resolve(crypt32, "CryptEncodeObjectEx", &api.encodeObject) &&
                  Resolve(crypt32, "CryptHashCertificate2", &api.hashCertificate);
  if (!resolved) {
    api.verifyTrust = nullptr;
    api.loadError = ERROR_PROC_NOT_FOUND;
  }
  return api;
}

const TrustApi& Api() {
  static const TrustApi api = LoadTrustApi();
  return api;
}

TrustResult Refuse(long code, const std::wstring& reason) {
  wchar_t hex[16];
  swprintf(hex, 16, L"0x%08lx", static_cast<unsigned long>(code));
  return TrustResult{false, code, L"package signature: " + reason + L" (" + hex + L")"};
}

TrustResult RefuseVerifyTrust(long code) {
  switch (code) {
    case kNotSigned:
      return Refuse(code, L"not signed");
    case kBadDigest:
      return Refuse(code, L"file changed after signing");
    case kUntrustedRoot:
      return Refuse(code, L"signer chain not trusted");
    case kExpired:
      return Refuse(code, L"signing certificate expired");
    default:
      return Refuse(code, L"signature not valid");
  }
}

// An HRESULT that names the worst problem in a chain's error status.
long ChainStatusCode(DWORD status) {
  if (status & CERT_TRUST_IS_REVOKED)
    return kRevoked;
  if (status & CERT_TRUST_IS_NOT_SIGNATURE_VALID)
    return kBadCertSignature;
  if (status & CERT_TRUST_IS_UNTRUSTED_ROOT)
    return kUntrustedRoot;
  if (status & CERT_TRUST_IS_PARTIAL_CHAIN)
    return kIncompleteChain;
  if (status & CERT_TRUST_IS_NOT_TIME_VALID)
    return kExpired;
  if (status & CERT_TRUST_IS_NOT_VALID_FOR_USAGE)
    return kWrongUsage;
  return kTrustFailed;
}

// The common name of the certificate's subject, or with CERT_NAME_ISSUER_FLAG of its issuer.
std::wstring CommonName(PCCERT_CONTEXT cert, DWORD flags = 0) {
  const TrustApi& api = Api();
  void* oid = const_cast<char*>(szOID_COMMON_NAME);
  DWORD length = api.getNameString(cert, CERT_NAME_ATTR_TYPE, flags, oid, nullptr, 0);
  if (length <= 1)
    return L"";
  std::wstring name(length, L'\0');
  length = api.getNameString(cert, CERT_NAME_ATTR_TYPE, flags, oid, &name[0], length);
  name.resize(length > 0 ? length - 1 : 0);
  return name;
}

// True when the certificate names code signing among its extended key usages. A certificate
// without any is valid for every usage to the system, but no code-signing certificate a CA
// issues lacks it, so it is required here.
bool IsForCodeSigning(PCCERT_CONTEXT cert) {
  const TrustApi& api = Api();
  DWORD size = 0;
  if (!api.getKeyUsage(cert, 0, nullptr, &size) || size < sizeof(CERT_ENHKEY_USAGE))
    return false;
  std::vector<BYTE> buffer(size);
  auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buffer.data());
  if (!api.getKeyUsage(cert, 0, usage, &size))
    return false;
  for (DWORD i = 0; i < usage->cUsageIdentifier; ++i) {
    if (strcmp(usage->rgpszUsageIdentifier[i], szOID_PKIX_KP_CODE_SIGNING) == 0)
      return true;
  }
  return false;
}

// SHA-256 of the certificate's DER-encoded SubjectPublicKeyInfo in lower-case hex (what
// `openssl pkey -pubin -outform DER | sha256sum` gives); "" when it cannot be computed.
std::wstring PublicKeySha256(PCCERT_CONTEXT cert) {
  const TrustApi& api = Api();
  BYTE* encoded = nullptr;
  DWORD encodedSize = 0;
  if (!api.encodeObject(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO,
                        &cert->pCertInfo->SubjectPublicKeyInfo, CRYPT_ENCODE_ALLOC_FLAG, nullptr,
                        &encoded, &encodedSize)) {
    return L"";
  }
  BYTE hash[32];
  DWORD hashSize = sizeof(hash);
  const bool hashed = api.hashCertificate(L"SHA256", 0, nullptr, encoded, encodedSize, hash,
                                          &hashSize) && hashSize == sizeof(hash);
  LocalFree(encoded);
  if (!hashed)
    return L"";
  static const wchar_t kHex[] = L"0123456789abcdef";
  std::wstring hex;
  for (BYTE b : hash) {
    hex.push_back(kHex[b >> 4]);
    hex.push_back(kHex[b & 0xF]);
  }
  return hex;
}

// Checks what WinVerifyTrust leaves unchecked on some systems: that the signer's chain has
// no error at all (an unknown root included) and passes the code-signing policy, that the
// signing certificate is meant for code signing, and that the signer is the expected one,
// with a pinned key and from the pinned issuer.
TrustResult CheckSigner(HANDLE stateData, const ExpectedSigner& expected) {
  const TrustApi& api = Api();
  CRYPT_PROVIDER_DATA* provider = api.provDataFromStateData(stateData);
  CRYPT_PROVIDER_SGNR* signer =
      provider ? api.provSignerFromChain(provider, 0, FALSE, 0) : nullptr;
  PCCERT_CHAIN_CONTEXT chain = signer ? signer->pChainContext : nullptr;
  if (!chain || chain->cChain == 0 || chain->rgpChain[0]->cElement == 0)
    return Refuse(kNoSignerCert, L"no signer certificate");

  DWORD status = chain->TrustStatus.dwErrorStatus;
  if (status != CERT_TRUST_NO_ERROR)
    return Refuse(ChainStatusCode(status), L"signer chain not trusted");

  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof(policy);
  CERT_CHAIN_POLICY_STATUS policyStatus = {};
  policyStatus.cbSize = sizeof(policyStatus);
  if (!api.verifyChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain, &policy, &policyStatus))
    return Refuse(kTrustFailed, L"code-signing policy not met");
  if (policyStatus.dwError != 0)
    return Refuse(static_cast<long>(policyStatus.dwError), L"code-signing policy not met");

  PCCERT_CONTEXT leaf = chain->rgpChain[0]->rgpElement[0]->pCertContext;
  if (!IsForCodeSigning(leaf))
    return Refuse(kWrongUsage, L"signing certificate not for code signing");

  std::wstring subject = CommonName(leaf);
  if (subject.empty() || subject != expected.subject) {
    return Refuse(kOtherSigner,
                  L"signed by \"" + subject + L"\", not by \"" + expected.subject + L"\"");
  }
  if (!expected.issuer.empty()) {
    std::wstring issuer = CommonName(leaf, CERT_NAME_ISSUER_FLAG);
    if (issuer != expected.issuer)
      return Refuse(kOtherSigner, L"signer issued by \"" + issuer + L"\", not by \"" +
                                      expected.issuer + L"\"");
  }
  if (!expected.keys.empty() && !IsPinnedKey(expected.keys, PublicKeySha256(leaf)))
    return Refuse(kOtherSigner, L"signer's key is not one this build accepts");
  return TrustResult{true, 0, L"package signature: signed by \"" + subject + L"\""};
}

TrustResult Verify(const std::wstring& path, HANDLE file, const ExpectedSigner& expected) {
  if (expected.subject.empty())
    return TrustResult{true, 0, L"package signature: not checked"};
  const TrustApi& api = Api();
  if (!api.verifyTrust)
    return Refuse(HRESULT_FROM_WIN32(api.loadError), L"signature check unavailable");

  WINTRUST_FILE_INFO fileInfo = {};
  fileInfo.cbStruct = sizeof(fileInfo);
  fileInfo.pcwszFilePath = path.c_str();
  fileInfo.hFile = file;
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &fileInfo;
  data.dwStateAction = WTD_STATEACTION_VERIFY;
  // Offline: no revocation lists and no fetching of missing certificates.
  data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  HWND noUser = static_cast<HWND>(INVALID_HANDLE_VALUE);

  long code = api.verifyTrust(noUser, &action, &data);
  TrustResult result = code != 0 ? RefuseVerifyTrust(code)
                                 : CheckSigner(data.hWVTStateData, expected);
  data.dwStateAction = WTD_STATEACTION_CLOSE;
  api.verifyTrust(noUser, &action, &data);
  return result;
}

}  // namespace

ExpectedSigner BuildPackageSigner() {
  return ExpectedSigner(build::kPackageSigner, build::kPackageSignerIssuer,
                        build::kPackageSignerKeys);
}

bool IsPinnedKey(const std::wstring& keys, const std::wstring& keySha256) {
  if (keySha256.empty())
    return false;
  size_t begin = 0;
  while (begin <= keys.size()) {
    size_t end = keys.find(L';', begin);
    if (end == std::wstring::npos)
      end = keys.size();
    if (end - begin == keySha256.size() &&
        std::equal(keySha256.begin(), keySha256.end(), keys.begin() + begin,
                   [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); })) {
      return true;
    }
    begin = end + 1;
  }
  return false;
}

TrustResult VerifyPackageSigner(const std::wstring& path, const ExpectedSigner& expected) {
  return Verify(path, nullptr, expected);
}

TrustResult VerifyPackageSigner(const PackageLock& lock, const ExpectedSigner& expected) {
  if (expected.subject.empty())
    return Verify(lock.Path(), nullptr, expected);
  if (!lock.IsHeld())
    return Refuse(HRESULT_FROM_WIN32(lock.Error()), L"cannot open the package");
  return Verify(lock.Path(), static_cast<HANDLE>(lock.Handle()), expected);
}
