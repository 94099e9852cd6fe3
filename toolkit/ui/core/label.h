// A line of text in one of the global fonts, with normal and disabled colours and a text
// alignment. Auto-sized by default: it is as large as its text plus padding.
//
//   label->SetText(base::Text("progress_downloading", {{"percent", L"42.0"}}));
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/core/control.h"

namespace ui {

class Label : public Control {
 public:
  Label();

  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "Label"; }

  int GetFont() const { return font_; }
  void SetFont(int index);
  Color GetTextColor() const { return textColor_; }
  void SetTextColor(Color color);
  Color GetDisabledTextColor() const { return disabledTextColor_; }
  HAlign GetTextAlign() const { return textAlign_; }
  void SetTextAlign(HAlign align) { textAlign_ = align; }

  Size MeasureContent(const LayoutContext& context) const override;

 private:
  int font_ = 0;
  Color textColor_ = 0xff000000;
  Color disabledTextColor_ = 0xffa0a0a0;
  HAlign textAlign_ = HAlign::kLeft;
};

}  // namespace ui
