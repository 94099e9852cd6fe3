#include "install/running_app_check.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "app/process_utils.h"
#include "build_settings.h"
#include "tests/install/install_test_support.h"
#include "tests/support/child_process.h"

namespace {

constexpr DWORD kWaitMs = 20000;

class RunningAppCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(install_test::DemoAppPath().empty()) << "BRIGHTMERE_DEMO_APP is not set";
    ASSERT_EQ(FindProcessesByName(L"brightmere.exe", true), 0);
    hooks_.enterAppRunningPrompt = [this] { events_.push_back("prompt-state"); };
    hooks_.ask = [this](const RunningAppPrompt& prompt, RunningAppAnswerCallback answer) {
      events_.push_back("ask");
      prompts_.push_back(prompt);
      pendingAnswer_ = std::move(answer);
    };
    hooks_.startInstalling = [this] {
      events_.push_back("install");
      runningWhenSetupStarted_ = FindProcessesByName(L"brightmere.exe", false);
    };
  }

  // The user answers the prompt that is showing (as the message box would, later).
  void Answer(RunningAppAnswer answer) {
    ASSERT_TRUE(pendingAnswer_);
    auto callback = std::move(pendingAnswer_);
    pendingAnswer_ = nullptr;
    callback(answer);
  }

  RunningAppCheckHooks hooks_;
  std::vector<std::string> events_;
  std::vector<RunningAppPrompt> prompts_;
  RunningAppAnswerCallback pendingAnswer_;
  int runningWhenSetupStarted_ = -1;
};

TEST_F(RunningAppCheckTest, NothingRunningStartsTheSetupAtOnce) {
  CloseRunningAppThenSetup(hooks_);

  EXPECT_EQ(events_, (std::vector<std::string>{"install"}));
}

TEST_F(RunningAppCheckTest, RunningAppIsPromptedWithTheProductName) {
  ChildProcess app;
  ASSERT_TRUE(install_test::StartDemoApp(&app));
  CloseRunningAppThenSetup(hooks_);

  EXPECT_EQ(events_, (std::vector<std::string>{"prompt-state", "ask"}));
  ASSERT_EQ(prompts_.size(), 1u);
  EXPECT_EQ(prompts_[0].title, L"提示");
  EXPECT_EQ(prompts_[0].text,
            std::wstring(L"应用程序 \"") + build::kDisplayName + L"\" 正在运行，是否强制关闭？");
  EXPECT_EQ(prompts_[0].yesButton, L"重试");
  EXPECT_EQ(prompts_[0].noButton, L"强制关闭");
}

TEST_F(RunningAppCheckTest, RetryWhileStillRunningPromptsAgain) {
  ChildProcess app;
  ASSERT_TRUE(install_test::StartDemoApp(&app));
  CloseRunningAppThenSetup(hooks_);
  Answer(RunningAppAnswer::kRetry);

  EXPECT_EQ(events_, (std::vector<std::string>{"prompt-state", "ask", "prompt-state", "ask"}));
  DWORD code;
  EXPECT_FALSE(app.WaitForExit(0, &code));
}

TEST_F(RunningAppCheckTest, PromptThatCannotBeShownEndsNothing) {
  ChildProcess app;
  ASSERT_TRUE(install_test::StartDemoApp(&app));
  CloseRunningAppThenSetup(hooks_);
  ASSERT_EQ(prompts_.size(), 1u);
  Answer(prompts_[0].notShownAnswer);  // what the message box answers when it cannot show

  EXPECT_EQ(events_, (std::vector<std::string>{"prompt-state", "ask", "prompt-state", "ask"}));
  DWORD code;
  EXPECT_FALSE(app.WaitForExit(0, &code)) << "the application was ended without asking";
}

TEST_F(RunningAppCheckTest, RetryAfterTheUserClosedTheAppStartsTheSetup) {
  {
    ChildProcess app;
    ASSERT_TRUE(install_test::StartDemoApp(&app));
    CloseRunningAppThenSetup(hooks_);
  }  // the user closes it
  Answer(RunningAppAnswer::kRetry);

  EXPECT_EQ(events_, (std::vector<std::string>{"prompt-state", "ask", "install"}));
}

TEST_F(RunningAppCheckTest, ForceCloseEndsBothInstancesThenStartsTheSetup) {
  ChildProcess first;
  ChildProcess second;
  ASSERT_TRUE(install_test::StartDemoApp(&first));
  ASSERT_TRUE(install_test::StartDemoApp(&second));
  ASSERT_EQ(FindProcessesByName(L"brightmere.exe", false), 2);
  CloseRunningAppThenSetup(hooks_);
  Answer(RunningAppAnswer::kRetry);           // "重试" while both still run
  Answer(RunningAppAnswer::kEndApplication);  // "强制关闭"

  EXPECT_EQ(events_, (std::vector<std::string>{"prompt-state", "ask", "prompt-state", "ask",
                                               "install"}));
  DWORD firstCode = 99, secondCode = 99;
  ASSERT_TRUE(first.WaitForExit(kWaitMs, &firstCode));
  ASSERT_TRUE(second.WaitForExit(kWaitMs, &secondCode));
  EXPECT_EQ(firstCode, 0u);
  EXPECT_EQ(secondCode, 0u);
  EXPECT_EQ(runningWhenSetupStarted_, 0) << "the setup started before the instances were gone";
}

TEST_F(RunningAppCheckTest, ClosingThePromptActsAsForceClose) {
  ChildProcess app;
  ASSERT_TRUE(install_test::StartDemoApp(&app));
  CloseRunningAppThenSetup(hooks_);
  Answer(RunningAppAnswer::kEndApplication);  // what the box's close button answers

  DWORD code = 99;
  ASSERT_TRUE(app.WaitForExit(kWaitMs, &code));
  EXPECT_EQ(code, 0u);
  EXPECT_EQ(events_.back(), "install");
}

}  // namespace
