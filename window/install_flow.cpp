// The main window's side of the two jobs: posting them to the general worker, running them
// there, and taking their results back to the UI thread.
#include "window/main_window.h"

#include "app/installer_settings.h"
#include "app/thread_ids.h"
#include "build_settings.h"
#include "install/download_job.h"
#include "install/running_app_check.h"
#include "install/setup_job.h"
#include "report/report_catalogue.h"
#include "toolkit/base/thread_directory.h"
#include "window/msg_box.h"

void CMainWindow::StartDownload() {
  base::PostToThread(kMiscThreadId,
                     MakeWeak([this, url = settings.downloadUrl, dir = settings.packageDir] {
                       RunDownload(url, dir);
                     }));
}

void CMainWindow::RunDownload(const std::wstring& downloadUrl, const std::wstring& packageDir) {
  // A new private folder for each download: a retry never reuses what the last one left.
  unsigned long folderError = 0;
  std::unique_ptr<PackageFolder> folder = PackageFolder::Create(packageDir, &folderError);
  DownloadResult result;
  if (folder) {
    DownloadRequest request;
    request.downloadUrl = downloadUrl;
    request.fallbackUrl = FallbackPackageUrl();
    request.packagePath = folder->Path() + L"\\" + kPackageFileName;
    request.expectedSigner = BuildPackageSigner();
    request.minPackageVersion = build::kMinPackageVersion;
    request.stallLimit = std::chrono::seconds(build::kDownloadStallSeconds);
    result = RunDownloadJob(request, &ReportDownloadTimeCost);
  } else {
    result.downloadErrorCode = HRESULT_FROM_WIN32(folderError);
    result.downloadErrorText = L"package folder: cannot be made safe";
    ReportDownloadTimeCost(0, 1, 0, -1);
  }
  if (!result.Succeeded())
    folder.reset();  // here, not on the UI thread: removing it frees what the attempts saved
  base::PostToThread(kUiThreadId, MakeWeak([this, result = std::move(result),
                                            folder = std::move(folder)]() mutable {
                       OnDownloadDone(std::move(result), std::move(folder));
                     }));
}

void CMainWindow::CloseRunningAppThenSetup() {
  RunningAppCheckHooks hooks;
  hooks.enterAppRunningPrompt = MakeWeak([this] { state = AppRunningPrompt; });
  // The prompt's "yes" button is "retry"; "no" and the close button end the application.
  hooks.ask = [this](const RunningAppPrompt& prompt, RunningAppAnswerCallback answer) {
    ShowMsgBox(GetHWND(), prompt.text, MakeWeak([answer](MsgBoxRet ret) {
                 answer(ret == kMsgBoxYes ? RunningAppAnswer::kRetry
                                          : RunningAppAnswer::kEndApplication);
               }),
               prompt.title, prompt.yesButton, prompt.noButton,
               prompt.notShownAnswer == RunningAppAnswer::kRetry ? kMsgBoxYes : kMsgBoxNo);
  };
  hooks.startInstalling = MakeWeak([this] {
    state = Installing;
    StartSetup();
  });
  ::CloseRunningAppThenSetup(hooks);
}

void CMainWindow::StartSetup() {
  base::PostToThread(kMiscThreadId, MakeWeak([this, package = std::move(downloaded),
                                              dir = settings.installDir]() mutable {
                       RunSetup(std::move(package), dir);
                     }));
}

void CMainWindow::RunSetup(DownloadedPackage package, const std::wstring& installDir) {
  const int exitCode =
      package.lock && package.folder
          ? RunSetupJob(*package.lock, installDir, package.folder->Path(),
                        package.folder->TempPath(), &ReportInstallTimeCost)
          : static_cast<int>(ERROR_FILE_NOT_FOUND);
  // The lock, then the folder with its package, let go here after the last run: a retry
  // downloads afresh.
  package.lock.reset();
  package.folder.reset();
  base::PostToThread(kUiThreadId, MakeWeak([this, exitCode] { OnInstallDone(exitCode); }));
}
