// A label that clicks: images for its normal, hot (mouse over), pushed and disabled states,
// an optional foreground image, and text colours per state. The window sets the hot and
// pushed states from the mouse and calls Activate for a click, Enter or Space.
//
//   button->AttachClick([](const ui::EventArgs& e) { return OnStart(); });
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/core/label.h"

namespace ui {

class Button : public Label {
 public:
  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "Button"; }

  const ImageSpec& GetNormalImage() const { return normalImage_; }
  const ImageSpec& GetHotImage() const { return hotImage_; }
  const ImageSpec& GetPushedImage() const { return pushedImage_; }
  const ImageSpec& GetDisabledImage() const { return disabledImage_; }
  const ImageSpec& GetForeNormalImage() const { return foreNormalImage_; }
  const ImageSpec& GetForeHotImage() const { return foreHotImage_; }
  Color GetHotTextColor() const { return hotTextColor_; }
  Color GetPushedTextColor() const { return pushedTextColor_; }
  bool FadesHot() const { return fadeHot_; }

  bool IsHot() const { return hot_; }
  // How far the hot image has faded in, 0-255: a button that fades starts at 0 when it turns
  // hot and the window raises it step by step; others are at 255 at once.
  int GetHotFade() const { return hotFade_; }
  void SetHotFade(int alpha);
  bool IsPushed() const { return pushed_; }
  void SetHot(bool hot);
  void SetPushed(bool pushed);

  bool IsFocusable() const override { return true; }
  // Fires the click event; returns whether a handler handled it.
  virtual bool Click();
  void Activate() override { Click(); }

 private:
  friend struct ButtonAttributes;

  ImageSpec normalImage_;
  ImageSpec hotImage_;
  ImageSpec pushedImage_;
  ImageSpec disabledImage_;
  ImageSpec foreNormalImage_;
  ImageSpec foreHotImage_;
  Color hotTextColor_ = 0;  // 0: the normal colour
  Color pushedTextColor_ = 0;
  bool fadeHot_ = true;
  bool hot_ = false;
  bool pushed_ = false;
  int hotFade_ = 255;
};

}  // namespace ui
