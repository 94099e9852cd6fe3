// CMainWindow: the installer's only top-level window. Its pages (welcome, install progress,
// success, failure, exit survey) live in one layout, "basic/basic.xml", and only one is
// visible at a time. Every click and every job result ends in a method of this class.
//
//   InstallerSettings settings;          // app/installer_settings.h
//   if (!BuildInstallerSettings(args, &settings)) { ... tell the user, end ... }
//   auto* window = new CMainWindow(settings);
//   window->Create(nullptr, L"MainWindow", 0x00CE0000, 0, true);
//   window->SetWindowText(title); window->CenterWindow(); window->ShowWindow();
//
// The download and setup jobs run on the general worker (kMiscThreadId) on what their task
// carries, and post one result value back, which the UI thread stores (downloadErrorText,
// downloadErrorCode, installExitCode). Every member is the UI thread's.
// Closing the window ends the process (exit code 0); the object is never destroyed.
#pragma once

#include <memory>
#include <string>

#include "app/installer_settings.h"
#include "install/download_job.h"
#include "install/package_folder.h"
#include "install/package_lock.h"
#include "toolkit/ui/win/window_impl_base.h"
#include "window/installer_state.h"
#include "window/progress_model.h"
#include "window/survey_answer.h"

namespace ui {
class Box;
class Button;
class HBox;
class Label;
class Progress;
class RichEdit;
class VBox;
}  // namespace ui

class CMainWindow : public ui::WindowImplBase {
 public:
  explicit CMainWindow(const InstallerSettings& settings);

  std::wstring WindowClassName() const override { return L"MainWindow"; }
  void OnWindowInit() override;
  // Prepares the download and the install page while the user reads the welcome page.
  void OnFirstPaint() override;
  LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam, bool& handled) override;
  std::wstring SkinFolder() override { return L"basic"; }
  std::wstring LayoutFile() override { return L"basic.xml"; }

  // Posted to the UI thread by the progress tick and the jobs.
  void UpdateProgress(int value);  // kProgressOnTick, kProgressStart or kProgressDownloaded
  void OnDownloadDone(DownloadResult result, std::unique_ptr<PackageFolder> folder);
  void OnInstallDone(int exitCode);

 private:
  // Page flow.
  bool HandleClick(const ui::EventArgs& e);
  bool OnAgreementToggled(const ui::EventArgs& e);
  void OnCloseButton();
  void StartInstall();
  void RetryInstall();
  void ShowExitSurvey();
  void ToggleCustomizeBar();
  void ChooseInstallDir();
  void OpenOfflinePackagePage();
  // Opens the page through the desktop's shell, or shows its address when that cannot.
  void OpenUrl(const std::wstring& url);
  void ShowInstalledPage();
  void ShowFailedPage(const std::wstring& message, int code, const std::wstring& suffix);
  // The page, close button and header image of a state (installer_state.h).
  void ShowPageFor(InstallerState pageState);
  // Starts the installed application through the desktop's shell, or says where it was
  // installed when that cannot; then closes.
  void LaunchAndClose();
  // Closes the window once the reports handed off so far have gone out (a few seconds at
  // most): those are the reports that say why a user left.
  void CloseAfterReports();
  // Closes once the reports are sent or at deadline (GetTickCount64); polled on the UI loop.
  void CloseWhenReportsSent(unsigned long long deadline);

  // Exit survey.
  bool UpdateSurveyQuitButton(const ui::EventArgs& e);
  void SubmitSurveyAndQuit();
  SurveyReasons TickedReasons() const;
  std::wstring FeedbackText() const;

  // A click or change handler bound weakly to this window; it always reports "handled".
  template <typename Method>
  ui::EventHandler MakeWeakHandler(Method method) {
    auto weak = MakeWeak([this, method](const ui::EventArgs& e) { (this->*method)(e); });
    return [weak](const ui::EventArgs& e) {
      weak(e);
      return true;
    };
  }

  // The private folder and the checked package, from the download job to the setup job. Both
  // are made and let go on the general worker (removing the folder frees 200 MiB); the UI
  // thread only carries them from one job to the other.
  struct DownloadedPackage {
    std::unique_ptr<PackageFolder> folder;
    std::unique_ptr<PackageLock> lock;
  };

  // The jobs and their glue.
  void StartDownload();
  void RunDownload(const std::wstring& downloadUrl, const std::wstring& packageDir);  // worker
  void CloseRunningAppThenSetup();
  void StartSetup();
  void RunSetup(DownloadedPackage package, const std::wstring& installDir);  // worker

  // Controls, owned by the toolkit.
  ui::Button* btn_startinstall = nullptr;
  ui::Button* btn_expand = nullptr;
  ui::Button* btn_reinstall = nullptr;
  ui::VBox* welcompage = nullptr;
  ui::VBox* installpage = nullptr;
  ui::VBox* installedpage = nullptr;
  ui::VBox* installfaildpage = nullptr;
  ui::VBox* ExitStartpage = nullptr;
  ui::HBox* downloadAlert = nullptr;
  ui::Box* customizebar = nullptr;
  ui::Progress* progress_install = nullptr;
  ui::Label* progress_install_value = nullptr;
  ui::Label* download_failed_msg = nullptr;
  ui::RichEdit* edit_installdir = nullptr;
  ui::Button* btn_exit = nullptr;

  bool customizeExpanded = false;

  // Only installDir changes after construction (the folder the user picks).
  InstallerSettings settings;

  ProgressModel progress;
  InstallerState state = Welcome;
  // From the jobs' results.
  std::wstring downloadErrorText;
  int downloadErrorCode = 0;
  int installExitCode = 0;
  int reinstallCount = 0;
  DownloadedPackage downloaded;
};
