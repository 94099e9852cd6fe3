// trust_test_ca CA.der: adds a test certificate authority to the machine's trusted root
// store. Run only inside a test Wine prefix, so the CA is trusted there and nowhere else.
#include <windows.h>
#include <wincrypt.h>

#include <cstdio>
#include <vector>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    fwprintf(stderr, L"usage: trust_test_ca CA.der\n");
    return 2;
  }
  FILE* file = _wfopen(argv[1], L"rb");
  if (!file) {
    fwprintf(stderr, L"trust_test_ca: cannot open %ls\n", argv[1]);
    return 1;
  }
  std::vector<BYTE> der;
  BYTE buffer[4096];
  size_t read;
  while ((read = fread(buffer, 1, sizeof(buffer), file)) > 0)
    der.insert(der.end(), buffer, buffer + read);
  fclose(file);

  HCERTSTORE root = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0,
                                  CERT_SYSTEM_STORE_LOCAL_MACHINE, L"ROOT");
  if (!root) {
    fwprintf(stderr, L"trust_test_ca: cannot open the root store (%lu)\n", GetLastError());
    return 1;
  }
  BOOL added = CertAddEncodedCertificateToStore(root, X509_ASN_ENCODING, der.data(),
                                                static_cast<DWORD>(der.size()),
                                                CERT_STORE_ADD_REPLACE_EXISTING, nullptr);
  DWORD error = GetLastError();
  CertCloseStore(root, 0);
  if (!added) {
    fwprintf(stderr, L"trust_test_ca: cannot add the certificate (%lu)\n", error);
    return 1;
  }
  return 0;
}
