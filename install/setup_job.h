// Running the downloaded package's silent setup: " /S" and "/D=" with the install folder, up
// to three runs, then one "InstallTimeCost" report.
//
// The window posts it to the general worker and posts the result back:
//
//   void CMainWindow::RunSetup() {                                      // kMiscThreadId
//     installExitCode =
//         RunSetupJob(packagePath, installDir, &ReportInstallTimeCost, build::kPackageSigner);
//     base::PostToThread(kUiThreadId,
//                        MakeWeak([this, code = installExitCode.load()] { OnInstallDone(code); }));
//   }
//
// Threading: RunSetupJob blocks until the setup has ended; call it on a worker only.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

constexpr int kSetupRuns = 3;

// Receives the "InstallTimeCost" values: whole seconds, the last exit code, and the number
// of failed runs before the successful one (3 when all failed).
using InstallReportFunc = std::function<void(int64_t cost, int ret, int retryTime)>;

// "\"<packagePath>\" /S /D=<installDir>". The package path is quoted so that a folder name
// with a space cannot make the system start a different program; the folder stays unquoted
// and last, as the setup reads everything after "/D=" as the folder.
std::wstring BuildSetupCommandLine(const std::wstring& packagePath,
                                   const std::wstring& installDir);

// Runs the setup hidden until it exits with 0 or has failed three times. Returns the last
// exit code (or the system error of a failed start, or -10002). A run that ends with 0 but
// leaves no kAppExeName in installDir failed with ERROR_FILE_NOT_FOUND. The package is held
// open against writers from before its signature check until the last run has ended, so the
// file that runs is the file that was checked; with a non-empty expectedSigner a package
// that fails the check does not run at all, and its code is returned.
int RunSetupJob(const std::wstring& packagePath, const std::wstring& installDir,
                const InstallReportFunc& report, const std::wstring& expectedSigner = L"");
