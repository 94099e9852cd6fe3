#include "window/close_decision.h"

CloseAction DecideCloseAction(InstallerState state, const std::function<bool()>& isAppInstalled) {
  if (state == Installed)
    return CloseAction::LaunchApp;
  if (isAppInstalled())
    return CloseAction::LeaveInstalled;
  if (state == InstallFailed)
    return CloseAction::AskAfterFailedSetup;
  return CloseAction::ShowExitSurvey;
}

std::wstring InstalledExitValue(InstallerState state) {
  return state == DownloadFailed ? L"Failed 已安装" : L"Start 已安装";
}
