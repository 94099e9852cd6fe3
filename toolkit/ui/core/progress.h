// A progress bar: a background image (the control's bkimage) and a foreground image drawn
// over the part of the range that is done, horizontally or from the bottom up. Setting the
// value repaints only the bar.
//
//   progress->SetValue(42);   // of the range 0..100
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/core/control.h"

namespace ui {

class Progress : public Control {
 public:
  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "Progress"; }

  int GetMinValue() const { return min_; }
  int GetMaxValue() const { return max_; }
  void SetRange(int minValue, int maxValue);
  int GetValue() const { return value_; }
  // Clamped to the range.
  void SetValue(int value);
  bool IsHorizontal() const { return horizontal_; }
  const ImageSpec& GetProgressImage() const { return progressImage_; }

  // The done part of `rect`, for painting.
  Rect DoneRect(const Rect& rect) const;

 private:
  friend struct ProgressAttributes;

  int min_ = 0;
  int max_ = 100;
  int value_ = 0;
  bool horizontal_ = true;
  ImageSpec progressImage_;
};

}  // namespace ui
