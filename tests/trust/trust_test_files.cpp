#include "tests/trust/trust_test_files.h"

#include <windows.h>
#include <softpub.h>
#include <wintrust.h>

#include <atomic>

#include "tests/support/test_paths.h"

namespace trust_test {

std::wstring PreparedFile(const wchar_t* name) {
  const std::wstring dir = PathFromEnv("BRIGHTMERE_TRUST_FILES");
  return dir.empty() ? L"" : dir + L'\\' + name;
}

std::wstring ScratchCopy(const wchar_t* name) {
  static std::atomic<int> counter{0};
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  std::wstring dir = std::wstring(temp) + L"trust test " + std::to_wstring(GetCurrentProcessId()) +
                     L"-" + std::to_wstring(++counter);
  CreateDirectoryW(dir.c_str(), nullptr);
  std::wstring copy = dir + L"\\" + name;
  if (!CopyFileW(PreparedFile(name).c_str(), copy.c_str(), FALSE))
    return L"";
  return copy;
}

void RemoveScratch(const std::wstring& copy) {
  if (copy.empty())
    return;
  DeleteFileW(copy.c_str());
  RemoveDirectoryW(copy.substr(0, copy.rfind(L'\\')).c_str());
}

long PlainWinVerifyTrust(const std::wstring& path) {
  WINTRUST_FILE_INFO file = {};
  file.cbStruct = sizeof(file);
  file.pcwszFilePath = path.c_str();
  WINTRUST_DATA data = {};
  data.cbStruct = sizeof(data);
  data.dwUIChoice = WTD_UI_NONE;
  data.fdwRevocationChecks = WTD_REVOKE_NONE;
  data.dwUnionChoice = WTD_CHOICE_FILE;
  data.pFile = &file;
  data.dwStateAction = WTD_STATEACTION_IGNORE;
  GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
  return WinVerifyTrust(static_cast<HWND>(INVALID_HANDLE_VALUE), &action, &data);
}

}  // namespace trust_test
