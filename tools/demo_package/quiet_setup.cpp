// The demo setup package of a product whose setup takes "/quiet /dir=<folder>": a small setup
// program of its own, not an NSIS one. It writes the application and a data file (both carried
// as resources) into the folder, records an uninstall entry named after the product and ends
// with 0:
//
//   TidemarkNotesSetup.exe /quiet /dir=C:\Program Files (x86)\Cobalt Ridge\Tidemark Notes
//
// The folder is everything after "/dir=", spaces included, unquoted, and must be a full path.
// Any other command line (a quoted switch or folder too: no folder name holds a quote) ends
// with kExitUsage before anything is written. Switches read from the
// environment let tests make it fail or hang, as the NSIS demo package's do:
//   BRIGHTMERE_DEMO_HANG=1           never ends
//   BRIGHTMERE_DEMO_FAIL_RUNS=N      the first N runs fail (every run when no counter is set)
//   BRIGHTMERE_DEMO_RUN_COUNTER=file counts the runs, so that FAIL_RUNS can end
//   BRIGHTMERE_DEMO_FAIL_CODE=C      exit code of a failing run (default 1)
//   BRIGHTMERE_DEMO_TEMP_SEEN=file   writes the temporary folder it was given (UTF-16) there
// The product's values come from quiet_setup_settings.h, which the build generates.
//
// Threading: one thread.
#include <windows.h>
#include <shlobj.h>

#include <cwchar>
#include <cwctype>
#include <string>

#include "quiet_setup_settings.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

bool IsBlank(wchar_t c) {
  return c == L' ' || c == L'\t';
}

// The command line after the program's own name, as Windows splits that name off.
const wchar_t* ArgumentsOf(const wchar_t* line) {
  if (*line == L'"') {
    ++line;
    while (*line && *line != L'"')
      ++line;
    if (*line)
      ++line;
  } else {
    while (*line && !IsBlank(*line))
      ++line;
  }
  while (IsBlank(*line))
    ++line;
  return line;
}

// `text` starts with `prefix`, letters in any case.
bool StartsWithSwitch(const wchar_t* text, const wchar_t* prefix) {
  return _wcsnicmp(text, prefix, wcslen(prefix)) == 0;
}

// "C:\..." or "\\server\share...": a folder that does not depend on the working folder.
bool IsFullPath(const std::wstring& path) {
  if (path.size() >= 3 && iswalpha(path[0]) && path[1] == L':' &&
      (path[2] == L'\\' || path[2] == L'/')) {
    return true;
  }
  return path.size() > 2 && path[0] == L'\\' && path[1] == L'\\';
}

// The folder of "/quiet /dir=<folder>", or "" when the arguments are anything else.
std::wstring InstallDirFromArguments(const wchar_t* arguments) {
  constexpr wchar_t kQuiet[] = L"/quiet";
  constexpr wchar_t kDir[] = L"/dir=";
  if (!StartsWithSwitch(arguments, kQuiet) || !IsBlank(arguments[wcslen(kQuiet)]))
    return L"";
  arguments += wcslen(kQuiet);
  while (IsBlank(*arguments))
    ++arguments;
  if (!StartsWithSwitch(arguments, kDir))
    return L"";
  std::wstring dir(arguments + wcslen(kDir));
  while (!dir.empty() && IsBlank(dir.back()))
    dir.pop_back();
  while (dir.size() > 3 && dir.back() == L'\\')
    dir.pop_back();
  for (wchar_t c : dir) {
    if (c < L' ' || c == L'"')
      return L"";
  }
  return IsFullPath(dir) ? dir : L"";
}

std::wstring Env(const wchar_t* name) {
  wchar_t value[MAX_PATH * 2];
  const DWORD chars = GetEnvironmentVariableW(name, value, MAX_PATH * 2);
  return chars > 0 && chars < MAX_PATH * 2 ? std::wstring(value, chars) : std::wstring();
}

bool WriteBytes(const std::wstring& path, const void* data, DWORD size) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return false;
  DWORD written = 0;
  const bool ok = WriteFile(file, data, size, &written, nullptr) && written == size;
  return CloseHandle(file) && ok;
}

// The test switches; true when this run is to fail.
bool RunTestHooks() {
  const std::wstring tempSeen = Env(L"BRIGHTMERE_DEMO_TEMP_SEEN");
  if (!tempSeen.empty()) {
    wchar_t temp[MAX_PATH + 1];
    DWORD chars = GetTempPathW(MAX_PATH + 1, temp);
    if (chars > 3 && temp[chars - 1] == L'\\')
      --chars;  // as the NSIS package reports it: no trailing separator
    WriteBytes(tempSeen, temp, chars * sizeof(wchar_t));
  }
  if (Env(L"BRIGHTMERE_DEMO_HANG") == L"1") {
    for (;;)
      Sleep(60000);
  }
  const std::wstring failRuns = Env(L"BRIGHTMERE_DEMO_FAIL_RUNS");
  if (failRuns.empty())
    return false;
  long runsBefore = 0;
  const std::wstring counter = Env(L"BRIGHTMERE_DEMO_RUN_COUNTER");
  if (!counter.empty()) {
    char text[16] = {};
    HANDLE file = CreateFileW(counter.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      DWORD read = 0;
      ReadFile(file, text, sizeof(text) - 1, &read, nullptr);
      CloseHandle(file);
      runsBefore = strtol(text, nullptr, 10);
    }
    const std::string next = std::to_string(runsBefore + 1);
    WriteBytes(counter, next.data(), static_cast<DWORD>(next.size()));
  }
  return runsBefore < wcstol(failRuns.c_str(), nullptr, 10);
}

int FailCode() {
  const std::wstring code = Env(L"BRIGHTMERE_DEMO_FAIL_CODE");
  return code.empty() ? kExitFailed : static_cast<int>(wcstol(code.c_str(), nullptr, 10));
}

// Writes the RCDATA resource `name` to `path`.
bool WriteResource(const wchar_t* name, const std::wstring& path) {
  HRSRC resource = FindResourceW(nullptr, name, RT_RCDATA);
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  return data && WriteBytes(path, data, SizeofResource(nullptr, resource));
}

bool SetString(HKEY key, const wchar_t* name, const std::wstring& value) {
  return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                        static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) ==
         ERROR_SUCCESS;
}

// The entry in the registry view of this program's bitness, as the NSIS package writes it.
bool WriteUninstallEntry(const std::wstring& dir) {
  const std::wstring path = std::wstring(kUninstallKey) + quiet_setup::kDisplayName;
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                      &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const bool ok = SetString(key, L"DisplayName", quiet_setup::kDisplayName) &&
                  SetString(key, L"DisplayVersion", quiet_setup::kVersion) &&
                  SetString(key, L"Publisher", quiet_setup::kCompanyName) &&
                  SetString(key, L"InstallLocation", dir);
  RegCloseKey(key);
  return ok;
}

bool CreateFolder(const std::wstring& dir) {
  const int result = SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
  if (result != ERROR_SUCCESS && result != ERROR_ALREADY_EXISTS)
    return false;
  const DWORD attributes = GetFileAttributesW(dir.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  const std::wstring dir = InstallDirFromArguments(ArgumentsOf(GetCommandLineW()));
  if (dir.empty())
    return kExitUsage;
  if (RunTestHooks())
    return FailCode();
  if (!CreateFolder(dir) ||
      !WriteResource(L"APP", dir + L"\\" + quiet_setup::kAppExeName) ||
      !WriteResource(L"PAYLOAD", dir + L"\\" + quiet_setup::kDataFileName) ||
      !WriteUninstallEntry(dir)) {
    return kExitFailed;
  }
  return kExitOk;
}
