// Facts about this build and this machine that the settings and every report carry: the
// channel tag and file version placed in the executable's resources at build time, the
// per-user installation identifier, the Windows display name and the native word size.
//
//   std::wstring tag;
//   if (!ReadChannelTag(&tag)) tag = L"default";
//   std::wstring os = GetOsDisplayName() + (Is64BitWindows() ? L" 64bit" : L" 32bit");
//
// Threading: GetFileVersionString and GetUniqueId fill process-wide caches without a lock;
// call them once on the UI thread during start-up, after which any thread may call them. The
// other functions may be called from any thread.
#pragma once

#include <string>

// Reads the CHANNEL resource (id 138) of the executable. False when there is none (tag left
// untouched); true otherwise, with an empty tag when its bytes are not valid UTF-8.
bool ReadChannelTag(std::wstring* tag);

// The executable's file version as "major.minor.build.revision"; "1.0.0.0" without one.
std::wstring GetFileVersionString();

// 32 upper-case hex digits identifying this user's installation, kept in the registry
// (kAppInfoKey, "UniqueId") so that it stays the same across runs. A stored value that is not
// 32 hex digits is replaced by a new one.
std::wstring GetUniqueId();

// MD5 of the text's UTF-8 bytes (up to the first NUL) as 32 upper-case hex digits.
std::wstring Md5HexUpper(const std::wstring& text);

// "Microsoft Windows 10", "Microsoft Windows Server", ... or "unknown OperatingSystem.".
std::wstring GetOsDisplayName();
bool IsVersionAtLeast(int major, int minor, int servicePackMajor);
bool IsServerEdition();

// True on 64-bit Windows, also for this 32-bit process running under WOW64.
bool Is64BitWindows();
