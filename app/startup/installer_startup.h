// The installer's own start-up steps on top of the thread library: reporting, the skin
// package from the executable's resources, the UI toolkit, the start report and the main
// window. Compiled into the installer executable only.
//
//   MainThread mainThread(InstallerStartupSteps());
//
// Threading: the steps run on the main thread, in the order MainThread calls them.
// Once the single-instance guard has passed, the installer settings are built on a thread of
// their own; the main window's step waits for them.
#pragma once

#include "app/main_thread.h"

StartupSteps InstallerStartupSteps();

// Exit code when the skin package is missing or unreadable: nothing can be shown.
constexpr int kNoSkinExitCode = 3;
