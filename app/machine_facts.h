// Facts about this build and this machine that the settings and every report carry: the
// channel tag (stamped into the signed executable, or else from its resources), the file
// version placed in the executable's resources at build time, the
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

// The executable's channel tag: an acceptable channel stamp in its signature
// (app/channel_stamp.h) when there is one, otherwise its CHANNEL resource (id 138). False when
// there is neither (tag left untouched); true otherwise, with an empty tag when the resource's
// bytes are not valid UTF-8. A stamp that is unacceptable or unreadable is ignored. Read once
// per process.
bool ReadChannelTag(std::wstring* tag);

// The acceptable channel stamp of the PE file at `path`; false when it has none. Reads the
// headers and the certificate table only (at most kMaxCertificateTable bytes).
bool ReadChannelStampFromFile(const std::wstring& path, std::string* stamp);

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
