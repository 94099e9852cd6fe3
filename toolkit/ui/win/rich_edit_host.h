// Hosts the platform's rich edit control as a real child window for each RichEdit of a
// window's control tree, so caret, selection, clipboard and input methods are the system's.
// Keeps each child's position, visibility, state and font in step with its control and turns
// EN_CHANGE into the control's text-change event.
//
//   host.CreateFor(root, true);      // after the first layout: the edits shown
//   host.CreateFor(root, true);      // after every layout or state change (syncs too)
//   host.CreateFor(root);            // after the first paint: the rest
//   host.OnCommand(wParam, lParam);  // from the parent's WM_COMMAND
//
// Threading: UI thread only.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "toolkit/ui/core/rich_edit.h"

namespace ui {

class FontCache;

class RichEditHost {
 public:
  RichEditHost(HWND parent, FontCache* fonts, int scale);
  ~RichEditHost();

  // Creates a native edit for every RichEdit below `root` that has none yet, or with
  // `shownOnly` for those shown. The edit library is loaded with the first one: a window whose
  // first page shows no edit paints without it. Then syncs.
  void CreateFor(Control* root, bool shownOnly = false);
  // Moves, shows, hides, enables every native edit to match its control.
  void Sync();
  // Handles EN_CHANGE of a hosted edit; true when the command was one of ours.
  bool OnCommand(WPARAM wParam, LPARAM lParam);

  HWND WindowOf(const RichEdit* edit) const;
  RichEdit* ControlOf(HWND hwnd) const;
  // The rich edit window class used ("RICHEDIT50W" or "RichEdit20W"), empty if none loads.
  static const wchar_t* EditClass();

 private:
  class NativeEdit;

  HWND parent_;
  FontCache* fonts_;  // not owned
  int scale_;
  std::vector<std::unique_ptr<NativeEdit>> edits_;
};

}  // namespace ui
