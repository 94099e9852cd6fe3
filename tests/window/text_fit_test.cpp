// Every text the installer shows fits its control at 100, 125 and 150 %: each page of the
// main window and both message boxes, with the texts the installer puts into them. A text
// wider than the room its control (and every box around it) gives it shows cut.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/installer_settings.h"
#include "build_settings.h"
#include "install/running_app_check.h"
#include "tests/toolkit/skin_fixture.h"
#include "toolkit/base/text_table.h"
#include "toolkit/base/utf8.h"
#include "toolkit/ui/ui.h"
#include "toolkit/ui/win/font_cache.h"
#include "window/close_decision.h"
#include "window/main_window.h"
#include "window/msg_box.h"
#include "window/progress_model.h"
#include "window/shell_actions.h"

namespace {

// The codes the failure page gives a reason for: a file that is no package, a stall, the
// engine's usual failures, an unsigned package, a setup that cannot find its files.
constexpr int kFailureCodes[] = {ERROR_INVALID_DATA, static_cast<int>(E_ABORT),
                                 static_cast<int>(0x800C0005), static_cast<int>(0x800C0008),
                                 static_cast<int>(0x800B0100), ERROR_FILE_NOT_FOUND};

// "name "text" needs N px, has M" for every shown label or button under `control` whose text
// is wider than the room it has: its rectangle less its padding (a check box's text padding),
// cut by every box around it.
void CollectCutTexts(const ui::Control& control, const ui::Rect& clip, int scale,
                     std::vector<std::string>* cut) {
  if (!control.IsVisible())
    return;
  const ui::Rect rect = control.GetPos().Intersect(clip);
  if (auto* label = dynamic_cast<const ui::Label*>(&control)) {
    const std::wstring text = label->GetText();
    ui::Rect room = control.GetPos();
    auto* check = dynamic_cast<const ui::CheckBox*>(label);
    room.Deflate(ui::ScaleInsets(check ? check->GetTextPadding() : control.GetPadding(), scale));
    room = room.Intersect(clip);
    const int needed =
        ui::GlobalManager::GetFonts().MeasureText(text, label->GetFont(), scale).width;
    if (!text.empty() && needed > room.Width()) {
      cut->push_back(base::WideToUtf8(control.GetName() + L" \"" + text + L"\" needs ") +
                     std::to_string(needed) + " px, has " + std::to_string(room.Width()));
    }
  }
  if (auto* box = dynamic_cast<const ui::Box*>(&control)) {
    for (int i = 0; i < box->GetCount(); ++i)
      CollectCutTexts(*box->GetAt(i), rect, scale, cut);
  }
}

std::vector<std::string> CutTexts(ui::WindowImplBase* window) {
  std::vector<std::string> cut;
  window->Relayout();
  CollectCutTexts(*window->GetRoot(), window->GetRoot()->GetPos(), window->GetDisplayScale(),
                  &cut);
  return cut;
}

void Show(ui::WindowImplBase* window, const wchar_t* name, bool shown) {
  ui::Control* control = window->FindControl(name);
  ASSERT_NE(control, nullptr) << base::WideToUtf8(name);
  control->SetVisible(shown);
}

class TextFitTest : public testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    std::string error;
    ASSERT_TRUE(ui::StartToolkitOnSkin(GetParam(), &error)) << error;
  }
  void TearDown() override {
    ui::PumpPending();
    ui::GlobalManager::Shutdown();
  }
};

TEST_P(TextFitTest, EveryPageOfTheMainWindow) {
  InstallerSettings settings;
  settings.installDir = L"C:\\Program Files (x86)\\harrowfields\\brightmere";
  auto window = std::make_unique<CMainWindow>(settings);
  ASSERT_TRUE(window->Create(nullptr, L"MainWindow", WS_POPUP, 0, true));
  ui::PumpPending();

  const wchar_t* const pages[] = {L"welcompage", L"installpage", L"ExitStartpage",
                                  L"installedpage", L"installfaildpage"};
  // What only shows later on these pages.
  Show(window.get(), L"customizebar", true);
  Show(window.get(), L"downloadAlert", true);
  std::vector<std::wstring> progressTexts = {FormatProgressText(900), FormatProgressText(999)};
  std::vector<std::wstring> reasons;
  for (int code : kFailureCodes) {
    reasons.push_back(FailureReasonText(code, base::Text("failure_stage_download")));
    reasons.push_back(FailureReasonText(code, base::Text("failure_stage_install")));
  }
  auto* progressLabel = window->FindControl<ui::Label>(L"progress_install_value");
  auto* reasonLabel = window->FindControl<ui::Label>(L"download_failed_msg");
  ASSERT_TRUE(progressLabel && reasonLabel);

  for (const wchar_t* page : pages) {
    for (const wchar_t* other : pages)
      Show(window.get(), other, other == page);
    const std::vector<std::wstring>& variants =
        page == pages[1] ? progressTexts : page == pages[4] ? reasons : std::vector<std::wstring>{L""};
    for (const std::wstring& text : variants) {
      if (page == pages[1])
        progressLabel->SetText(text);
      if (page == pages[4])
        reasonLabel->SetText(text);
      std::vector<std::string> cut = CutTexts(window.get());
      EXPECT_TRUE(cut.empty()) << base::WideToUtf8(page) << ": " << testing::PrintToString(cut);
    }
  }
}

// The two prompts, and the notices shown where the desktop's shell cannot start a page or the
// application (the full-package page's address, and a long chosen install folder).
TEST_P(TextFitTest, EveryMessageBox) {
  ui::TestWindow owner(L"basic", L"basic.xml");
  ASSERT_TRUE(owner.Create(nullptr, L"owner", WS_POPUP, 0));
  const RunningAppPrompt running = MakeRunningAppPrompt(build::kDisplayName);
  const FailedSetupPrompt failed = MakeFailedSetupPrompt(build::kDisplayName);
  const Notice page =
      MakeOpenUrlNotice(std::wstring(L"http://") + build::kOfflineHost + L"/offline/photo.html");
  const Notice app = MakeLaunchNotice(
      build::kDisplayName,
      L"D:\\Program Files (x86)\\Photo Tools and Converters\\harrowfields\\brightmere");
  const std::vector<std::vector<std::wstring>> boxes = {
      {running.title, running.text, running.yesButton, running.noButton},
      {failed.title, failed.text, failed.yesButton, failed.noButton},
      {page.title, page.text, page.button, L""},
      {app.title, app.text, app.button, L""}};
  for (const auto& box : boxes) {
    ASSERT_TRUE(ShowMsgBox(owner.GetHWND(), box[1], nullptr, box[0], box[2], box[3], kMsgBoxNo));
    HWND hwnd = FindWindowW(L"MsgBox", nullptr);
    ASSERT_NE(hwnd, nullptr);
    ui::PumpPending();
    auto* window = dynamic_cast<ui::WindowImplBase*>(
        reinterpret_cast<ui::Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA)));
    ASSERT_NE(window, nullptr);
    std::vector<std::string> cut = CutTexts(window);
    EXPECT_TRUE(cut.empty()) << base::WideToUtf8(box[1]) << ": " << testing::PrintToString(cut);
    // Every line the edit wraps the text into is inside its rectangle, and the buttons are
    // inside the box: a long address or folder makes the box taller instead.
    auto* content = window->FindControl<ui::RichEdit>(L"content");
    ASSERT_NE(content, nullptr);
    HWND edit = FindWindowExW(hwnd, nullptr, nullptr, nullptr);
    ASSERT_NE(edit, nullptr);
    const int lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    const int lineHeight =
        ui::GlobalManager::GetFonts().MeasureText(L"", content->GetFont(), GetParam()).height;
    EXPECT_LE(lines * lineHeight, content->GetPos().Height()) << base::WideToUtf8(box[1]);
    RECT client = {};
    GetClientRect(hwnd, &client);
    EXPECT_LE(window->FindControl(L"btn_yes")->GetPos().bottom, client.bottom)
        << base::WideToUtf8(box[1]);
    DestroyWindow(hwnd);
    ui::PumpPending();
  }
}

INSTANTIATE_TEST_SUITE_P(Scales, TextFitTest, testing::Values(100, 125, 150),
                         [](const testing::TestParamInfo<int>& info) {
                           return std::to_string(info.param);
                         });

}  // namespace
