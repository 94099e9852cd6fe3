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
  base::PostToThread(kMiscThreadId, MakeWeak([this] { RunDownload(); }));
}

void CMainWindow::RunDownload() {
  // A new private folder for each download: a retry never reuses what the last one left.
  packageLock.reset();
  packageFolder.reset();
  unsigned long folderError = 0;
  packageFolder = PackageFolder::Create(packageDir, &folderError);
  DownloadRequest request;
  request.downloadUrl = downloadUrl;
  request.fallbackUrl = FallbackPackageUrl();
  request.packagePath = packageFolder ? packageFolder->Path() + L"\\" + kPackageFileName : L"";
  request.expectedSigner = BuildPackageSigner();
  request.stallLimit = std::chrono::seconds(build::kDownloadStallSeconds);
  DownloadOutput output;
  int failed = 1;
  if (packageFolder) {
    failed = RunDownloadJob(request, &output, &ReportDownloadTimeCost);
  } else {
    output.downloadErrorCode = HRESULT_FROM_WIN32(folderError);
    output.downloadErrorText = L"package folder: cannot be made safe";
    ReportDownloadTimeCost(0, 1, 0, -1);
  }
  packageLock = std::move(output.package);
  if (failed)
    packageFolder.reset();
  downloadErrorText = output.downloadErrorText;
  downloadErrorCode = output.downloadErrorCode;
  base::PostToThread(kUiThreadId, MakeWeak([this, path = request.packagePath, failed] {
                       OnDownloadDone(path, failed);
                     }));
}

void CMainWindow::CloseRunningAppThenSetup() {
  RunningAppCheckHooks hooks;
  hooks.enterAppRunningPrompt = MakeWeak([this] { state = AppRunningPrompt; });
  // The prompt's "yes" button is "重试"; "no" and the close button end the application.
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
  base::PostToThread(kMiscThreadId, MakeWeak([this] { RunSetup(); }));
}

void CMainWindow::RunSetup() {
  // Lock and folder are let go once the last run has ended; the folder goes with its package,
  // which a retry downloads afresh.
  installExitCode = packageLock && packageFolder
                        ? RunSetupJob(*packageLock, installDir, packageFolder->Path(),
                                      &ReportInstallTimeCost)
                        : static_cast<int>(ERROR_FILE_NOT_FOUND);
  packageLock.reset();
  packageFolder.reset();
  base::PostToThread(kUiThreadId,
                     MakeWeak([this, code = installExitCode.load()] { OnInstallDone(code); }));
}
