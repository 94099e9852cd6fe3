#include "window/main_window.h"

#include "app/installer_settings.h"
#include "app/package_dir.h"
#include "app/process_utils.h"
#include "app/thread_ids.h"
#include "build_settings.h"
#include "install/download_engine.h"
#include "install/download_job.h"
#include "install/left_package_folders.h"
#include "install/previous_download.h"
#include "report/report.h"
#include "toolkit/base/text_table.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/label.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"

namespace {

// How long the way out waits for the reports it has just handed off.
constexpr base::TimeDelta kExitReportWait = base::TimeDelta::FromSeconds(3);
constexpr base::TimeDelta kExitReportPoll = base::TimeDelta::FromMilliseconds(20);

}  // namespace

CMainWindow::CMainWindow(const InstallerSettings& settings) : settings(settings) {}

void CMainWindow::OnWindowInit() {
  auto bindClick = [this](ui::Control* control) {
    if (control)
      control->AttachClick(MakeWeakHandler(&CMainWindow::HandleClick));
  };

  if (auto* header = FindControl<ui::Box>(L"bkimage1"))
    header->SetVisible(false);
  if (auto* header = FindControl<ui::Box>(L"bkimage2"))
    header->SetVisible(true);

  welcompage = FindControl<ui::VBox>(L"welcompage");
  ExitStartpage = FindControl<ui::VBox>(L"ExitStartpage");
  installpage = FindControl<ui::VBox>(L"installpage");
  installedpage = FindControl<ui::VBox>(L"installedpage");
  installfaildpage = FindControl<ui::VBox>(L"installfaildpage");
  customizebar = FindControl<ui::Box>(L"customizebar");
  progress_install = FindControl<ui::Progress>(L"progress_install");
  progress_install_value = FindControl<ui::Label>(L"progress_install_value");
  download_failed_msg = FindControl<ui::Label>(L"download_failed_msg");
  downloadAlert = FindControl<ui::HBox>(L"downloadAlert");

  for (const wchar_t* name :
       {L"btn_useragreement", L"btn_customize", L"btn_changeinstallpath", L"btn_startapp",
        L"btn_reinstall", L"btn_redownload", L"btn_downloadOfflinePackage",
        L"btn_continueInstall", L"btn_quitStart"}) {
    bindClick(FindControl<ui::Button>(name));
  }

  for (int i = 1; i <= 5; ++i) {
    if (auto* box = FindControl<ui::CheckBox>(L"checkbox_" + std::to_wstring(i)))
      box->AttachSelect(MakeWeakHandler(&CMainWindow::UpdateSurveyQuitButton));
  }
  for (int i = 1; i <= 5; ++i) {
    if (auto* box = FindControl<ui::CheckBox>(L"checkbox_" + std::to_wstring(i)))
      box->AttachUnSelect(MakeWeakHandler(&CMainWindow::UpdateSurveyQuitButton));
  }
  if (auto* feedback = FindControl<ui::RichEdit>(L"edit_feedback"))
    feedback->AttachTextChange(MakeWeakHandler(&CMainWindow::UpdateSurveyQuitButton));

  btn_expand = FindControl<ui::Button>(L"btn_expand");
  btn_exit = FindControl<ui::Button>(L"btn_exit");
  btn_startinstall = FindControl<ui::Button>(L"btn_startinstall");
  bindClick(btn_expand);
  bindClick(btn_exit);
  bindClick(btn_startinstall);
  btn_reinstall = FindControl<ui::Button>(L"btn_reinstall");

  edit_installdir = FindControl<ui::RichEdit>(L"edit_installdir");
  if (edit_installdir)
    edit_installdir->SetText(settings.installDir);

  if (auto* agreement = FindControl<ui::CheckBox>(L"checkbox_agreement")) {
    agreement->AttachUnSelect(MakeWeakHandler(&CMainWindow::OnAgreementToggled));
    agreement->AttachSelect(MakeWeakHandler(&CMainWindow::OnAgreementToggled));
  }

  if (auto* label = FindControl<ui::Label>(L"appnameLable_install"))
    label->SetText(build::kDisplayName);
  if (auto* label = FindControl<ui::Label>(L"appnameLable_welcom"))
    label->SetText(build::kDisplayName);
  if (auto* label = FindControl<ui::Label>(L"askuserStayMsg"))
    label->SetText(base::Text("plea"));

  // Esc does what the close button does.
  SetEscapeButton(L"btn_exit");
}

void CMainWindow::OnFirstPaint() {
  // What the install click would otherwise start with, done while the user reads the page:
  // decoding the install page's images (for its first paint), loading the download engine's
  // libraries and removing the engine's cached copies of the package an earlier install left,
  // whose freeing would otherwise stall every window at the start of the download, and the
  // private package folders earlier runs left behind. One after the other, so they do not
  // compete; the worker runs them before any download posted later, which still deletes
  // before it fetches.
  base::PostToThread(kUiThreadId, MakeWeak([this] {
                       DecodeImagesOf(installpage);
                       base::PostToThread(kMiscThreadId, [url = settings.downloadUrl] {
                         PreloadDownloadEngine();
                         RemovePreviousDownload({url, FallbackPackageUrl()});
                         RemoveLeftPackageFolders(DefaultPackageDirCandidates());
                       });
                     }));
}

LRESULT CMainWindow::OnCloseMessage(WPARAM, LPARAM, bool& handled) {
  // Every way out ends here: the process ends at once, without an orderly shutdown.
  handled = true;
  EndProcessNow(0);
}

void CMainWindow::CloseAfterReports() {
  // Hidden first, so the user sees the installer gone while the last reports leave.
  ::ShowWindow(GetHWND(), SW_HIDE);
  CloseWhenReportsSent(GetTickCount64() + kExitReportWait.InMilliseconds());
}

void CMainWindow::CloseWhenReportsSent(unsigned long long deadline) {
  // Polled rather than waited for: a UI thread blocked for seconds on an unreachable report
  // server would leave every program that sends the window a message waiting too.
  if (FlushReports(base::TimeDelta()) || GetTickCount64() >= deadline) {
    Close(1);
    return;
  }
  base::PostDelayedToThread(kUiThreadId, MakeWeak([this, deadline] {
                              CloseWhenReportsSent(deadline);
                            }),
                            kExitReportPoll);
}
