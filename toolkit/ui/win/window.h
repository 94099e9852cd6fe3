// A native top-level window: class registration, creation, the message procedure that
// routes every message to HandleMessage, and the operations every window has (show, centre,
// title, close). WindowImplBase builds the skinned window on top of it.
//
//   window->Create(nullptr, L"MainWindow", WS_POPUP, 0);
//   window->CenterWindow();
//   window->ShowWindow();
//   window->Close(1);   // posts WM_CLOSE with wParam 1
//
// Threading: UI thread only (the thread that created the window).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "toolkit/base/weak_callback.h"

namespace ui {

// Sees a window's messages before the window handles them; sets `handled` to stop them.
class IUIMessageFilter {
 public:
  virtual ~IUIMessageFilter() = default;
  virtual LRESULT MessageHandler(UINT message, WPARAM wParam, LPARAM lParam, bool& handled) = 0;
};

class Window : public virtual base::SupportWeakCallback {
 public:
  Window();
  ~Window() override;

  HWND GetHWND() const { return hwnd_; }
  operator HWND() const { return hwnd_; }

  // Creates the native window. `layered` makes it a layered window drawn fully opaque (child
  // windows stay visible). An empty `rect` leaves the size to the window (the layout's).
  HWND Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle,
              bool layered = true, const RECT& rect = RECT{0, 0, 0, 0});
  void ShowWindow(bool show = true, bool takeFocus = true);
  // Centres on the owner window when there is one, else on the work area of the monitor.
  void CenterWindow();
  void SetText(const std::wstring& text);
  void SetWindowText(const std::wstring& text) { SetText(text); }
  // Posts WM_CLOSE with `value` as wParam; the close handler decides what happens.
  virtual void Close(UINT value = IDOK);

  void AddMessageFilter(IUIMessageFilter* filter);
  void RemoveMessageFilter(IUIMessageFilter* filter);

  // The registered window class name; also used by the system to tell windows apart.
  virtual std::wstring WindowClassName() const = 0;

 protected:
  // Called by Create before the native window is made: work that needs no window can start
  // here and overlap the making of it, which takes the system tens of milliseconds.
  virtual void OnBeforeCreate() {}
  virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Destroys the native window without sending its messages to this object any more; for
  // destructors, whose object is already partly gone.
  void DestroyNativeWindow();
  // After WM_NCDESTROY: the window is gone. A window allocated on the heap may delete itself.
  virtual void OnFinalMessage(HWND hwnd) {}

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  bool RegisterWindowClass();

  HWND hwnd_ = nullptr;
  std::vector<IUIMessageFilter*> filters_;  // not owned
};

}  // namespace ui
