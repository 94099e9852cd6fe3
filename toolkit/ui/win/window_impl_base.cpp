#include "toolkit/ui/win/window_impl_base.h"

#include <windowsx.h>

#include <algorithm>
#include <vector>

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/box_layout.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/rich_edit.h"
#include "toolkit/ui/win/accessible_window.h"
#include "toolkit/ui/win/font_cache.h"
#include "toolkit/ui/win/global_manager.h"
#include "toolkit/ui/win/image_cache.h"
#include "toolkit/ui/win/paint_trace.h"
#include "toolkit/ui/win/painter.h"
#include "toolkit/ui/win/rich_edit_host.h"
#include "toolkit/ui/win/shadow_window.h"

namespace ui {
namespace {

Point PointFromLParam(LPARAM lParam) { return Point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

}  // namespace

WindowImplBase::WindowImplBase() = default;

WindowImplBase::~WindowImplBase() {
  // The native window (and the edits in it) goes before the members its messages use.
  DestroyNativeWindow();
  if (backBuffer_) DeleteObject(backBuffer_);
}

Control* WindowImplBase::FindControlByName(const std::wstring& name) const {
  Control* root = document_.root.get();
  if (!root) return nullptr;
  if (Box* box = dynamic_cast<Box*>(root)) return box->FindByName(name);
  return root->GetName() == name ? root : nullptr;
}

LRESULT WindowImplBase::OnCloseMessage(WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

LRESULT WindowImplBase::MessageHandler(UINT, WPARAM, LPARAM, bool& handled) {
  handled = false;
  return 0;
}

void WindowImplBase::OnBeforeCreate() {
  if (!LoadLayout()) return;
  // Laid out now at the size the window will have (its client area is the whole window), so
  // that the images can be composed at their sizes; OnCreate lays it out again.
  scale_ = GlobalManager::GetDisplayScale();
  const Rect area{0, 0, ScaleValue(document_.window.size.width, scale_),
                  ScaleValue(document_.window.size.height, scale_)};
  LayoutRoot(*document_.root, area, LayoutContext{scale_, &GlobalManager::GetFonts()});
  DecodeImagesDrawnNow();
}

void WindowImplBase::DecodeImagesDrawnNow() {
  std::vector<std::string> files;
  std::vector<ImageComposition> compositions;
  for (const DrawnImage& drawn : ImagesDrawnNow(document_.root.get())) {
    if (std::find(files.begin(), files.end(), drawn.image->file) == files.end())
      files.push_back(drawn.image->file);
    const Rect& pos = drawn.control->GetPos();
    if (IsComposable(*drawn.image) && !pos.IsEmpty())
      compositions.push_back(ImageComposition{*drawn.image, Size{pos.Width(), pos.Height()},
                                              scale_, GlobalManager::GetImageScale()});
  }
  GlobalManager::GetImages().DecodeAhead(files, compositions);
}

bool WindowImplBase::LoadLayout() {
  if (layoutState_ != LayoutState::kNotRead) return layoutState_ == LayoutState::kRead;
  layoutState_ = LayoutState::kFailed;
  std::string path = JoinPath(GlobalManager::GetThemePath(),
                              base::WideToUtf8(SkinFolder()) + "/" + base::WideToUtf8(LayoutFile()));
  std::string xml;
  if (!GlobalManager::ReadFile(path, &xml)) {
    layoutError_ = path + ": not found";
    return false;
  }
  if (!ReadLayout(xml, path, &GlobalManager::GetGlobals(), &document_, &layoutError_))
    return false;
  if (!document_.window.escapeButton.empty()) escapeButton_ = document_.window.escapeButton;
  layoutState_ = LayoutState::kRead;
  return true;
}

bool WindowImplBase::OnCreate() {
  scale_ = GlobalManager::GetDisplayScale();
  if (!LoadLayout()) return false;
  // The window is exactly the layout's size at the display scale.
  int width = ScaleValue(document_.window.size.width, scale_);
  int height = ScaleValue(document_.window.size.height, scale_);
  SetWindowPos(GetHWND(), nullptr, 0, 0, width, height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  document_.root->SetHost(this);
  edits_ = std::make_unique<RichEditHost>(GetHWND(), &GlobalManager::GetFonts(), scale_);
  Relayout();  // creates the native edits of the controls shown
  accessible_ = std::make_unique<AccessibleWindow>(this);
  // The shadow after the first paint: its composition check loads a library, and the window
  // is what the user waits for.
  if (document_.window.shadowAttached) {
    RunAfterFirstPaint([this] {
      shadow_ = std::make_unique<ShadowWindow>(GetHWND());
      shadow_->Update();
    });
  }
  OnWindowInit();
  // What the window's own set-up showed besides what the layout shows.
  DecodeImagesDrawnNow();
  return true;
}

void WindowImplBase::Relayout() {
  Control* root = document_.root.get();
  if (!root || inLayout_ || !GetHWND()) return;
  inLayout_ = true;
  std::vector<std::pair<Control*, Rect>> before;
  ForEachControl(root, [&before](Control* c) { before.emplace_back(c, c->GetPos()); });
  RECT client;
  GetClientRect(GetHWND(), &client);
  LayoutContext context{scale_, &GlobalManager::GetFonts()};
  LayoutRoot(*root, Rect{0, 0, client.right, client.bottom}, context);
  for (const auto& entry : before) {
    const Rect& now = entry.first->GetPos();
    if (now == entry.second) continue;
    // A moved control: repaint where it was and where it is.
    Rect area = entry.second.Union(now);
    RECT r{area.left, area.top, area.right, area.bottom};
    InvalidateRect(GetHWND(), &r, FALSE);
  }
  if (edits_) edits_->CreateFor(document_.root.get(), true);
  inLayout_ = false;
}

void WindowImplBase::DecodeImagesOf(Control* part) {
  GlobalManager::GetImages().DecodeAhead(ImageFilesIn(part), {});
}

void WindowImplBase::InvalidateControl(Control* control) {
  if (!GetHWND() || !control->IsShownInTree()) return;
  const Rect& pos = control->GetPos();
  if (pos.IsEmpty()) return;
  RECT r{pos.left, pos.top, pos.right, pos.bottom};
  InvalidateRect(GetHWND(), &r, FALSE);
}

void WindowImplBase::InvalidateControlArea(Control* control, const Rect& area) {
  if (!GetHWND() || !control->IsShownInTree()) return;
  const Rect part = area.Intersect(control->GetPos());
  if (part.IsEmpty()) return;
  RECT r{part.left, part.top, part.right, part.bottom};
  InvalidateRect(GetHWND(), &r, FALSE);
}

void WindowImplBase::RequestLayout() { Relayout(); }

void WindowImplBase::OnControlStateChanged(Control* control) {
  if (edits_) edits_->CreateFor(document_.root.get(), true);
  // A control that can no longer be reached loses the focus, and the hot and pushed marks.
  auto unreachable = [](Control* c) { return c && (!c->IsShownInTree() || !c->IsEnabledInTree()); };
  if (unreachable(focused_)) SetFocusControl(nullptr);
  if (unreachable(hot_)) SetHot(nullptr);
  if (unreachable(pushed_)) {
    pushed_->SetPushed(false);
    pushed_ = nullptr;
    if (GetCapture() == GetHWND()) ReleaseCapture();
  }
}

HWND WindowImplBase::GetEditWindow(const RichEdit* edit) const {
  return edits_ ? edits_->WindowOf(edit) : nullptr;
}

void WindowImplBase::RequestFocus(Control* control) { SetFocusControl(control); }

void WindowImplBase::SetFocusControl(Control* control) {
  if (control && (!control->IsFocusable() || !control->IsShownInTree())) return;
  Control* old = focused_;
  focused_ = control;
  if (old && old != control) old->Invalidate();
  if (!GetHWND()) return;
  RichEdit* edit = dynamic_cast<RichEdit*>(control);
  HWND editWindow = edit && edits_ ? edits_->WindowOf(edit) : nullptr;
  if (editWindow) {
    ::SetFocus(editWindow);
  } else {
    if (GetFocus() != GetHWND()) ::SetFocus(GetHWND());
    if (control) control->Invalidate();
  }
  if (control && accessible_) accessible_->NotifyFocus(control);
}

namespace {

// The rectangles of the window's update region, or none when it has more than a few: two
// small changes far apart (the progress bar and its label) are painted as two, not as the
// whole band between them.
std::vector<Rect> UpdateRects(HWND hwnd) {
  constexpr DWORD kMostRects = 4;
  std::vector<Rect> rects;
  HRGN region = CreateRectRgn(0, 0, 0, 0);
  if (!region) return rects;
  if (GetUpdateRgn(hwnd, region, FALSE) == COMPLEXREGION) {
    DWORD bytes = GetRegionData(region, 0, nullptr);
    std::vector<char> buffer(bytes);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    if (bytes && GetRegionData(region, bytes, data) == bytes && data->rdh.nCount <= kMostRects) {
      const RECT* r = reinterpret_cast<const RECT*>(data->Buffer);
      for (DWORD i = 0; i < data->rdh.nCount; ++i)
        rects.push_back(Rect{r[i].left, r[i].top, r[i].right, r[i].bottom});
    }
  }
  DeleteObject(region);
  return rects;
}

}  // namespace

void WindowImplBase::OnPaint() {
  std::vector<Rect> parts = UpdateRects(GetHWND());
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(GetHWND(), &ps);
  RECT client;
  GetClientRect(GetHWND(), &client);
  Size size{client.right, client.bottom};
  if (!backBuffer_ || !(size == backBufferSize_)) {
    if (backBuffer_) DeleteObject(backBuffer_);
    backBuffer_ = CreateCompatibleBitmap(dc, size.width, size.height);
    backBufferSize_ = size;
    parts.clear();  // nothing kept between the parts yet
  }
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ old = SelectObject(memory, backBuffer_);
  {
    Gdiplus::Graphics graphics(memory);
    SetPaintQuality(graphics);
    PaintContext context;
    context.scale = scale_;
    context.imageScale = GlobalManager::GetImageScale();
    context.images = &GlobalManager::GetImages();
    context.fonts = &GlobalManager::GetFonts();
    context.focused = GetFocus() == GetHWND() ? focused_ : nullptr;
    // Between the parts, the back buffer holds what earlier paints left.
    if (parts.empty())
      parts.push_back(Rect{ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right, ps.rcPaint.bottom});
    for (const Rect& dirty : parts) {
      graphics.SetClip(Gdiplus::Rect(dirty.left, dirty.top, dirty.Width(), dirty.Height()));
      graphics.Clear(Gdiplus::Color(255, 255, 255, 255));
      PaintTree(graphics, document_.root.get(), dirty, context);
    }
  }
  BitBlt(dc, ps.rcPaint.left, ps.rcPaint.top, ps.rcPaint.right - ps.rcPaint.left,
         ps.rcPaint.bottom - ps.rcPaint.top, memory, ps.rcPaint.left, ps.rcPaint.top, SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  EndPaint(GetHWND(), &ps);
  NotifyPaintDone(GetHWND(), ps.rcPaint);
  if (!painted_) {
    painted_ = true;
    // The edits of pages not shown yet, off the way to the first paint (the edit library
    // takes tens of milliseconds to load) but ready before the user can open their page.
    if (edits_) edits_->CreateFor(document_.root.get());
    OnFirstPaint();
    std::vector<base::Task> tasks = std::move(afterFirstPaint_);
    for (base::Task& task : tasks) std::move(task).Run();
  }
}

void WindowImplBase::RunAfterFirstPaint(base::Task task) {
  if (painted_)
    std::move(task).Run();
  else
    afterFirstPaint_.push_back(std::move(task));
}

void WindowImplBase::UpdateShadow() {
  if (shadow_) shadow_->Update();
}

LRESULT WindowImplBase::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  bool handled = false;
  LRESULT result = MessageHandler(message, wParam, lParam, handled);
  if (handled) return result;
  HWND hwnd = GetHWND();
  if (accessible_ && accessible_->OnDefaultActionMessage(message, wParam)) return 0;
  switch (message) {
    case WM_CREATE:
      return OnCreate() ? 0 : -1;
    case WM_NCCALCSIZE:
      if (wParam) return 0;  // the client area is the whole window: no frame, no title bar
      break;
    case WM_NCACTIVATE:
      if (!IsIconic(hwnd)) return TRUE;
      break;
    case WM_NCPAINT:
      return 0;
    case WM_NCHITTEST:
      return OnNcHitTest(lParam);
    case WM_GETMINMAXINFO:
      if (document_.root) {
        // Never smaller than the layout. No upper bound: the window itself may grow (the
        // customize bar does); the user cannot, as sizing and maximising are refused.
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        info->ptMinTrackSize = POINT{ScaleValue(document_.window.size.width, scale_),
                                     ScaleValue(document_.window.size.height, scale_)};
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      if ((wParam & 0xfff0) == SC_MAXIMIZE || (wParam & 0xfff0) == SC_SIZE) return 0;
      break;
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_SIZE:
      Relayout();
      UpdateShadow();
      break;
    case WM_MOVE:
    case WM_SHOWWINDOW:
    case WM_WINDOWPOSCHANGED:
      UpdateShadow();
      break;
    case WM_MOUSEMOVE:
      OnMouseMove(PointFromLParam(lParam));
      return 0;
    case WM_MOUSELEAVE:
      OnMouseLeave();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      OnLButtonDown(PointFromLParam(lParam));
      return 0;
    case WM_LBUTTONUP:
      OnLButtonUp(PointFromLParam(lParam));
      return 0;
    case WM_CAPTURECHANGED:
      if (pushed_ && reinterpret_cast<HWND>(lParam) != hwnd) {
        pushed_->SetPushed(false);
        pushed_ = nullptr;
      }
      break;
    case WM_TIMER:
      if (wParam == kHotFadeTimerId) {
        StepHotFade();
        return 0;
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && OnSetCursor()) return TRUE;
      break;
    case WM_KEYDOWN:
      if (OnKeyDown(wParam)) return 0;
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      if (focused_) focused_->Invalidate();
      break;
    case WM_COMMAND:
      if (edits_ && HIWORD(wParam) == EN_SETFOCUS) {
        // Clicked into: the edit is where Tab goes on from.
        if (RichEdit* edit = edits_->ControlOf(reinterpret_cast<HWND>(lParam))) {
          if (focused_ && focused_ != edit) focused_->Invalidate();
          focused_ = edit;
        }
      }
      if (edits_ && edits_->OnCommand(wParam, lParam)) return 0;
      break;
    case WM_GETOBJECT:
      if (accessible_) {
        LRESULT r = accessible_->OnGetObject(wParam, lParam);
        if (r) return r;
      }
      break;
    case WM_CLOSE: {
      bool closeHandled = false;
      LRESULT r = OnCloseMessage(wParam, lParam, closeHandled);
      if (closeHandled) return r;
      break;
    }
    case WM_DESTROY:
      shadow_.reset();
      if (accessible_) accessible_->Disconnect();
      edits_.reset();
      break;
    default:
      break;
  }
  return Window::HandleMessage(message, wParam, lParam);
}

}  // namespace ui
