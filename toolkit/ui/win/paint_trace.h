// A process-wide hook called at the end of every paint of a toolkit window, for the start-up
// and repaint measurements (bench/). Nothing is installed unless the program asks for it.
//
//   ui::SetPaintObserver([](HWND window, const RECT& painted) { ... });
//
// Threading: UI thread only (the observer runs inside WM_PAINT).
#pragma once

#include <windows.h>

namespace ui {

using PaintObserver = void (*)(HWND window, const RECT& painted);

// Replaces the observer; nullptr removes it.
void SetPaintObserver(PaintObserver observer);

// Called by the toolkit after EndPaint with the rectangle it repainted.
void NotifyPaintDone(HWND window, const RECT& painted);

}  // namespace ui
