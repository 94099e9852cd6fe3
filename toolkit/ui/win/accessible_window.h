// Exposes a skinned window's controls to screen readers and UI automation through MSAA: the
// window's client object answers WM_GETOBJECT with an IAccessible whose children (one per
// label, button, check box, edit and progress bar, in document order) have a name, role,
// state, location, value and default action. "Press" on a button clicks it.
//
//   IAccessible* acc;
//   AccessibleObjectFromWindow(hwnd, OBJID_CLIENT, __uuidof(IAccessible), (void**)&acc);
//   acc->accDoDefaultAction(childIdOfInstallButton);
//
// Threading: UI thread only (COM calls from other processes arrive through the window's
// messages).
#pragma once

#include <windows.h>

namespace ui {

class Control;
class WindowImplBase;
class AccessibleRoot;

class AccessibleWindow {
 public:
  explicit AccessibleWindow(WindowImplBase* window);  // `window` owns this object
  ~AccessibleWindow();

  // The answer to WM_GETOBJECT; 0 when the request is not for the client object.
  LRESULT OnGetObject(WPARAM wParam, LPARAM lParam);
  // Runs a default action posted by accDoDefaultAction; false for other messages.
  bool OnDefaultActionMessage(UINT message, WPARAM childId);
  // Tells accessibility clients that `control` has the keyboard focus.
  void NotifyFocus(Control* control);
  // The window is going: clients still holding the object get errors from now on.
  void Disconnect();

 private:
  AccessibleRoot* root_;  // one reference held; clients may hold more
  WindowImplBase* window_;
};

}  // namespace ui
