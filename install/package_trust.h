// Decides whether a downloaded setup package may run: it must carry a valid Authenticode
// signature whose signer chains to a root the machine trusts, and the signing certificate's
// common name (CN) must equal the signer this build expects. The download itself may come
// over plain http, or https with certificate problems ignored, so this check is what stands
// between someone on the network path and a program run as administrator.
//
//   PackageLock lock(packagePath);                // keeps the file as checked
//   TrustResult trust = VerifyPackageSigner(lock, BuildPackageSigner());
//   if (!trust.trusted) { ... fail with trust.code and trust.text ... }
//
// Revocation is not checked: the check needs no network beyond the package download, and
// works offline. The expected signer is compared with the common name exactly (case
// matters, no partial match); a certificate without a common name never matches. A name is
// easy to get a certificate for, so the build also pins the signer's public keys (SHA-256 of
// the certificate's SubjectPublicKeyInfo, as HPKP pins do) and its issuer's common name: a
// certificate with the right name and another key, or from another issuer, is refused. An
// empty subject means the build names no signer, and the package is not checked.
//
// Threading: any thread. It reads the whole file, so call it on a worker.
#pragma once

#include <string>
#include <utility>

class PackageLock;

struct ExpectedSigner {
  ExpectedSigner() = default;
  ExpectedSigner(std::wstring subjectName, std::wstring issuerName = L"",
                 std::wstring keySha256 = L"")
      : subject(std::move(subjectName)),
        issuer(std::move(issuerName)),
        keys(std::move(keySha256)) {}
  ExpectedSigner(const wchar_t* subjectName) : subject(subjectName) {}

  std::wstring subject;  // the signing certificate's common name; empty: nothing is checked
  std::wstring issuer;   // its issuer's common name; empty: any issuer
  std::wstring keys;     // ";"-separated SHA-256 (hex) of the accepted public keys; empty: any
};

// The signer this build names (the product's package_signer, _issuer and _keys).
ExpectedSigner BuildPackageSigner();

// True when `keySha256` (hex) is one of the ";"-separated `keys`, whatever the case of the
// hex digits. No key is among an empty list.
bool IsPinnedKey(const std::wstring& keys, const std::wstring& keySha256);

struct TrustResult {
  bool trusted = false;
  // 0 when trusted; otherwise an HRESULT, such as 0x800B0100 for an unsigned file,
  // 0x80096010 for bytes changed after signing, 0x800B0109 for an untrusted root,
  // 0x800B0004 for another signer, key or issuer.
  long code = 0;
  // Stable text for reports and the failure page, e.g.
  // "package signature: not signed (0x800b0100)".
  std::wstring text;
};

// Checks the file at `path`.
TrustResult VerifyPackageSigner(const std::wstring& path, const ExpectedSigner& expected);

// Checks the file through the lock's open handle, so the bytes checked are the bytes that
// will run. A lock that is not held gives an untrusted result with the open's error.
TrustResult VerifyPackageSigner(const PackageLock& lock, const ExpectedSigner& expected);
