// Decides whether a downloaded setup package may run: it must carry a valid Authenticode
// signature whose signer chains to a root the machine trusts, and the signing certificate's
// common name (CN) must equal the signer this build expects. The download itself may come
// over plain http, or https with certificate problems ignored, so this check is what stands
// between someone on the network path and a program run as administrator.
//
//   PackageLock lock(packagePath);                // keeps the file as checked
//   TrustResult trust = VerifyPackageSigner(lock, build::kPackageSigner);
//   if (!trust.trusted) { ... fail with trust.code and trust.text ... }
//
// Revocation is not checked: the check needs no network beyond the package download, and
// works offline. The expected signer is compared with the common name exactly (case
// matters, no partial match); a certificate without a common name never matches. An empty
// expected signer means the build names no signer, and the package is not checked.
//
// Threading: any thread. It reads the whole file, so call it on a worker.
#pragma once

#include <string>

class PackageLock;

struct TrustResult {
  bool trusted = false;
  // 0 when trusted; otherwise an HRESULT, such as 0x800B0100 for an unsigned file,
  // 0x80096010 for bytes changed after signing, 0x800B0109 for an untrusted root,
  // 0x800B0004 for another signer.
  long code = 0;
  // Stable text for reports and the failure page, e.g.
  // "package signature: not signed (0x800b0100)".
  std::wstring text;
};

// Checks the file at `path`.
TrustResult VerifyPackageSigner(const std::wstring& path, const std::wstring& expectedSubject);

// Checks the file through the lock's open handle, so the bytes checked are the bytes that
// will run. A lock that is not held gives an untrusted result with the open's error.
TrustResult VerifyPackageSigner(const PackageLock& lock, const std::wstring& expectedSubject);
