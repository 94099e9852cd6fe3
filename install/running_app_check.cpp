#include "install/running_app_check.h"

#include <chrono>
#include <thread>

#include "app/process_utils.h"
#include "build_settings.h"
#include "install/install_records.h"

namespace {

constexpr std::chrono::milliseconds kPauseAfterTerminate{100};

}  // namespace

RunningAppPrompt MakeRunningAppPrompt(const std::wstring& displayName) {
  return RunningAppPrompt{L"提示", L"应用程序 \"" + displayName + L"\" 正在运行，是否强制关闭？",
                          L"重试", L"强制关闭", RunningAppAnswer::kRetry};
}

void CloseRunningAppThenSetup(const RunningAppCheckHooks& hooks) {
  auto find = hooks.findProcesses ? hooks.findProcesses : FindProcessesByName;
  if (find(kAppExeName, false) == 0) {
    hooks.startInstalling();
    return;
  }

  hooks.enterAppRunningPrompt();
  const std::wstring name = hooks.displayName.empty() ? build::kDisplayName : hooks.displayName;
  hooks.ask(MakeRunningAppPrompt(name), [hooks, find](RunningAppAnswer answer) {
    if (answer == RunningAppAnswer::kRetry) {
      CloseRunningAppThenSetup(hooks);
      return;
    }
    find(kAppExeName, true);
    std::this_thread::sleep_for(kPauseAfterTerminate);
    hooks.startInstalling();
  });
}
