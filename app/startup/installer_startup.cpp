#include "app/startup/installer_startup.h"

#include <windows.h>

#include <memory>
#include <string>

#include "app/command_line_args.h"
#include "app/installer_settings.h"
#include "app/process_utils.h"
#include "build_settings.h"
#include "report/report.h"
#include "report/report_catalogue.h"
#include "toolkit/archive/zip_archive.h"
#include "toolkit/ui/win/global_manager.h"
#include "toolkit/ui/win/zip_resource_source.h"
#include "window/main_window.h"

namespace {

constexpr int kThemeResourceId = 136;
constexpr DWORD kMainWindowStyle = WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX;

// The skin package opened in place from the executable's resource memory, which stays mapped
// for the life of the process. Handed to the toolkit when it starts.
std::unique_ptr<ui::ZipArchive> openSkin;

// The toolkit's and the archive's errors are UTF-8 and may quote names from a damaged
// archive: undecodable bytes become U+FFFD rather than garbling or cutting the message.
std::wstring ReasonText(const std::string& reason) {
  const int length = static_cast<int>(reason.size());
  const int chars = MultiByteToWideChar(CP_UTF8, 0, reason.data(), length, nullptr, 0);
  std::wstring text(static_cast<size_t>(chars > 0 ? chars : 0), L'\0');
  if (chars > 0)
    MultiByteToWideChar(CP_UTF8, 0, reason.data(), length, &text[0], chars);
  for (wchar_t& c : text) {
    if (c == L'\0')
      c = L'\uFFFD';
  }
  return text;
}

[[noreturn]] void FailWithoutSkin(const std::string& reason) {
  std::wstring text = std::wstring(build::kDisplayName) +
                      L" 安装程序已损坏，无法显示安装界面。请重新下载安装程序。\n\n(" +
                      ReasonText(reason) + L")";
  std::wstring caption = std::wstring(build::kDisplayName) + L"安装提示";
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  EndProcessNow(kNoSkinExitCode);
}

void OpenSkin() {
  openSkin.reset();
  HRSRC resource = FindResourceW(nullptr, MAKEINTRESOURCEW(kThemeResourceId), L"THEME");
  HGLOBAL loaded = resource ? LoadResource(nullptr, resource) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  DWORD size = resource ? SizeofResource(nullptr, resource) : 0;
  if (!data || size == 0)
    FailWithoutSkin("THEME resource missing");
  std::string error;
  openSkin = ui::ZipArchive::Open(data, size, &error);
  if (!openSkin)
    FailWithoutSkin("THEME resource unreadable: " + error);
}

void StartToolkit(const std::wstring& themeFolder, int displayScale) {
  ui::GlobalManager::SetDisplayScale(displayScale);
  if (!ui::GlobalManager::Startup(L"resources\\", themeFolder, L"lang\\zh_CN",
                                  std::make_unique<ui::ZipResourceSource>(std::move(openSkin)))) {
    FailWithoutSkin(ui::GlobalManager::GetLastError());
  }
}

void CreateMainWindow() {
  InstallerSettings settings;
  if (!BuildInstallerSettings(CommandLineArgs::Instance().arguments(), &settings)) {
    // No folder can take the package: nothing the window could do would work.
    ShowNoPackageSpaceMessage();
    EndProcessNow(kNoPackageDirExitCode);
  }
  // Never deleted: closing it ends the process.
  auto* window = new CMainWindow(settings);
  if (!window->Create(nullptr, L"MainWindow", kMainWindowStyle, 0, true))
    FailWithoutSkin(window->GetLayoutError());
  window->SetWindowText(std::wstring(build::kDisplayName) + L" 安装程序");
  window->CenterWindow();
  window->ShowWindow(true, true);
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE;
  SetWindowPos(window->GetHWND(), HWND_TOPMOST, 0, 0, 0, 0, keep);
  SetWindowPos(window->GetHWND(), HWND_NOTOPMOST, 0, 0, 0, 0, keep);
}

}  // namespace

StartupSteps InstallerStartupSteps() {
  StartupSteps steps;
  steps.initReporting = [] { InitReportBaseFields(); };
  steps.openSkin = OpenSkin;
  steps.startToolkit = StartToolkit;
  steps.sendStartReport = [](int systemDpi, int displayScale) {
    ReportAppStart(systemDpi, displayScale);
  };
  steps.createMainWindow = CreateMainWindow;
  steps.closeSkin = [] { openSkin.reset(); };
  steps.shutdownToolkit = [] { ui::GlobalManager::Shutdown(); };
  return steps;
}
