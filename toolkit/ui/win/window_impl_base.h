// A skinned window: builds its control tree from the layout <theme>/<SkinFolder()>/
// <LayoutFile()>, sizes itself from the layout at the display scale, draws itself
// double-buffered with GDI+, tracks hot and pushed buttons, hosts native rich edits, moves
// the keyboard focus with Tab, and answers screen readers. Buttons named "closebtn" and
// "minbtn" close and minimise the window when no handler takes their click.
//
//   class MsgBox : public ui::WindowImplBase {
//     std::wstring WindowClassName() const override { return L"MsgBox"; }
//     std::wstring SkinFolder() override { return L"msgbox"; }
//     std::wstring LayoutFile() override { return L"msgbox.xml"; }
//     void OnWindowInit() override { FindControl<ui::Button>(L"btn_yes")->AttachClick(...); }
//   };
//
// Threading: UI thread only.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/base/task.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/markup_reader.h"
#include "toolkit/ui/win/window.h"

namespace ui {

class Button;
class RichEdit;
class RichEditHost;
class AccessibleWindow;
class ShadowWindow;

class WindowImplBase : public Window, public IUIMessageFilter, private ControlHost {
 public:
  WindowImplBase();
  ~WindowImplBase() override;

  // Called once the layout is built and the native window exists, inside Create.
  virtual void OnWindowInit() {}
  // Called once, when the window's first paint is done: the place for work that must not
  // delay the window's appearance but should be done before the user acts.
  virtual void OnFirstPaint() {}
  // Runs `task` after OnFirstPaint, when the first paint is done; at once when it is already.
  // For work a window's owner wants off the way to its appearance.
  void RunAfterFirstPaint(base::Task task);
  // WM_CLOSE. The default lets the system destroy the window; set `handled` to keep it.
  virtual LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam, bool& handled);
  virtual std::wstring SkinFolder() = 0;
  virtual std::wstring LayoutFile() = 0;

  LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) override;

  // The control named `name` if it is a T; null when missing or of another type.
  template <typename T = Control>
  T* FindControl(const std::wstring& name) const {
    return dynamic_cast<T*>(FindControlByName(name));
  }
  Control* FindControlByName(const std::wstring& name) const;
  Control* GetRoot() const { return document_.root.get(); }

  int GetDisplayScale() const { return scale_; }
  // The markup error when the layout could not be read (Create then fails).
  const std::string& GetLayoutError() const { return layoutError_; }

  // The native child window hosting `edit`; null before creation or for a foreign control.
  HWND GetEditWindow(const RichEdit* edit) const;

  // Keyboard focus among the controls; null clears it.
  void SetFocusControl(Control* control);
  Control* GetFocusControl() const { return focused_; }
  // The button Esc presses: "closebtn" unless set (or named in the layout's escapebutton).
  void SetEscapeButton(const std::wstring& name) { escapeButton_ = name; }

  // Clicks a button the way the mouse does: handlers first, then "closebtn" / "minbtn".
  void ClickControl(Control* control);

  // Lays the tree out again now; repaints only controls whose rectangle changed.
  void Relayout();

  // Starts decoding, on another core, the images `part` (a hidden page, say) would decode on
  // its first paint.
  void DecodeImagesOf(Control* part);

 protected:
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  static constexpr UINT_PTR kHotFadeTimerId = 0x51f;

  // ControlHost
  void InvalidateControl(Control* control) override;
  void InvalidateControlArea(Control* control, const Rect& area) override;
  void RequestLayout() override;
  void OnControlStateChanged(Control* control) override;
  void RequestFocus(Control* control) override;

  // Reads the layout and starts decoding the images it shows, before the native window exists.
  void OnBeforeCreate() override;
  bool LoadLayout();
  // Hands what the shown controls draw to the image cache to decode (and the nine-slice
  // images to compose at their sizes) on another core.
  void DecodeImagesDrawnNow();
  bool OnCreate();
  void OnPaint();
  LRESULT OnNcHitTest(LPARAM lParam);
  void OnMouseMove(Point point);
  void OnMouseLeave();
  void OnLButtonDown(Point point);
  void OnLButtonUp(Point point);
  bool OnKeyDown(WPARAM key);
  bool OnSetCursor();
  // The button (or check box) at `point`, if it is shown and enabled.
  Button* ButtonAt(Point point) const;
  void SetHot(Button* button);
  // Raises the hot image of fading buttons one step; stops the timer when all are done.
  void StepHotFade();
  void UpdateShadow();

  LayoutDocument document_;
  enum class LayoutState { kNotRead, kRead, kFailed } layoutState_ = LayoutState::kNotRead;
  int scale_ = 100;
  std::string layoutError_;
  std::wstring escapeButton_ = L"closebtn";
  std::unique_ptr<RichEditHost> edits_;
  std::unique_ptr<AccessibleWindow> accessible_;
  std::unique_ptr<ShadowWindow> shadow_;
  Button* hot_ = nullptr;      // controls borrowed from the tree
  Button* pushed_ = nullptr;
  Control* focused_ = nullptr;
  std::vector<Button*> fading_;  // buttons whose hot image is fading in
  bool tracking_ = false;
  bool inLayout_ = false;
  bool painted_ = false;  // the first paint is done
  std::vector<base::Task> afterFirstPaint_;
  HBITMAP backBuffer_ = nullptr;
  Size backBufferSize_;
};

}  // namespace ui
