// Starting a program or opening a web page with the rights of the desktop's user instead of
// the installer's. The installer runs as administrator; a browser or an application started
// from it would be elevated too, and a door to the whole machine for whoever controls the
// page, or the file associations the user's registry (HKCU) holds. So the start is handed to
// the desktop's own shell, which runs unelevated: through its folder view's dispatch object
// and that object's ShellExecute. Only where there is no such shell (no desktop shell
// running, or one that does not offer the view) does the installer start it itself.
//
//   ShellExecuteAsDesktopUser(installDir + L"\\brightmere.exe", L"", installDir);
//   ShellExecuteAsDesktopUser(L"https://www.example/agreement", L"", L"");
//
// Threading: UI thread (COM is initialised for the call if the thread has not done so).
#pragma once

#include <functional>
#include <string>

struct ShellStart {
  std::wstring file;        // a program, document or URL
  std::wstring parameters;  // "" for none
  std::wstring workingDir;  // "" for the shell's choice
};

// How a start was made.
enum class ShellRoute {
  kDesktopShell,  // by the desktop's shell, unelevated
  kOwnProcess,    // by this process (no desktop shell to ask), with its rights
  kFailed,        // neither could start it
};

// The two ways to start something; each returns whether it did.
struct ShellStarters {
  std::function<bool(const ShellStart&)> desktopShell;
  std::function<bool(const ShellStart&)> ownProcess;
};

// Tries the desktop shell first and this process only when the desktop shell could not be
// asked.
ShellRoute StartThroughShell(const ShellStart& start, const ShellStarters& starters);

// StartThroughShell with the real starters: the desktop shell's folder-view dispatch, then
// ShellExecuteW in this process.
ShellRoute ShellExecuteAsDesktopUser(const std::wstring& file, const std::wstring& parameters,
                                     const std::wstring& workingDir);
