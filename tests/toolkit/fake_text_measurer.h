// A text measurer with predictable sizes for layout tests: each character is 10 pixels wide
// and a line 20 pixels high at 100 %, whatever the font.
#pragma once

#include "toolkit/ui/core/text_measurer.h"

namespace ui {

class FakeTextMeasurer : public TextMeasurer {
 public:
  Size MeasureText(const std::wstring& text, int fontIndex, int scale) override {
    return Size{ScaleValue(10 * static_cast<int>(text.size()), scale), ScaleValue(20, scale)};
  }
};

}  // namespace ui
