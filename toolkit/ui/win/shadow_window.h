// The drop shadow attached to a skinned window: a click-through layered window behind it
// that follows it, drawn with per-pixel alpha. Shown only where the system composes windows
// (desktop composition on); without a compositor per-pixel alpha is not blended and the
// shadow would be a hard black frame, so then there is none.
//
//   shadow_ = std::make_unique<ui::ShadowWindow>(hwnd);
//   shadow_->Update();   // after the window moved, resized, showed or hid
//
// Threading: UI thread only.
#pragma once

#include <windows.h>

namespace ui {

class ShadowWindow {
 public:
  explicit ShadowWindow(HWND owner);
  ~ShadowWindow();

  void Update();
  // Whether a shadow can be shown on this system (composition enabled).
  static bool IsCompositionEnabled();
  HWND GetHWND() const { return hwnd_; }

 private:
  void Render(int width, int height);

  HWND owner_;
  HWND hwnd_ = nullptr;
  int size_;  // shadow width in pixels around the window
  SIZE rendered_ = {0, 0};
};

}  // namespace ui
