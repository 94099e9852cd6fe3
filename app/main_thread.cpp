#include "app/main_thread.h"

#include <windows.h>

#include "app/dpi.h"
#include "app/single_instance.h"
#include "app/thread_ids.h"
#include "build_settings.h"
#include "toolkit/base/thread_directory.h"

namespace {

// HTTP library and the report cookies.
void InitReporting() {
  // Filled in when the report upload lands.
}

// The THEME resource opened as the current skin package.
void OpenSkin() {
  // Filled in when the skin package lands.
}

// Starts the UI toolkit on the open skin and switches the process to DPI adaptation.
// Returns the display scale in percent.
int StartToolkit(const std::wstring& themeFolder) {
  int displayScale = ComputeDisplayScale(EnableDpiAdaptation(), GetMainMonitorDpi());
  // Toolkit start ("resources\\", themeFolder, "lang\\zh_CN"): filled in when the UI toolkit lands.
  (void)themeFolder;
  return displayScale;
}

// "AppStart" with the first-start flag, the system DPI and the display scale.
void SendStartReport(int systemDpi, int displayScale) {
  // Filled in when the report catalogue lands.
  (void)systemDpi;
  (void)displayScale;
}

void CloseSkin() {
  // Filled in when the skin package lands.
}

void ShutdownToolkit() {
  // Filled in when the UI toolkit lands.
}

LRESULT CALLBACK PlaceholderWindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  if (message == WM_PAINT) {  // the title, for displays without window frames
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    wchar_t title[128] = {};
    GetWindowTextW(window, title, 128);
    RECT client;
    GetClientRect(window, &client);
    DrawTextW(dc, title, -1, &client, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// A plain titled 600x400 window that stands in for CMainWindow, so a run shows the process
// got through start-up. Replaced when the main window lands.
void CreateMainWindow() {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = PlaceholderWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = L"BrightmerePlaceholderWindow";
  RegisterClassW(&windowClass);
  std::wstring title = std::wstring(build::kDisplayName) + L" 安装程序";
  RECT work = {0, 0, 1024, 768};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = 600;
  const int height = 400;
  HWND window = CreateWindowExW(
      0, windowClass.lpszClassName, title.c_str(), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
      work.left + (work.right - work.left - width) / 2,
      work.top + (work.bottom - work.top - height) / 2, width, height, nullptr, nullptr,
      windowClass.hInstance, nullptr);
  if (!window)
    return;
  ShowWindow(window, SW_SHOWNORMAL);
  const UINT keep = SWP_NOMOVE | SWP_NOSIZE;
  SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keep);
  SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keep);
}

}  // namespace

MiscThread::MiscThread(std::wstring name, int id)
    : base::FrameworkThread(std::move(name)), id_(id) {}

MiscThread::~MiscThread() {
  Stop();
}

void MiscThread::OnThreadStart() {
  base::ThreadDirectory::Enroll(id_);
}

void MiscThread::OnThreadStop() {
  base::ThreadDirectory::Withdraw();
}

MainThread::MainThread() : base::FrameworkThread(L"MainThread") {}

MainThread::~MainThread() {
  httpWorker.reset();
  generalWorker.reset();
}

void MainThread::StartWorkers() {
  generalWorker = std::make_unique<MiscThread>(L"Global Misc Thread", kMiscThreadId);
  generalWorker->Start(base::MessageLoopType::kDefault);
  httpWorker = std::make_unique<MiscThread>(L"http Thread", kHttpThreadId);
  httpWorker->Start(base::MessageLoopType::kDefault);
}

void MainThread::OnThreadStart() {
  if (!GuardSingleInstance()) {
    PostQuitMessage(0);
    return;
  }
  base::ThreadDirectory::Enroll(kUiThreadId);
  StartWorkers();
  InitReporting();
  int systemDpi = GetSystemDpi();
  std::wstring themeFolder = ThemeFolderForDpi(systemDpi);
  OpenSkin();
  int displayScale = StartToolkit(themeFolder);
  SendStartReport(systemDpi, displayScale);
  CreateMainWindow();
}

void MainThread::OnThreadStop() {
  CloseSkin();
  ShutdownToolkit();
  // The framework records the proper quit itself; only a thread that got past the guard
  // is registered.
  if (base::ThreadDirectory::CurrentId() == kUiThreadId)
    base::ThreadDirectory::Withdraw();
}
