// A button that toggles: selected and unselected images, text drawn after `textpadding`, and
// the select / unselect events. A click toggles the state, then fires select or unselect,
// then click.
//
//   box->AttachSelect([this](const ui::EventArgs&) { Update(); return true; });
//   bool agreed = box->IsSelected();
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/core/button.h"

namespace ui {

class CheckBox : public Button {
 public:
  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "CheckBox"; }

  bool IsSelected() const { return selected_; }
  // Changes the state; fires select or unselect when `fireEvent` and the state changed.
  void SetSelected(bool selected, bool fireEvent = false);

  const ImageSpec& GetSelectedNormalImage() const { return selectedNormalImage_; }
  const ImageSpec& GetSelectedHotImage() const { return selectedHotImage_; }
  const ImageSpec& GetSelectedDisabledImage() const { return selectedDisabledImage_; }
  const Insets& GetTextPadding() const { return textPadding_; }

  bool Click() override;
  Size MeasureContent(const LayoutContext& context) const override;

 private:
  friend struct CheckBoxAttributes;

  bool selected_ = false;
  ImageSpec selectedNormalImage_;
  ImageSpec selectedHotImage_;
  ImageSpec selectedDisabledImage_;
  Insets textPadding_;
};

}  // namespace ui
