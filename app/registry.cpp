#include "app/registry.h"

#include <windows.h>

namespace {

constexpr DWORD kValueBufferChars = 260;

// Closes the key on every exit path.
class ScopedKey {
 public:
  ScopedKey() = default;
  ~ScopedKey() {
    if (key_) RegCloseKey(key_);
  }
  ScopedKey(const ScopedKey&) = delete;
  ScopedKey& operator=(const ScopedKey&) = delete;
  HKEY* Receive() { return &key_; }
  HKEY Get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};

}  // namespace

std::wstring ReadUserRegString(const std::wstring& keyPath, const std::wstring& valueName) {
  ScopedKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_READ, key.Receive()) !=
      ERROR_SUCCESS) {
    return std::wstring();
  }
  // One spare code unit past the 520-byte buffer keeps a full-length value terminated.
  wchar_t buffer[kValueBufferChars + 1] = {};
  DWORD bytes = kValueBufferChars * sizeof(wchar_t);
  if (RegQueryValueExW(key.Get(), valueName.c_str(), nullptr, nullptr,
                       reinterpret_cast<BYTE*>(buffer), &bytes) != ERROR_SUCCESS) {
    return std::wstring();
  }
  return std::wstring(buffer);
}

int WriteUserRegString(const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& data) {
  constexpr REGSAM kAccess = KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY;
  ScopedKey key;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, kAccess, key.Receive()) !=
          ERROR_SUCCESS &&
      RegCreateKeyExW(HKEY_CURRENT_USER, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                      kAccess, nullptr, key.Receive(), nullptr) != ERROR_SUCCESS) {
    return 1;
  }
  const DWORD bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
  if (RegSetValueExW(key.Get(), valueName.c_str(), 0, REG_SZ,
                     reinterpret_cast<const BYTE*>(data.c_str()), bytes) != ERROR_SUCCESS) {
    return 1;
  }
  return 0;
}
