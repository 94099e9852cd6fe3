#include "toolkit/ui/win/paint_trace.h"

namespace ui {
namespace {
PaintObserver paintObserver = nullptr;
}  // namespace

void SetPaintObserver(PaintObserver observer) { paintObserver = observer; }

void NotifyPaintDone(HWND window, const RECT& painted) {
  if (paintObserver) paintObserver(window, painted);
}

}  // namespace ui
