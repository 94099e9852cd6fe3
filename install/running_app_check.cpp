#include "install/running_app_check.h"

#include <chrono>
#include <thread>

#include "app/process_utils.h"
#include "build_settings.h"
#include "install/install_records.h"
#include "toolkit/base/text_table.h"

namespace {

constexpr std::chrono::milliseconds kPauseAfterTerminate{100};

}  // namespace

RunningAppPrompt MakeRunningAppPrompt(const std::wstring& displayName) {
  return RunningAppPrompt{base::Text("prompt_title"),
                          base::Text("app_running", {{"name", displayName}}),
                          base::Text("retry"), base::Text("force_close"),
                          RunningAppAnswer::kRetry};
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
