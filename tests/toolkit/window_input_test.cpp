#include <gtest/gtest.h>

#include <windows.h>
#include <oleacc.h>

#include <vector>

#include "tests/toolkit/skin_fixture.h"
#include "toolkit/base/utf8.h"
#include "toolkit/ui/win/font_cache.h"

namespace ui {
namespace {

constexpr DWORD kMainStyle = 0x00CE0000;

class WindowInputTest : public ::testing::Test {
 protected:
  void Open(const wchar_t* folder, const wchar_t* file, int scale = 100) {
    std::string error;
    ASSERT_TRUE(StartToolkitOnSkin(scale, &error)) << error;
    window_ = std::make_unique<TestWindow>(folder, file);
    ASSERT_NE(nullptr, window_->Create(nullptr, L"MainWindow", kMainStyle, 0, true))
        << window_->GetLayoutError();
    window_->CenterWindow();
    window_->ShowWindow();
    UpdateWindow(hwnd());
    PumpPending();
  }
  void TearDown() override {
    window_.reset();
    PumpPending();
    GlobalManager::Shutdown();
  }
  HWND hwnd() const { return window_->GetHWND(); }
  void Key(WPARAM key) { SendMessageW(hwnd(), WM_KEYDOWN, key, 0); }
  void ShowPage(const wchar_t* page) {
    for (const wchar_t* name : {L"welcompage", L"installpage", L"ExitStartpage"})
      window_->FindControl(name)->SetVisible(wcscmp(name, page) == 0);
  }

  std::unique_ptr<TestWindow> window_;
};

TEST_F(WindowInputTest, TabVisitsVisibleButtonsInDocumentOrderAndWraps) {
  Open(L"basic", L"basic.xml");
  std::vector<std::wstring> visited;
  for (int i = 0; i < 5; ++i) {
    Key(VK_TAB);
    ASSERT_NE(nullptr, window_->GetFocusControl());
    visited.push_back(window_->GetFocusControl()->GetName());
  }
  // The agreement check box and link are hidden in this skin.
  EXPECT_EQ((std::vector<std::wstring>{L"btn_exit", L"btn_startinstall", L"btn_customize",
                                       L"btn_expand", L"btn_exit"}),
            visited);
}

TEST_F(WindowInputTest, ShiftTabGoesBackwards) {
  Open(L"basic", L"basic.xml");
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_SHIFT] = 0x80;
  SetKeyboardState(keys);
  Key(VK_TAB);
  keys[VK_SHIFT] = 0;
  SetKeyboardState(keys);
  ASSERT_NE(nullptr, window_->GetFocusControl());
  EXPECT_EQ(L"btn_expand", window_->GetFocusControl()->GetName());
}

TEST_F(WindowInputTest, EnterAndSpaceActivateTheFocusedButton) {
  Open(L"basic", L"basic.xml");
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  int clicks = 0;
  start->AttachClick([&clicks](const EventArgs&) { return ++clicks > 0; });
  start->SetFocus();
  Key(VK_RETURN);
  Key(VK_SPACE);
  EXPECT_EQ(2, clicks);
}

TEST_F(WindowInputTest, DisabledButtonLeavesTheTabOrder) {
  Open(L"basic", L"basic.xml");
  window_->FindControl<Button>(L"btn_startinstall")->SetEnabled(false);
  Key(VK_TAB);
  Key(VK_TAB);
  EXPECT_EQ(L"btn_customize", window_->GetFocusControl()->GetName());
}

TEST_F(WindowInputTest, TabIntoAnEditFocusesTheNativeEditAndTabLeavesIt) {
  Open(L"basic", L"basic.xml");
  window_->FindControl(L"customizebar")->SetVisible(true);
  RichEdit* edit = window_->FindControl<RichEdit>(L"edit_installdir");
  HWND native = window_->GetEditWindow(edit);
  ASSERT_NE(nullptr, native);
  window_->FindControl<Button>(L"btn_expand")->SetFocus();
  Key(VK_TAB);
  EXPECT_EQ(edit, window_->GetFocusControl());
  EXPECT_EQ(native, GetFocus());
  // Tab typed into the edit moves on instead of being typed.
  SendMessageW(native, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(L"btn_changeinstallpath", window_->GetFocusControl()->GetName());
  EXPECT_EQ(hwnd(), GetFocus());
  SaveScreenshot(hwnd(), L"customize_100");
}

TEST_F(WindowInputTest, TabAfterClickingIntoAnEditGoesOnFromTheEdit) {
  Open(L"basic", L"basic.xml");
  window_->FindControl(L"customizebar")->SetVisible(true);
  RichEdit* edit = window_->FindControl<RichEdit>(L"edit_installdir");
  HWND native = window_->GetEditWindow(edit);
  window_->FindControl<Button>(L"btn_startinstall")->SetFocus();
  SetFocus(native);  // as a click into the edit does
  EXPECT_EQ(edit, window_->GetFocusControl());
  SendMessageW(native, WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(L"btn_changeinstallpath", window_->GetFocusControl()->GetName());
}

TEST_F(WindowInputTest, MouseClickOnTheWindowTakesTheKeyboardFromAnEdit) {
  Open(L"basic", L"basic.xml");
  window_->FindControl(L"customizebar")->SetVisible(true);
  HWND native = window_->GetEditWindow(window_->FindControl<RichEdit>(L"edit_installdir"));
  SetFocus(native);
  SendMessageW(hwnd(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 300));
  SendMessageW(hwnd(), WM_LBUTTONUP, 0, MAKELPARAM(5, 300));
  EXPECT_EQ(hwnd(), GetFocus());
  EXPECT_EQ(nullptr, window_->GetFocusControl());
}

TEST_F(WindowInputTest, EditShowsSetTextWithoutFiringTextChange) {
  Open(L"basic", L"basic.xml");
  RichEdit* edit = window_->FindControl<RichEdit>(L"edit_installdir");
  int changes = 0;
  edit->AttachTextChange([&changes](const EventArgs&) { return ++changes > 0; });
  edit->SetText(L"C:\\Program Files (x86)\\harrowfields\\brightmere");
  wchar_t text[100] = {};
  GetWindowTextW(window_->GetEditWindow(edit), text, 100);
  EXPECT_STREQ(L"C:\\Program Files (x86)\\harrowfields\\brightmere", text);
  EXPECT_EQ(0, changes);
}

TEST_F(WindowInputTest, TypingIntoTheFeedbackEditFiresTextChangeWithTheSender) {
  Open(L"basic", L"basic.xml");
  ShowPage(L"ExitStartpage");
  RichEdit* edit = window_->FindControl<RichEdit>(L"edit_feedback");
  HWND native = window_->GetEditWindow(edit);
  ASSERT_NE(nullptr, native);
  EXPECT_TRUE(IsWindowVisible(native));
  Control* sender = nullptr;
  edit->AttachTextChange([&sender](const EventArgs& e) {
    sender = e.sender;
    return true;
  });
  SetFocus(native);
  SendMessageW(native, WM_CHAR, L'\u592a', 1);  // a Chinese character
  SendMessageW(native, WM_CHAR, L'a', 1);
  EXPECT_EQ(edit, sender);
  EXPECT_EQ(L"\u592aa", edit->GetText());
  SaveScreenshot(hwnd(), L"survey_100");
}

TEST_F(WindowInputTest, EditOfAHiddenPageIsHidden) {
  Open(L"basic", L"basic.xml");
  HWND native = window_->GetEditWindow(window_->FindControl<RichEdit>(L"edit_feedback"));
  ASSERT_NE(nullptr, native);
  EXPECT_FALSE(IsWindowVisible(native));
}

TEST_F(WindowInputTest, EscapeClicksCloseButtonWhichClosesTheWindowWhenUnhandled) {
  Open(L"msgbox", L"msgbox.xml");
  Key(VK_ESCAPE);
  ASSERT_TRUE(PumpUntil([this] { return window_->closeCount == 1; }));
  EXPECT_EQ(nullptr, window_->GetHWND());
}

TEST_F(WindowInputTest, HandledCloseButtonClickDoesNotCloseTheWindow) {
  Open(L"msgbox", L"msgbox.xml");
  Control* sender = nullptr;
  // Bound to the whole tree: clicks of every button bubble up to the root.
  window_->GetRoot()->AttachClick([&sender](const EventArgs& e) {
    sender = e.sender;
    return true;
  });
  Key(VK_ESCAPE);
  PumpPending();
  ASSERT_NE(nullptr, sender);
  EXPECT_EQ(L"closebtn", sender->GetName());
  EXPECT_EQ(0, window_->closeCount);
}

TEST_F(WindowInputTest, MessageBoxFitsItsContent) {
  Open(L"msgbox", L"msgbox.xml");
  window_->FindControl<Label>(L"title")->SetText(L"提示");
  window_->FindControl<RichEdit>(L"content")->SetText(L"确定要退出安装吗？");
  UpdateWindow(hwnd());
  Control* yes = window_->FindControl(L"btn_yes");
  Control* no = window_->FindControl(L"btn_no");
  RECT client;
  GetClientRect(hwnd(), &client);
  EXPECT_EQ(340 - 20, no->GetPos().right);
  EXPECT_EQ(no->GetPos().left - 10, yes->GetPos().right);
  EXPECT_LE(no->GetPos().bottom, client.bottom);
  SaveScreenshot(hwnd(), L"msgbox_100");
}

// Accessibility: a client finds a control by its name, at any scale, and presses it.
class AccessibilityTest : public WindowInputTest, public ::testing::WithParamInterface<int> {
 protected:
  // The child id of the element named `name`, or 0.
  long FindChild(IAccessible* acc, const wchar_t* name) {
    long count = 0;
    acc->get_accChildCount(&count);
    for (long id = 1; id <= count; ++id) {
      VARIANT child;
      child.vt = VT_I4;
      child.lVal = id;
      BSTR text = nullptr;
      if (acc->get_accName(child, &text) == S_OK && text) {
        bool match = wcscmp(text, name) == 0;
        SysFreeString(text);
        if (match) return id;
      }
    }
    return 0;
  }
};

INSTANTIATE_TEST_SUITE_P(Scales, AccessibilityTest, ::testing::Values(100, 150));

TEST_P(AccessibilityTest, ButtonHasNameRoleLocationAndPressesByDefaultAction) {
  Open(L"basic", L"basic.xml", GetParam());
  Button* start = window_->FindControl<Button>(L"btn_startinstall");
  int clicks = 0;
  start->AttachClick([&clicks](const EventArgs&) { return ++clicks > 0; });

  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(hwnd(), static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible), reinterpret_cast<void**>(&acc)));
  long id = FindChild(acc, L"立即安装");
  ASSERT_NE(0, id);
  VARIANT child;
  child.vt = VT_I4;
  child.lVal = id;
  VARIANT role;
  ASSERT_EQ(S_OK, acc->get_accRole(child, &role));
  EXPECT_EQ(ROLE_SYSTEM_PUSHBUTTON, role.lVal);
  long x, y, w, h;
  ASSERT_EQ(S_OK, acc->accLocation(&x, &y, &w, &h, child));
  POINT origin{0, 0};
  ClientToScreen(hwnd(), &origin);
  EXPECT_EQ(origin.x + start->GetPos().left, x);
  EXPECT_EQ(ScaleValue(240, GetParam()), w);
  EXPECT_EQ(ScaleValue(52, GetParam()), h);
  BSTR action = nullptr;
  ASSERT_EQ(S_OK, acc->get_accDefaultAction(child, &action));
  EXPECT_STREQ(L"Press", action);
  SysFreeString(action);
  ASSERT_EQ(S_OK, acc->accDoDefaultAction(child));
  EXPECT_TRUE(PumpUntil([&clicks] { return clicks == 1; }));
  acc->Release();
}

TEST_P(AccessibilityTest, HitTestFindsTheControlUnderAPoint) {
  Open(L"basic", L"basic.xml", GetParam());
  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(hwnd(), static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible), reinterpret_cast<void**>(&acc)));
  Control* start = window_->FindControl(L"btn_startinstall");
  POINT p{(start->GetPos().left + start->GetPos().right) / 2, start->GetPos().top + 3};
  ClientToScreen(hwnd(), &p);
  VARIANT hit;
  ASSERT_EQ(S_OK, acc->accHitTest(p.x, p.y, &hit));
  ASSERT_EQ(VT_I4, hit.vt);
  EXPECT_EQ(FindChild(acc, L"立即安装"), hit.lVal);
  acc->Release();
}

TEST_P(AccessibilityTest, HiddenAndDisabledControlsReportTheirState) {
  Open(L"basic", L"basic.xml", GetParam());
  window_->FindControl<RichEdit>(L"edit_installdir")
      ->SetText(L"C:\\Program Files (x86)\\Maker\\App");
  IAccessible* acc = nullptr;
  ASSERT_EQ(S_OK, AccessibleObjectFromWindow(hwnd(), static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible), reinterpret_cast<void**>(&acc)));
  VARIANT child, state;
  child.vt = VT_I4;
  child.lVal = FindChild(acc, L"直接退出");  // on the hidden survey page, disabled
  ASSERT_NE(0, child.lVal);
  ASSERT_EQ(S_OK, acc->get_accState(child, &state));
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_INVISIBLE);
  EXPECT_TRUE(state.lVal & STATE_SYSTEM_UNAVAILABLE);
  child.lVal = FindChild(acc, L"edit_installdir");
  ASSERT_NE(0, child.lVal);
  VARIANT role;
  acc->get_accRole(child, &role);
  EXPECT_EQ(ROLE_SYSTEM_TEXT, role.lVal);
  BSTR value = nullptr;
  ASSERT_EQ(S_OK, acc->get_accValue(child, &value));
  EXPECT_STREQ(L"C:\\Program Files (x86)\\Maker\\App", value);
  SysFreeString(value);
  acc->Release();
}

TEST_F(WindowInputTest, SystemFontShowsChinese) {
  Open(L"basic", L"basic.xml");
  // The face "system" resolves to must have simplified Chinese glyphs.
  struct Found {
    static int CALLBACK Callback(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM p) {
      *reinterpret_cast<bool*>(p) = true;
      return 0;
    }
  };
  LOGFONTW lf = {};
  lf.lfCharSet = GB2312_CHARSET;
  lstrcpynW(lf.lfFaceName, GlobalManager::GetFonts().SystemFace().c_str(), LF_FACESIZE);
  bool found = false;
  HDC dc = GetDC(nullptr);
  EnumFontFamiliesExW(dc, &lf, Found::Callback, reinterpret_cast<LPARAM>(&found), 0);
  ReleaseDC(nullptr, dc);
  EXPECT_TRUE(found) << "system face: " << base::WideToUtf8(GlobalManager::GetFonts().SystemFace());
}

}  // namespace
}  // namespace ui
