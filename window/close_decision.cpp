#include "window/close_decision.h"

#include "report/report_catalogue.h"

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
  return FailedSetupPrompt{L"提示", L"建议尽快下载完整安装包安装 \"" + displayName + L"\" 确定退出吗？",
                           L"退出安装", L"下载完整安装包"};
}

Notice MakeOpenUrlNotice(const std::wstring& url) {
  return Notice{L"提示", L"无法自动打开网页，请在浏览器中打开以下地址：" + url, L"确定"};
}

Notice MakeLaunchNotice(const std::wstring& displayName, const std::wstring& installDir) {
  return Notice{L"提示", L"无法自动启动 \"" + displayName + L"\"，它已安装在：" + installDir,
                L"确定"};
}
