#include "install/install_records.h"

#include <windows.h>
#include <shellapi.h>

#include "app/desktop_shell.h"
#include "app/registry.h"
#include "build_settings.h"

namespace {

constexpr wchar_t kUninstallKey[] = L"SoftWare\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
constexpr DWORD kSubkeyNameChars = 256;     // 255 characters and the terminator
constexpr DWORD kDisplayNameBytes = 512;

class ScopedKey {
 public:
  ScopedKey(HKEY parent, const wchar_t* path, REGSAM access) {
    if (RegOpenKeyExW(parent, path, 0, access, &key_) != ERROR_SUCCESS)
      key_ = nullptr;
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  ~ScopedKey() {
    if (key_)
      RegCloseKey(key_);
  }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

// The subkey's "DisplayName" contains the name. A name too long for the buffer does not.
bool SubkeyMatches(HKEY uninstall, const wchar_t* subkeyName, REGSAM access,
                   const std::wstring& displayName) {
  ScopedKey subkey(uninstall, subkeyName, access);
  if (!subkey.Get())
    return false;
  wchar_t value[kDisplayNameBytes / sizeof(wchar_t)] = {};
  DWORD bytes = sizeof(value);
  DWORD type = 0;
  if (RegQueryValueExW(subkey.Get(), L"DisplayName", nullptr, &type,
                       reinterpret_cast<BYTE*>(value), &bytes) != ERROR_SUCCESS) {
    return false;
  }
  // Numbers and binary data are no name, whatever their bytes spell.
  if (type != REG_SZ && type != REG_EXPAND_SZ)
    return false;
  // A value stored without its terminator fills the buffer to the end.
  std::wstring text(value, wcsnlen(value, bytes / sizeof(wchar_t)));
  OutputDebugStringW(text.c_str());
  return text.find(displayName) != std::wstring::npos;
}

}  // namespace

void WriteInstallRecords(const std::wstring& channel, const std::wstring& installDir) {
  WriteUserRegString(kAppInfoKey, L"InstallerChannel", channel);
  WriteUserRegString(kAppInfoKey, L"InstallerPath", installDir);
}

bool IsAppInstalled() {
  return HasInstallerPathRecord() || FindUninstallEntry(UninstallView::k32Bit) ||
         FindUninstallEntry(UninstallView::k64Bit);
}

bool HasInstallerPathRecord() {
  const std::wstring dir = ReadUserRegString(kAppInfoKey, L"InstallerPath");
  if (dir.empty())
    return false;
  const std::wstring exe = dir + L"\\" + kAppExeName;
  return GetFileAttributesW(exe.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool FindUninstallEntry(UninstallView view, const std::wstring& displayName) {
  const std::wstring name = displayName.empty() ? build::kDisplayName : displayName;
  const REGSAM access =
      KEY_READ | (view == UninstallView::k32Bit ? KEY_WOW64_32KEY : KEY_WOW64_64KEY);
  ScopedKey uninstall(HKEY_LOCAL_MACHINE, kUninstallKey, access);
  if (!uninstall.Get())
    return false;
  for (DWORD index = 0;; ++index) {
    wchar_t subkeyName[kSubkeyNameChars];
    DWORD chars = kSubkeyNameChars;
    if (RegEnumKeyExW(uninstall.Get(), index, subkeyName, &chars, nullptr, nullptr, nullptr,
                      nullptr) != ERROR_SUCCESS) {
      return false;
    }
    OutputDebugStringW(subkeyName);
    const bool matches = SubkeyMatches(uninstall.Get(), subkeyName, access, name);
    OutputDebugStringW(L"\n");
    if (matches)
      return true;
  }
}

bool LaunchInstalledApp(const std::wstring& installDir) {
  const std::wstring exe = installDir + L"\\" + kAppExeName;
  return ShellExecuteAsDesktopUser(exe, L"", installDir);
}
