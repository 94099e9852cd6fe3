// The installer's own records of a finished installation, the detection of an existing one,
// and the start of the installed application.
//
//   WriteInstallRecords(settings.channel, settings.installDir);   // after exit code 0
//   if (IsAppInstalled()) { ... }
//   LaunchInstalledApp(settings.installDir);   // the window then closes itself
//
// The uninstall entry itself is written by the package's setup, never here.
// Threading: UI thread (any thread works; nothing here keeps state).
#pragma once

#include <string>

#include "build_settings.h"

// The application's program file in the install folder: what the records point at, the setup
// is checked for, the launch starts and the running-application check looks for.
inline constexpr const wchar_t* kAppExeName = build::kAppExeName;

// The two views of the system's uninstall list on 64-bit Windows. A 32-bit setup writes into
// the 32-bit one. Both are named, so that the 32-bit installer and a 64-bit build of it read
// the same places (on 32-bit Windows both name the one list there is).
enum class UninstallView { k32Bit, k64Bit };

// "InstallerChannel" := channel, then "InstallerPath" := installDir, under the AppInfo key.
void WriteInstallRecords(const std::wstring& channel, const std::wstring& installDir);

// The "InstallerPath" record, or an uninstall entry in the 32-bit then the 64-bit view.
bool IsAppInstalled();

// True when "InstallerPath" is recorded and kAppExeName exists in that folder.
bool HasInstallerPathRecord();

// Scans the system's uninstall list in the given view for an entry whose "DisplayName"
// contains `displayName` (exact case); empty: the product's display name.
bool FindUninstallEntry(UninstallView view, const std::wstring& displayName = L"");

// Starts installDir\kAppExeName in installDir with the desktop user's rights, never the
// installer's (desktop_shell.h). False when the desktop's shell could not start it: nothing
// was started, and the window says where the application was installed before it closes.
bool LaunchInstalledApp(const std::wstring& installDir);
