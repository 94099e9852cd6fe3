// What the window's own close button (btn_exit) does in each situation.
// Win32-free; UI thread in practice.
#pragma once

#include <functional>
#include <string>

#include "window/installer_state.h"

enum class CloseAction {
  LaunchApp,            // the install succeeded: start the application, which closes the window
  LeaveInstalled,       // the application is installed already: report and close
  AskAfterFailedSetup,  // the setup failed: ask "退出安装" / "下载完整安装包"
  ShowExitSurvey,       // nothing installed yet: ask the user why they leave
};

// The texts of the prompt of AskAfterFailedSetup; yes (kMsgBoxYes) leaves, no (kMsgBoxNo)
// opens the full-package page.
struct FailedSetupPrompt {
  std::wstring title;      // "提示"
  std::wstring text;       // "建议尽快下载完整安装包安装 "<display name>" 确定退出吗？"
  std::wstring yesButton;  // "退出安装"
  std::wstring noButton;   // "下载完整安装包"
};

FailedSetupPrompt MakeFailedSetupPrompt(const std::wstring& displayName);

// isAppInstalled is asked only when the answer matters (it reads the registry).
CloseAction DecideCloseAction(InstallerState state, const std::function<bool()>& isAppInstalled);

// The "btn_exit" value reported when leaving while the application is installed
// (kExitStartInstalled or kExitFailedInstalled of report_catalogue.h).
std::wstring InstalledExitValue(InstallerState state);
