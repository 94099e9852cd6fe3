#include "toolkit/ui/core/check_box.h"

namespace ui {

struct CheckBoxAttributes {
  template <ImageSpec CheckBox::*Member>
  static bool Image(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveImage(v, &(static_cast<CheckBox&>(c).*Member), e);
  }
  static bool Selected(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseBool(v, &static_cast<CheckBox&>(c).selected_)) return true;
    *e = "bad selected \"" + std::string(v) + "\"";
    return false;
  }
  static bool TextPadding(Control& c, std::string_view v, const MarkupContext&,
                          std::string* e) {
    if (ParseInsets(v, &static_cast<CheckBox&>(c).textPadding_)) return true;
    *e = "bad textpadding \"" + std::string(v) + "\"";
    return false;
  }
};

const AttributeTable& CheckBox::ClassAttributes() {
  using A = CheckBoxAttributes;
  static const AttributeTable table(&Button::ClassAttributes(), {
      {"selected", &A::Selected},
      {"selectednormalimage", &A::Image<&CheckBox::selectedNormalImage_>},
      {"selectedhotimage", &A::Image<&CheckBox::selectedHotImage_>},
      {"selecteddisabledimage", &A::Image<&CheckBox::selectedDisabledImage_>},
      {"textpadding", &A::TextPadding},
  });
  return table;
}

void CheckBox::SetSelected(bool selected, bool fireEvent) {
  if (selected == selected_) return;
  selected_ = selected;
  Invalidate();
  if (fireEvent) FireEvent(selected ? EventType::kSelect : EventType::kUnSelect);
}

bool CheckBox::Click() {
  if (!IsEnabledInTree()) return false;
  SetSelected(!selected_, true);
  return FireEvent(EventType::kClick);
}

Size CheckBox::MeasureContent(const LayoutContext& context) const {
  Size text = Label::MeasureContent(context);
  Insets pad = ScaleInsets(textPadding_, context.scale);
  return Size{text.width + pad.Horizontal(), text.height + pad.Vertical()};
}

}  // namespace ui
