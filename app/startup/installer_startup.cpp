#include "app/startup/installer_startup.h"

#include <windows.h>

#include <memory>
#include <string>
#include <system_error>
#include <thread>

#include "app/command_line_args.h"
#include "app/display_language.h"
#include "app/installer_settings.h"
#include "app/process_utils.h"
#include "build_settings.h"
#include "fallback_texts.h"
#include "report/report.h"
#include "report/report_catalogue.h"
#include "toolkit/base/scoped_com.h"
#include "toolkit/base/text_table.h"
#include "toolkit/base/utf8.h"
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
// The display language's folder below the skin's resources: "lang\\zh_CN".
std::wstring languageFolder;

struct BuiltSettings {
  InstallerSettings settings;
  bool usable = false;  // false: no folder can take the package
};

// Built on a thread of their own once the single-instance guard has passed (a second
// instance must neither create folders nor read what the first one is still writing): three
// special folders through the shell, which it initialises on the first, and the package
// folder's checks take tens of milliseconds under Wine, while the UI thread starts the
// display, the toolkit and the skin. The thread writes `builtSettings`; the UI thread reads
// it after joining. Joined on the way out too, for an installer that ends before its window.
struct JoinedThread {
  ~JoinedThread() {
    if (thread.joinable())
      thread.join();
  }
  std::thread thread;
} settingsThread;
BuiltSettings builtSettings;

void BuildSettings() {
  base::ScopedCom com;  // for the shell's folder look-ups
  builtSettings.usable =
      BuildInstallerSettings(CommandLineArgs::Instance().arguments(), &builtSettings.settings);
}

void StartBuildingSettings() {
  try {
    settingsThread.thread = std::thread(BuildSettings);
  } catch (const std::system_error&) {
    // No thread to spare: the settings are built when the window needs them.
  }
}

// The toolkit's and the archive's errors are UTF-8 and may quote names from a damaged
// archive: undecodable bytes become U+FFFD rather than garbling or cutting the message.
std::wstring ReasonText(const std::string& reason) {
  std::wstring text = base::Utf8ToWideReplacing(reason);
  for (wchar_t& c : text) {
    if (c == L'\0')
      c = L'\uFFFD';
  }
  return text;
}

[[noreturn]] void FailWithoutSkin(const std::string& reason) {
  // Without the skin's table, the default language's texts built into the program.
  if (base::Texts().empty()) {
    base::TextTable fallback;
    std::string ignored;
    if (base::TextTable::Parse(build::kFallbackTexts, &fallback, &ignored))
      base::SetTexts(std::move(fallback));
  }
  std::wstring text =
      base::Text("skin_damaged", {{"name", build::kDisplayName}, {"reason", ReasonText(reason)}});
  std::wstring caption = base::Text("prompt_caption", {{"name", build::kDisplayName}});
  MessageBoxW(nullptr, text.c_str(), caption.c_str(), MB_OK | MB_ICONERROR);
  EndProcessNow(kNoSkinExitCode);
}

// The display language's string table, read once: every text after this comes from it.
void ReadTexts() {
  const std::wstring language =
      PickDisplayLanguage(UserUiLocaleName(), build::kLanguages, build::kDefaultLanguage);
  languageFolder = L"lang\\" + language;
  const std::string path = "resources/lang/" + base::WideToUtf8(language) + "/strings.ini";
  std::string bytes, error;
  base::TextTable table;
  if (!openSkin->Read(path, &bytes, &error))
    FailWithoutSkin(error);  // names the path
  if (!base::TextTable::Parse(bytes, &table, &error))
    FailWithoutSkin(path + ": " + error);
  base::SetTexts(std::move(table));
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
  ReadTexts();
}

void StartToolkit(const std::wstring& themeFolder, int displayScale) {
  ui::GlobalManager::SetDisplayScale(displayScale);
  if (!ui::GlobalManager::Startup(L"resources\\", themeFolder, languageFolder,
                                  std::make_unique<ui::ZipResourceSource>(std::move(openSkin)))) {
    FailWithoutSkin(ui::GlobalManager::GetLastError());
  }
}

void CreateMainWindow() {
  if (settingsThread.thread.joinable())
    settingsThread.thread.join();
  else
    BuildSettings();
  if (!builtSettings.usable) {
    // No folder can take the package: nothing the window could do would work.
    ShowNoPackageSpaceMessage();
    EndProcessNow(kNoPackageDirExitCode);
  }
  // Never deleted: closing it ends the process.
  auto* window = new CMainWindow(builtSettings.settings);
  if (!window->Create(nullptr, L"MainWindow", kMainWindowStyle, 0, true))
    FailWithoutSkin(window->GetLayoutError());
  window->SetWindowText(base::Text("window_title", {{"name", build::kDisplayName}}));
  window->CenterWindow();
  // Shown and activated, the window is on top already wherever the system lets a new program
  // come forward; the raise through topmost covers where it does not, and waits for the first
  // paint so that the page appears sooner.
  window->RunAfterFirstPaint([hwnd = window->GetHWND()] {
    const UINT keep = SWP_NOMOVE | SWP_NOSIZE;
    SetWindowPos(hwnd, HWND_TOPMOST, 0, 0, 0, 0, keep);
    SetWindowPos(hwnd, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
  });
  window->ShowWindow(true, true);
}

}  // namespace

StartupSteps InstallerStartupSteps() {
  StartupSteps steps;
  steps.afterGuard = StartBuildingSettings;
  steps.initReporting = [] { InitReportBaseFields(); };
  steps.openSkin = OpenSkin;
  steps.startToolkit = StartToolkit;
  // Handed to the http thread before the window is made, so it goes out even when the
  // process ends before the first paint, and before any click's report.
  steps.sendStartReport = ReportAppStart;
  steps.createMainWindow = CreateMainWindow;
  steps.closeSkin = [] { openSkin.reset(); };
  steps.shutdownToolkit = [] { ui::GlobalManager::Shutdown(); };
  return steps;
}
