// Process entry of the installer.
#include <windows.h>

#include "app/command_line_args.h"
#include "app/dll_hardening.h"
#include "app/main_thread.h"
#include "app/startup/installer_startup.h"
#if defined(INSTALLER_TRACE)
#include "app/startup/startup_trace.h"
#include "toolkit/ui/win/paint_trace.h"
#endif

DECLARE_DELAY_IMPORTS(gdiplus);

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previousInstance, LPWSTR commandLine,
                    int showMode) {
#if defined(INSTALLER_TRACE)
  // Only the bench build reads the trace variables: in the shipped installer, which runs as
  // administrator, a variable any program of the user can set must not name a file to write.
  BeginStartupTrace();
  ui::SetPaintObserver([](HWND, const RECT& painted) { TracePaintDone(painted); });
#endif
  // Before anything can load a library: the installer's folder is not trusted.
  HardenDllSearchPath();
  // GDI+ takes float arguments, which the x86_64 delay-load stub would lose on each
  // function's first call.
  BindDelayLoadedImports(DELAY_IMPORTS_OF(gdiplus));
  CommandLineArgs::Instance().Parse(commandLine ? commandLine : L"");
  MainThread mainThread(InstallerStartupSteps());
  mainThread.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);
  return 0;
}
