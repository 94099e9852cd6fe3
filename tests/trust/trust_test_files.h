// The files the package trust tests work on: the signed variants prepare_signed_packages.sh
// made, and scratch copies that a test may lock, run or try to overwrite.
#pragma once

#include <string>

namespace trust_test {

// The common name of the test signing certificate the files are signed with.
constexpr wchar_t kTestSigner[] = L"Test Package Signer";

// `name` (e.g. L"signed.exe") in the prepared folder, as a Windows path.
std::wstring PreparedFile(const wchar_t* name);

// A copy of a prepared file under a fresh scratch folder; removed with RemoveScratch.
std::wstring ScratchCopy(const wchar_t* name);
void RemoveScratch(const std::wstring& copy);

// WinVerifyTrust's own verdict on a file, without any further check.
long PlainWinVerifyTrust(const std::wstring& path);

}  // namespace trust_test
