// What the window's own close button (btn_exit) does in each situation, and the texts of the
// window's message boxes, from the display language's table (toolkit/base/text_table.h).
// Win32-free; UI thread in practice.
#pragma once

#include <functional>
#include <string>

#include "window/installer_state.h"

enum class CloseAction {
  LaunchApp,            // the install succeeded: start the application, which closes the window
  LeaveInstalled,       // the application is installed already: report and close
  AskAfterFailedSetup,  // the setup failed: ask "quit_install" / "download_full_package"
  ShowExitSurvey,       // nothing installed yet: ask the user why they leave
};

// The texts of the prompt of AskAfterFailedSetup; yes (kMsgBoxYes) leaves, no (kMsgBoxNo)
// opens the full-package page.
struct FailedSetupPrompt {
  std::wstring title;      // the texts of these keys: "prompt_title"
  std::wstring text;       // "quit_after_failed_setup", the display name filled in
  std::wstring yesButton;  // "quit_install"
  std::wstring noButton;   // "download_full_package"
};

FailedSetupPrompt MakeFailedSetupPrompt(const std::wstring& displayName);

// A box with one button ("ok"), for what the installer leaves to the user: it starts nothing
// with its own rights, so what the desktop's shell could not start is named instead.
struct Notice {
  std::wstring title;   // "prompt_title"
  std::wstring text;
  std::wstring button;  // "ok"
};

// A web page the browser could not be asked to open: its address, to be opened by hand.
Notice MakeOpenUrlNotice(const std::wstring& url);

// The installed application that could not be started: where it was installed.
Notice MakeLaunchNotice(const std::wstring& displayName, const std::wstring& installDir);

// isAppInstalled is asked only when the answer matters (it reads the registry).
CloseAction DecideCloseAction(InstallerState state, const std::function<bool()>& isAppInstalled);

// The "btn_exit" value reported when leaving while the application is installed
// (kExitStartInstalled or kExitFailedInstalled of report_catalogue.h).
std::wstring InstalledExitValue(InstallerState state);
