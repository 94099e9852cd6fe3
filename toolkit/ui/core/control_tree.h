// Queries over a control tree that the window needs for the mouse and the keyboard: which
// control is under a point, and the Tab order of focusable controls.
//
//   ui::Control* next = ui::NextFocus(root, current, /*forward=*/true);
//
// Threading: UI thread only.
#pragma once

#include <vector>

#include "toolkit/ui/core/control.h"

namespace ui {

// The deepest shown control whose rectangle holds `point`; later siblings are on top.
// Null when the point is outside the root.
Control* FindControlAt(Control* root, Point point);

// Controls a Tab can reach, in document order: focusable, shown and enabled.
std::vector<Control*> FocusOrder(Control* root);

// The control after (or before) `current` in the Tab order, wrapping around; the first (or
// last) one when `current` is not in the order. Null when nothing is focusable.
Control* NextFocus(Control* root, Control* current, bool forward);

}  // namespace ui
