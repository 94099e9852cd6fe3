// Starting a program or opening a web page with the rights of the desktop's user instead of
// the installer's. The installer runs as administrator; a browser or an application started
// from it would be elevated too, and a door to the whole machine for whoever controls the
// page, or the file associations the user's registry (HKCU) holds. So the start is handed to
// the desktop's own shell, which runs unelevated: through its folder view's dispatch object
// and that object's ShellExecute. Where there is no such shell (none running, or one that
// does not offer the view) nothing is started: the installer never starts it itself, since
// whoever writes the user's file associations or ends the user's shell would then choose
// what runs as administrator. The caller tells the user instead.
//
//   if (!ShellExecuteAsDesktopUser(installDir + L"\\" + build::kAppExeName, L"", installDir))
//     ...;  // say where the application was installed
//
// Threading: UI thread (COM is initialised for the call if the thread has not done so).
#pragma once

#include <string>

// True when the desktop's shell took the start; false when it could not be asked or refused
// it, and then nothing was started.
bool ShellExecuteAsDesktopUser(const std::wstring& file, const std::wstring& parameters,
                               const std::wstring& workingDir);
