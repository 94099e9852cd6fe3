#include "window/msg_box.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/thread_ids.h"
#include "tests/toolkit/skin_fixture.h"
#include "toolkit/base/framework_thread.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/base/utf8.h"
#include "toolkit/ui/ui.h"

namespace {

// The UI thread as the installer has it: a UI loop registered as kUiThreadId, which is where
// the box posts its answer.
class UiThread : public base::FrameworkThread {
 public:
  explicit UiThread(std::function<void()> start)
      : base::FrameworkThread(L"MainThread"), start_(std::move(start)) {}
  ~UiThread() override { Stop(); }

 protected:
  void OnThreadStart() override {
    base::ThreadDirectory::Enroll(kUiThreadId);
    start_();
  }
  void OnThreadStop() override { base::ThreadDirectory::Withdraw(); }

 private:
  std::function<void()> start_;
};

struct Outcome {
  bool shown = false;
  bool yesVisible = false;
  bool noVisible = false;
  std::wstring focused;
  bool ownerDisabled = false;
  bool answered = false;
  MsgBoxRet answer = kMsgBoxYes;
  bool ownerEnabledAtAnswer = false;
};

ui::WindowImplBase* FindMsgBox() {
  HWND hwnd = FindWindowW(L"MsgBox", nullptr);
  if (!hwnd)
    return nullptr;
  auto* window = reinterpret_cast<ui::Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  return dynamic_cast<ui::WindowImplBase*>(window);
}

class MsgBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ui::GlobalManager::IsStarted()) {
      std::string error;
      ASSERT_TRUE(ui::StartToolkitOnSkin(100, &error)) << error;
    }
  }

  // Shows a box owned by a plain window, reads what it shows once it is up, clicks the
  // control named `press`, and returns when the answer has arrived (or after 10 s).
  Outcome Run(const std::wstring& yesText, const std::wstring& noText, const wchar_t* press) {
    Outcome outcome;
    std::function<void()> pressWhenShown;
    std::unique_ptr<ui::TestWindow> owner;
    UiThread ui([&] {
      owner = std::make_unique<ui::TestWindow>(L"basic", L"basic.xml");
      owner->Create(nullptr, L"owner", WS_POPUP, 0);
      owner->ShowWindow();
      HWND ownerHwnd = owner->GetHWND();
      ShowMsgBox(
          ownerHwnd, L"应用程序正在运行，是否强制关闭？",
          [&outcome, ownerHwnd](MsgBoxRet ret) {
            outcome.answered = true;
            outcome.answer = ret;
            outcome.ownerEnabledAtAnswer = IsWindowEnabled(ownerHwnd) != FALSE;
            PostQuitMessage(0);
          },
          L"提示", yesText, noText, kMsgBoxNo);
      // Looks for the box every 20 ms on the UI loop (the box's modal loop keeps it running)
      // and presses once it is up.
      pressWhenShown = [&outcome, &pressWhenShown, ownerHwnd, press] {
        ui::WindowImplBase* box = FindMsgBox();
        if (!box || !box->GetFocusControl()) {
          base::PostDelayedToThread(kUiThreadId, [&pressWhenShown] { pressWhenShown(); },
                                    base::TimeDelta::FromMilliseconds(20));
          return;
        }
        outcome.shown = true;
        outcome.yesVisible = box->FindControl<ui::Button>(L"btn_yes")->IsVisible();
        outcome.noVisible = box->FindControl<ui::Button>(L"btn_no")->IsVisible();
        outcome.focused = box->GetFocusControl()->GetName();
        outcome.ownerDisabled = !IsWindowEnabled(ownerHwnd);
        box->ClickControl(box->FindControl(press));
      };
      base::PostToThread(kUiThreadId, [&pressWhenShown] { pressWhenShown(); });
      base::PostDelayedToThread(kUiThreadId, [] { PostQuitMessage(0); },
                                base::TimeDelta::FromSeconds(10));
    });
    ui.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);
    owner.reset();
    return outcome;
  }
};

// The buttons a box shows for the texts it is given, which one has the focus, and what each
// press answers. The owner is disabled while the box shows and enabled again by the answer.
TEST_F(MsgBoxTest, ButtonsFocusAndAnswerFollowTheTexts) {
  struct Case {
    const wchar_t* yesText;
    const wchar_t* noText;
    const wchar_t* press;
    bool yesVisible;
    bool noVisible;
    const wchar_t* focused;
    MsgBoxRet answer;
  };
  const Case cases[] = {
      {L"重试", L"", L"btn_yes", true, false, L"btn_yes", kMsgBoxYes},
      {L"", L"强制关闭", L"btn_no", false, true, L"btn_no", kMsgBoxNo},
      {L"退出安装", L"下载完整安装包", L"closebtn", true, true, L"btn_yes", kMsgBoxNo},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "press " << base::WideToUtf8(c.press));
    Outcome outcome = Run(c.yesText, c.noText, c.press);
    ASSERT_TRUE(outcome.shown);
    EXPECT_EQ(outcome.yesVisible, c.yesVisible);
    EXPECT_EQ(outcome.noVisible, c.noVisible);
    EXPECT_EQ(outcome.focused, c.focused);
    EXPECT_TRUE(outcome.ownerDisabled);
    ASSERT_TRUE(outcome.answered);
    EXPECT_EQ(outcome.answer, c.answer);
    EXPECT_TRUE(outcome.ownerEnabledAtAnswer);
  }
}

// A box that cannot be created (here: its owner is gone) answers what the caller named as
// the harmless choice, whichever button that is; a caller that named none gets no answer at
// all, so no choice the user never made comes back as a click.
TEST_F(MsgBoxTest, BoxThatCannotBeShownAnswersOnlyTheCallersHarmlessChoice) {
  const std::optional<MsgBoxRet> harmlessChoices[] = {kMsgBoxYes, kMsgBoxNo, std::nullopt};
  for (const std::optional<MsgBoxRet>& harmless : harmlessChoices) {
    bool created = true;
    std::optional<MsgBoxRet> answer;
    UiThread ui([&] {
      HWND gone = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                  nullptr, nullptr);
      DestroyWindow(gone);
      created = ShowMsgBox(
          gone, L"建议尽快下载完整安装包安装 \"Brightmere\" 确定退出吗？",
          [&](MsgBoxRet ret) {
            answer = ret;
            PostQuitMessage(0);
          },
          L"提示", L"退出安装", L"下载完整安装包", harmless);
      base::PostDelayedToThread(kUiThreadId, [] { PostQuitMessage(0); },
                                base::TimeDelta::FromMilliseconds(3 * kNotShownAnswerDelayMs));
    });
    ui.RunOnCurrentThreadWithLoop(base::MessageLoopType::kUi);
    EXPECT_FALSE(created);
    EXPECT_EQ(answer, harmless);
  }
}

}  // namespace
