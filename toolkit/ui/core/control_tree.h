// Queries over a control tree that the window needs for the mouse and the keyboard: which
// control is under a point, and the Tab order of focusable controls; and the images a part of
// the tree draws, to decode them before they are painted.
//
//   ui::Control* next = ui::NextFocus(root, current, /*forward=*/true);
//
// Threading: UI thread only.
#pragma once

#include <string>
#include <vector>

#include "toolkit/ui/core/button.h"
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

// Every image file the controls under `root` may draw, shown or hidden, in every state
// (buttons' hot, pushed and disabled images, check boxes' selected ones, progress bars' fill):
// in document order, each file once.
std::vector<std::string> ImageFilesIn(Control* root);

// An image a control draws in its rectangle.
struct DrawnImage {
  const ImageSpec* image;  // owned by `control`
  const Control* control;
};

// The images the shown controls under `root` draw as they are now (each button in its present
// state): what the next full paint needs, in document order.
std::vector<DrawnImage> ImagesDrawnNow(Control* root);

// The image a button (or check box) draws for its present state: disabled, pushed, hot or
// normal, the selected set for a selected check box; an empty state image falls back.
const ImageSpec& ButtonStateImage(const Button& b);

}  // namespace ui
