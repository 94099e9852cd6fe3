// Paths of the shell's special folders (CSIDL_* numbers) and of the user's temporary folder.
//
//   std::wstring appData = GetSpecialFolderPath(CSIDL_APPDATA);  // "" when unavailable
//
// Any thread.
#pragma once

#include <string>

// The folder's path without a trailing "\", or "" when the shell cannot resolve it.
std::wstring GetSpecialFolderPath(int csidl);

// The user's temporary folder without its trailing "\", or "" when unavailable.
std::wstring GetUserTempDir();
