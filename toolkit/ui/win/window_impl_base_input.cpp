// The mouse and keyboard side of WindowImplBase: hit testing, hot and pushed buttons with
// the hot fade, clicks, the caption drag area, Tab focus and the Enter, Space and Esc keys.
#include "toolkit/ui/win/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>

#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/rich_edit.h"

namespace ui {
namespace {

constexpr UINT kHotFadeIntervalMs = 16;
constexpr int kHotFadeStep = 255 / 8;  // about 130 ms from normal to hot

}  // namespace

void WindowImplBase::ClickControl(Control* control) {
  Button* button = dynamic_cast<Button*>(control);
  if (!button || !button->IsEnabledInTree()) return;
  std::wstring name = button->GetName();
  HWND hwnd = GetHWND();
  if (button->Click()) return;  // a handler may have destroyed the window: touch nothing
  if (!IsWindow(hwnd)) return;
  if (name == L"closebtn") Close(IDCLOSE);
  else if (name == L"minbtn") ::ShowWindow(hwnd, SW_MINIMIZE);
}

Button* WindowImplBase::ButtonAt(Point point) const {
  for (Control* c = FindControlAt(document_.root.get(), point); c; c = c->GetParent()) {
    if (Button* b = dynamic_cast<Button*>(c)) return b->IsEnabledInTree() ? b : nullptr;
  }
  return nullptr;
}

void WindowImplBase::SetHot(Button* button) {
  if (button == hot_) return;
  if (hot_) hot_->SetHot(false);
  hot_ = button;
  if (!hot_) return;
  hot_->SetHot(true);
  if (hot_->GetHotFade() < 255) {
    if (std::find(fading_.begin(), fading_.end(), hot_) == fading_.end()) fading_.push_back(hot_);
    SetTimer(GetHWND(), kHotFadeTimerId, kHotFadeIntervalMs, nullptr);
  }
}

void WindowImplBase::StepHotFade() {
  for (auto it = fading_.begin(); it != fading_.end();) {
    Button* b = *it;
    b->SetHotFade(b->IsHot() ? b->GetHotFade() + kHotFadeStep : 255);
    it = b->GetHotFade() >= 255 ? fading_.erase(it) : it + 1;
  }
  if (fading_.empty()) KillTimer(GetHWND(), kHotFadeTimerId);
}

void WindowImplBase::OnMouseMove(Point point) {
  if (!tracking_) {
    TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, GetHWND(), 0};
    tracking_ = TrackMouseEvent(&track) != FALSE;
  }
  Button* under = ButtonAt(point);
  if (pushed_) {
    // While a button is held, it shows pushed only with the mouse over it.
    pushed_->SetPushed(under == pushed_);
    SetHot(under == pushed_ ? pushed_ : nullptr);
    return;
  }
  SetHot(under);
}

void WindowImplBase::OnMouseLeave() {
  tracking_ = false;
  if (!pushed_) SetHot(nullptr);
}

void WindowImplBase::OnLButtonDown(Point point) {
  // A click on the window takes the keyboard from an edit; the mouse shows no focus mark.
  if (GetFocus() != GetHWND()) ::SetFocus(GetHWND());
  if (focused_) SetFocusControl(nullptr);
  Button* under = ButtonAt(point);
  if (!under) return;
  pushed_ = under;
  pushed_->SetPushed(true);
  SetCapture(GetHWND());
}

void WindowImplBase::OnLButtonUp(Point point) {
  Button* button = pushed_;
  if (!button) return;
  pushed_ = nullptr;
  button->SetPushed(false);
  if (GetCapture() == GetHWND()) ReleaseCapture();
  if (ButtonAt(point) == button) ClickControl(button);
}

bool WindowImplBase::OnKeyDown(WPARAM key) {
  Control* root = document_.root.get();
  switch (key) {
    case VK_TAB: {
      bool back = GetKeyState(VK_SHIFT) < 0;
      if (Control* next = NextFocus(root, focused_, !back)) SetFocusControl(next);
      return true;
    }
    case VK_RETURN:
    case VK_SPACE:
      if (focused_ && dynamic_cast<Button*>(focused_)) {
        ClickControl(focused_);
        return true;
      }
      return false;
    case VK_ESCAPE: {
      Button* escape = FindControl<Button>(escapeButton_);
      if (escape && escape->IsShownInTree() && escape->IsEnabledInTree()) ClickControl(escape);
      return true;
    }
    default:
      return false;
  }
}

bool WindowImplBase::OnSetCursor() {
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(GetHWND(), &p);
  Button* under = ButtonAt(Point{p.x, p.y});
  if (!under || !under->HasHandCursor()) return false;
  SetCursor(LoadCursorW(nullptr, IDC_HAND));
  return true;
}

LRESULT WindowImplBase::OnNcHitTest(LPARAM lParam) {
  POINT p = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  ScreenToClient(GetHWND(), &p);
  RECT client;
  GetClientRect(GetHWND(), &client);
  const Rect& caption = document_.window.caption;
  // caption: left and right insets, top inset and the height of the drag area.
  Rect drag = ScaleRect(Rect{caption.left, caption.top, caption.right, caption.bottom}, scale_);
  Rect area{drag.left, drag.top, client.right - drag.right, drag.bottom};
  Point point{p.x, p.y};
  if (!area.Contains(point) || ButtonAt(point)) return HTCLIENT;
  for (Control* c = FindControlAt(document_.root.get(), point); c; c = c->GetParent())
    if (dynamic_cast<RichEdit*>(c)) return HTCLIENT;
  return HTCAPTION;
}

}  // namespace ui
