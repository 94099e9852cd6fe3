// The main window's page flow: what every click and every job result does.
#include "window/main_window.h"

#include <shlobj.h>

#include "app/registry.h"
#include "app/special_folder.h"
#include "app/thread_ids.h"
#include "build_settings.h"
#include "install/download_progress.h"
#include "install/install_records.h"
#include "report/report_catalogue.h"
#include "toolkit/base/text_table.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/label.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"
#include "window/close_decision.h"
#include "window/msg_box.h"
#include "window/shell_actions.h"

namespace {

constexpr base::TimeDelta kProgressTickInterval = base::TimeDelta::FromMilliseconds(200);
constexpr int kCustomizeBarHeight = 48;  // the bar's height in the layout, at 100 %

void SetShown(ui::Control* control, bool shown) {
  if (control)
    control->SetVisible(shown);
}

std::wstring AgreementUrl() {
  return build::kAgreementUrl;
}

std::wstring OfflinePackageUrl() {
  return build::kOfflineUrl;
}

}  // namespace

bool CMainWindow::HandleClick(const ui::EventArgs& e) {
  const std::wstring& name = e.sender->GetName();
  if (name == L"btn_useragreement") {
    OpenUrl(AgreementUrl());
  } else if (name == L"btn_customize" || name == L"btn_expand") {
    ToggleCustomizeBar();
  } else if (name == L"btn_continueInstall" || name == L"btn_startinstall") {
    StartInstall();
  } else if (name == L"btn_changeinstallpath") {
    ChooseInstallDir();
  } else if (name == L"btn_startapp") {
    LaunchAndClose();
  } else if (name == L"btn_quitStart") {
    SubmitSurveyAndQuit();
  } else if (name == L"btn_reinstall") {
    RetryInstall();
    ++reinstallCount;
  } else if (name == L"btn_exit") {
    OnCloseButton();
  } else if (name == L"btn_redownload" || name == L"btn_downloadOfflinePackage") {
    OpenOfflinePackagePage();
  }
  return true;
}

bool CMainWindow::OnAgreementToggled(const ui::EventArgs& e) {
  auto* agreement = dynamic_cast<ui::CheckBox*>(e.sender);
  if (agreement && btn_startinstall)
    btn_startinstall->SetEnabled(agreement->IsSelected());
  return true;
}

void CMainWindow::OnCloseButton() {
  switch (DecideCloseAction(state, [] { return IsAppInstalled(); })) {
    case CloseAction::LaunchApp:
      LaunchAndClose();
      return;
    case CloseAction::LeaveInstalled:
      if (ReadUserRegString(kAppInfoKey, L"InstallerPath").empty())
        ReportOffline();
      ReportExit(InstalledExitValue(state));
      CloseAfterReports();
      return;
    case CloseAction::AskAfterFailedSetup: {
      const FailedSetupPrompt prompt = MakeFailedSetupPrompt(build::kDisplayName);
      const bool shown =
          ShowMsgBox(GetHWND(), prompt.text, MakeWeak([this](MsgBoxRet ret) {
                       if (ret == kMsgBoxYes) {
                         ReportExit(kExitFailedNotInstalled);
                         CloseAfterReports();
                       } else {
                         OpenOfflinePackagePage();
                       }
                     }),
                     prompt.title, prompt.yesButton, prompt.noButton, std::nullopt);
      // Nobody could answer: the close button's own way out, which starts nothing, and no
      // click is reported that the user never made.
      if (!shown)
        CloseAfterReports();
      return;
    }
    case CloseAction::ShowExitSurvey:
      ShowExitSurvey();
      return;
  }
}

void CMainWindow::ShowPageFor(InstallerState pageState) {
  const PageView view = ViewForState(pageState);
  SetShown(FindControl<ui::Box>(L"bkimage1"), view.surveyHeader);
  SetShown(FindControl<ui::Box>(L"bkimage2"), !view.surveyHeader);
  for (ui::VBox* page : {welcompage, installpage, installedpage, installfaildpage, ExitStartpage})
    SetShown(page, page && page->GetName() == view.page);
  SetShown(btn_exit, view.exitButton);
}

void CMainWindow::StartInstall() {
  if (customizeExpanded)
    ToggleCustomizeBar();
  state = Downloading;
  ShowPageFor(state);
  UpdateProgress(kProgressStart);
  StartDownload();
  // Each start adds one more tick, as a start from the survey after a failed download does.
  base::PostRepeating(kUiThreadId, MakeWeak([this] { UpdateProgress(kProgressOnTick); }),
                      kProgressTickInterval, -1);
  ReportClick(kClickInstall);
}

void CMainWindow::RetryInstall() {
  state = Downloading;
  ShowPageFor(state);
  UpdateProgress(kProgressStart);
  StartDownload();
  ReportClick(kClickReInstall);
}

void CMainWindow::ShowExitSurvey() {
  state = ExitSurvey;
  ShowPageFor(state);
  ReportClick(kClickReInstall);
}

void CMainWindow::ToggleCustomizeBar() {
  int delta = GetDisplayScale() * kCustomizeBarHeight / 100;
  if (customizeExpanded) {
    delta = -delta;
    SetShown(customizebar, false);
    if (btn_expand)
      btn_expand->SetBkImage(std::string("icon_down.png"));
  } else {
    SetShown(customizebar, true);
    if (btn_expand)
      btn_expand->SetBkImage(std::string("icon_up.png"));
  }
  customizeExpanded = !customizeExpanded;
  RECT client;
  if (GetClientRect(GetHWND(), &client)) {
    SetWindowPos(GetHWND(), nullptr, 0, 0, client.right - client.left,
                 client.bottom - client.top + delta,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

void CMainWindow::ChooseInstallDir() {
  std::wstring folder = BrowseForFolder(GetHWND(), base::Text("browse_folder_title"),
                                        GetSpecialFolderPath(CSIDL_PROGRAM_FILESX86));
  if (folder.empty())
    return;
  settings.installDir = folder + L"\\" + build::kInstallFolder;
  if (edit_installdir)
    edit_installdir->SetText(settings.installDir);
}

void CMainWindow::OpenOfflinePackagePage() {
  ReportClick(kClickDownloadOffline);
  OpenUrl(OfflinePackageUrl());
}

void CMainWindow::OpenUrl(const std::wstring& url) {
  if (::OpenUrl(url))
    return;
  // Nothing was started: the user opens the page themselves.
  const Notice notice = MakeOpenUrlNotice(TrimUrl(url));
  ShowMsgBox(GetHWND(), notice.text, nullptr, notice.title, notice.button, L"", std::nullopt);
}

void CMainWindow::LaunchAndClose() {
  if (LaunchInstalledApp(settings.installDir)) {
    CloseAfterReports();
    return;
  }
  // Nothing was started: the user is told where the application is before the window goes.
  const Notice notice = MakeLaunchNotice(build::kDisplayName, settings.installDir);
  if (!ShowMsgBox(GetHWND(), notice.text, MakeWeak([this](MsgBoxRet) { CloseAfterReports(); }),
                  notice.title, notice.button, L"", std::nullopt)) {
    CloseAfterReports();
  }
}

void CMainWindow::UpdateProgress(int value) {
  auto step = progress.Update(state, value, downloadProgress.load(), GetTickCount());
  if (step.showDownloadAlert)
    SetShown(downloadAlert, true);
  if (!step.redraw)
    return;
  if (progress_install)
    progress_install->SetValue(progress.progress() / 10);
  if (progress_install_value)
    progress_install_value->SetText(FormatProgressText(progress.progress()));
}

void CMainWindow::OnDownloadDone(DownloadResult result, std::unique_ptr<PackageFolder> folder) {
  downloadErrorText = std::move(result.downloadErrorText);
  downloadErrorCode = result.downloadErrorCode;
  if (result.Succeeded()) {
    downloaded = {std::move(folder), std::move(result.package)};
    UpdateProgress(kProgressDownloaded);
    CloseRunningAppThenSetup();
    return;
  }
  std::wstring message = L"Download Faild :" + downloadErrorText;
  state = DownloadFailed;
  if (reinstallCount > 0)
    SetShown(btn_reinstall, false);
  ShowFailedPage(message, downloadErrorCode, base::Text("failure_stage_download"));
}

void CMainWindow::OnInstallDone(int exitCode) {
  installExitCode = exitCode;
  if (exitCode == 0) {
    state = Installed;
    ShowInstalledPage();
    return;
  }
  std::wstring message = L"Install Faild errorCode:" + std::to_wstring(exitCode);
  state = InstallFailed;
  if (reinstallCount > 0)
    SetShown(btn_reinstall, false);
  ShowFailedPage(message, installExitCode, base::Text("failure_stage_install"));
}

void CMainWindow::ShowInstalledPage() {
  ShowPageFor(state);
  WriteInstallRecords(settings.channel, settings.installDir);
  ReportInstallSuccess();
  SetForegroundWindow(GetHWND());
}

void CMainWindow::ShowFailedPage(const std::wstring& message, int code,
                                 const std::wstring& suffix) {
  ShowPageFor(state);
  if (download_failed_msg)
    download_failed_msg->SetText(FailureReasonText(code, suffix));
  ReportInstallFailure(message);
  SetForegroundWindow(GetHWND());
}
