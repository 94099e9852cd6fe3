#include "install/setup_job.h"

#include <windows.h>

#include <chrono>

#include "app/final_path.h"
#include "app/process_utils.h"
#include "build_settings.h"
#include "install/package_lock.h"
#include "install/install_records.h"
#include "toolkit/base/replace_all.h"

namespace {

int64_t NowMilliseconds() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

// A setup that cannot write into the folder (a path under a file, a drive that isn't there)
// may still end with 0, having skipped every file; without the program nothing is installed.
bool ProgramIsInPlace(const std::wstring& installDir) {
  const std::wstring program = installDir + L"\\" + kAppExeName;
  const DWORD attributes = GetFileAttributesW(program.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace

std::wstring BuildSetupCommandLine(const std::wstring& packagePath,
                                   const std::wstring& installDir) {
  std::wstring command = build::kSetupCommand;
  // The folder goes in last: a folder name that holds "{package}" stays as it is.
  ReplaceAll(command, L"{package}", packagePath);
  ReplaceAll(command, L"{install_dir}", installDir);
  return command;
}

StartCheck ImageIsLockedFile(const PackageLock& lock) {
  return [&lock](void* process) {
    if (!lock.IsHeld())
      return false;
    const std::wstring locked = FinalPathOf(lock.Handle());
    return !locked.empty() && IsSamePath(locked, ProcessImagePath(process));
  };
}

int RunSetupJob(const PackageLock& lock, const std::wstring& installDir,
                const std::wstring& workingDir, const std::wstring& tempDir,
                const InstallReportFunc& report) {
  const int64_t start = NowMilliseconds();
  const std::wstring command = BuildSetupCommandLine(lock.Path(), installDir);
  const StartCheck check = ImageIsLockedFile(lock);
  const std::wstring environment = tempDir.empty() ? L"" : EnvironmentWithTemp(tempDir);
  int installExitCode = 0;
  int failedRuns = 0;
  while (true) {
    installExitCode = RunHiddenAndWait(L"", command, workingDir, check, environment);
    if (installExitCode == 0 && !ProgramIsInPlace(installDir))
      installExitCode = ERROR_FILE_NOT_FOUND;
    if (installExitCode == 0)
      break;
    if (++failedRuns >= kSetupRuns)
      break;
  }
  report((NowMilliseconds() - start) / 1000, installExitCode, failedRuns);
  return installExitCode;
}
