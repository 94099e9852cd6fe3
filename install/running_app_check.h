// Before the setup replaces the application, make sure it is not running: if it is, ask the
// user (the texts "prompt_title", "app_running", buttons "retry" and "force_close"); "retry"
// looks again, "force_close" or closing the box ends every instance, waits 100 ms and goes on
// with the setup.
//
// The window supplies what belongs to it (window/install_flow.cpp):
//
//   RunningAppCheckHooks hooks;
//   hooks.enterAppRunningPrompt = MakeWeak([this] { state = AppRunningPrompt; });
//   hooks.ask = [this](const RunningAppPrompt& p, RunningAppAnswerCallback answer) {
//     ShowMsgBox(GetHWND(), p.text, MakeWeak([answer](MsgBoxRet ret) {
//                  answer(ret == kMsgBoxYes ? RunningAppAnswer::kRetry
//                                           : RunningAppAnswer::kEndApplication);
//                }), p.title, p.yesButton, p.noButton, /*notShownAnswer=*/kMsgBoxYes);
//   };
//   hooks.startInstalling = MakeWeak([this] { state = Installing; StartSetup(); });
//   ::CloseRunningAppThenSetup(hooks);
//
// Threading: UI thread only (the 100 ms pause blocks it, on purpose: the setup must not start
// before the ended instances are gone).
#pragma once

#include <functional>
#include <string>

// What the user chose in the prompt.
enum class RunningAppAnswer {
  kRetry,           // "retry": look again
  kEndApplication,  // "force_close", or the box was closed
};
using RunningAppAnswerCallback = std::function<void(RunningAppAnswer)>;

struct RunningAppPrompt {
  std::wstring title;      // the texts of these keys: "prompt_title"
  std::wstring text;       // "app_running", the display name filled in
  std::wstring yesButton;  // "retry"  (RunningAppAnswer::kRetry)
  std::wstring noButton;   // "force_close" (kEndApplication, as is the box's close button)
  // The answer when the prompt cannot be shown: retry, which ends nothing. Nobody agreed to
  // end the user's application, and with the application still running the install waits.
  RunningAppAnswer notShownAnswer = RunningAppAnswer::kRetry;
};

RunningAppPrompt MakeRunningAppPrompt(const std::wstring& displayName);

struct RunningAppCheckHooks {
  // The application was found running; the prompt is about to be shown.
  std::function<void()> enterAppRunningPrompt;
  // Shows the prompt; the answer arrives later, on the UI thread, through `answer`.
  std::function<void(const RunningAppPrompt& prompt, RunningAppAnswerCallback answer)> ask;
  // No instance left (or the user chose to end them): state Installing, then StartSetup.
  std::function<void()> startInstalling;
  // The process search; FindProcessesByName unless a test replaces it.
  std::function<int(const std::wstring& exeName, bool terminate)> findProcesses;
  std::wstring displayName;  // empty: the product's display name
};

void CloseRunningAppThenSetup(const RunningAppCheckHooks& hooks);
