#include "tests/app_facts/facts_test_support.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "app/registry.h"
#include "tests/support/test_paths.h"

std::string RunProbe(const std::wstring& program, const std::wstring& argument) {
  SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return std::string();
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);

  std::wstring commandLine = L"\"" + TestProgramDir() + L"\\" + program + L"\" " + argument;
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = writeEnd;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  const BOOL started = CreateProcessW(nullptr, mutableLine.data(), nullptr, nullptr, TRUE, 0,
                                      nullptr, nullptr, &startup, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    char buffer[512];
    DWORD read = 0;
    while (ReadFile(readEnd, buffer, sizeof(buffer), &read, nullptr) && read > 0) {
      output.append(buffer, read);
    }
    WaitForSingleObject(process.hProcess, 60000);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  CloseHandle(readEnd);
  return output;
}

ScopedUserRegValue::ScopedUserRegValue(std::wstring keyPath, std::wstring valueName)
    : keyPath_(std::move(keyPath)), valueName_(std::move(valueName)) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    existed_ = RegQueryValueExW(key, valueName_.c_str(), nullptr, nullptr, nullptr, nullptr) ==
               ERROR_SUCCESS;
    RegCloseKey(key);
  }
  if (existed_) saved_ = ReadUserRegString(keyPath_, valueName_);
}

ScopedUserRegValue::~ScopedUserRegValue() {
  if (existed_) {
    WriteUserRegString(keyPath_, valueName_, saved_);
  } else {
    Delete();
  }
}

void ScopedUserRegValue::Delete() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath_.c_str(), 0, KEY_SET_VALUE, &key) ==
      ERROR_SUCCESS) {
    RegDeleteValueW(key, valueName_.c_str());
    RegCloseKey(key);
  }
}

ScopedWineVersion::ScopedWineVersion(const std::wstring& programName,
                                     const std::wstring& version)
    : keyPath_(L"Software\\Wine\\AppDefaults\\" + programName) {
  WriteUserRegString(keyPath_, L"Version", version);
}

ScopedWineVersion::~ScopedWineVersion() { RegDeleteKeyW(HKEY_CURRENT_USER, keyPath_.c_str()); }

ScopedTempDir::ScopedTempDir() {
  wchar_t base[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, base);
  wchar_t name[MAX_PATH] = {};
  GetTempFileNameW(base, L"fct", 0, name);  // reserves a unique name as a file
  DeleteFileW(name);
  CreateDirectoryW(name, nullptr);
  path_ = name;
}

ScopedTempDir::~ScopedTempDir() {
  // SHFileOperation wants a list ending in two NULs.
  std::wstring from = path_;
  from.push_back(L'\0');
  SHFILEOPSTRUCTW operation = {};
  operation.wFunc = FO_DELETE;
  operation.pFrom = from.c_str();
  operation.fFlags = FOF_NO_UI;
  SHFileOperationW(&operation);
}
