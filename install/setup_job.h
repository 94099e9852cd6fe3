// Running the downloaded package's silent setup: " /S" and "/D=" with the install folder, up
// to three runs, then one "InstallTimeCost" report.
//
// The window posts it to the general worker and posts the result back:
//
//   void CMainWindow::RunSetup(DownloadedPackage package,              // kMiscThreadId
//                              const std::wstring& installDir) {
//     // the lock the download job took when it checked the package's signature
//     const int exitCode = RunSetupJob(*package.lock, installDir, package.folder->Path(),
//                                      package.folder->TempPath(), &ReportInstallTimeCost);
//     ...                                  // let go of the lock, then of the folder
//     base::PostToThread(kUiThreadId, MakeWeak([this, exitCode] { OnInstallDone(exitCode); }));
//   }
//
// Threading: RunSetupJob blocks until the setup has ended; call it on a worker only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "app/process_utils.h"

class PackageLock;

constexpr int kSetupRuns = 3;

// Receives the "InstallTimeCost" values: whole seconds, the last exit code, and the number
// of failed runs before the successful one (3 when all failed).
using InstallReportFunc = std::function<void(int64_t cost, int ret, int retryTime)>;

// "\"<packagePath>\" /S /D=<installDir>". The package path is quoted so that a folder name
// with a space cannot make the system start a different program; the folder stays unquoted
// and last, as the setup reads everything after "/D=" as the folder.
std::wstring BuildSetupCommandLine(const std::wstring& packagePath,
                                   const std::wstring& installDir);

// Runs the setup of the locked package hidden, in `workingDir`, with TEMP and TMP set to
// `tempDir` (a folder only administrators can write, so nothing the setup unpacks and loads
// can be swapped; empty: the installer's own), until it exits with 0 or has failed three
// times. Returns the last exit code (or the system error of a failed start, or
// -10002). A run that ends with 0 but leaves no kAppExeName in installDir failed with
// ERROR_FILE_NOT_FOUND. The package was checked through the lock, which keeps writers out
// until the last run has started; each run starts suspended and goes on only when its image
// is the locked file (ImageIsLockedFile), otherwise it is ended and fails with
// kStartRefused.
int RunSetupJob(const PackageLock& lock, const std::wstring& installDir,
                const std::wstring& workingDir, const std::wstring& tempDir,
                const InstallReportFunc& report);

// Accepts a new process only when its executable image is the file the lock holds, by the
// final path of the lock's handle: a path that has come to lead elsewhere is caught. The
// check borrows the lock, which must outlive it.
StartCheck ImageIsLockedFile(const PackageLock& lock);
