#include "install/setup_job.h"

#include <windows.h>

#include <chrono>

#include "app/process_utils.h"
#include "install/package_lock.h"
#include "install/package_trust.h"
#include "install/install_records.h"

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
  return L"\"" + packagePath + L"\"" + L" /S" + L" /D=" + installDir;
}

int RunSetupJob(const std::wstring& packagePath, const std::wstring& installDir,
                const InstallReportFunc& report, const std::wstring& expectedSigner) {
  const int64_t start = NowMilliseconds();
  const std::wstring command = BuildSetupCommandLine(packagePath, installDir);
  PackageLock lock(packagePath);
  if (!expectedSigner.empty()) {
    TrustResult trust = VerifyPackageSigner(lock, expectedSigner);
    if (!trust.trusted) {
      report((NowMilliseconds() - start) / 1000, trust.code, 0);
      return trust.code;
    }
  }
  int installExitCode = 0;
  int failedRuns = 0;
  while (true) {
    installExitCode = RunHiddenAndWait(L"", command);
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
