// Measures text for "auto" sizes. The window uses a GDI+ implementation; layout tests use a
// fake with predictable sizes.
//
// Threading: UI thread only.
#pragma once

#include <string>

#include "toolkit/ui/core/geometry.h"

namespace ui {

class TextMeasurer {
 public:
  virtual ~TextMeasurer() = default;
  // The size of `text` on one line in the global font `fontIndex`, in pixels at `scale`
  // percent. An empty text has the font's line height and zero width.
  virtual Size MeasureText(const std::wstring& text, int fontIndex, int scale) = 0;
};

}  // namespace ui
