// The box layout: turns each control's size rules (fixed, auto, stretch), margins, paddings,
// child spacing and alignment into rectangles in window pixels at the display scale.
// Hidden controls take no space. Values in the markup are for 100 %; every one of them is
// scaled here, so a 600 x 400 layout fills 900 x 600 pixels at 150 %.
//
//   ui::LayoutContext context{150, &measurer};
//   ui::LayoutRoot(root, ui::Rect{0, 0, 900, 600}, context);
//   root.GetPos();   // {0, 0, 900, 600} for a stretching root
//
// Threading: UI thread only (it writes the controls' rectangles).
#pragma once

#include "toolkit/ui/core/control.h"

namespace ui {

class Box;

// The size a control asks for without margins: fixed sizes scaled, otherwise its content
// plus padding.
Size NaturalSize(const Control& control, const LayoutContext& context);

// The content size of a box: its visible children's natural sizes with margins and spacing.
Size MeasureBoxContent(const Box& box, const LayoutContext& context);

// Lays out `root` inside `area` as a stacked child would be (margin, size rules, alignment),
// then its whole subtree.
void LayoutRoot(Control& root, const Rect& area, const LayoutContext& context);

// Gives `control` exactly `rect` and lays out its children inside its padding.
void LayoutControl(Control& control, const Rect& rect, const LayoutContext& context);

}  // namespace ui
