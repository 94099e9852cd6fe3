// String values under HKEY_CURRENT_USER, and the key where the installer keeps its own
// records ("InstallerChannel", "InstallerPath", "UniqueId").
//
//   std::wstring id = ReadUserRegString(kAppInfoKey, L"UniqueId");  // "" when missing
//   WriteUserRegString(kAppInfoKey, L"UniqueId", id);               // 0 ok, 1 failed
//
// Any thread.
#pragma once

#include <string>

#include "build_settings.h"

inline constexpr const wchar_t* kAppInfoKey = build::kRegistryKey;

// The value's text up to its first NUL, at most 260 code units. "" when the key or value is
// missing or the value is longer than that; the value's registry type is not checked.
std::wstring ReadUserRegString(const std::wstring& keyPath, const std::wstring& valueName);

// Writes a REG_SZ value, creating the key when needed. Returns 0 on success, 1 on failure.
int WriteUserRegString(const std::wstring& keyPath, const std::wstring& valueName,
                       const std::wstring& data);
