#include "window/close_decision.h"

#include "report/report_catalogue.h"
#include "toolkit/base/text_table.h"

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
  return state == DownloadFailed ? kExitFailedInstalled : kExitStartInstalled;
}

FailedSetupPrompt MakeFailedSetupPrompt(const std::wstring& displayName) {
  return FailedSetupPrompt{base::Text("prompt_title"),
                           base::Text("quit_after_failed_setup", {{"name", displayName}}),
                           base::Text("quit_install"), base::Text("download_full_package")};
}

Notice MakeOpenUrlNotice(const std::wstring& url) {
  return Notice{base::Text("prompt_title"), base::Text("open_url_failed", {{"url", url}}),
                base::Text("ok")};
}

Notice MakeLaunchNotice(const std::wstring& displayName, const std::wstring& installDir) {
  return Notice{base::Text("prompt_title"),
                base::Text("launch_failed", {{"name", displayName}, {"folder", installDir}}),
                base::Text("ok")};
}
