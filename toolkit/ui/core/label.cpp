#include "toolkit/ui/core/label.h"

#include "toolkit/ui/core/text_measurer.h"

namespace ui {

const AttributeTable& Label::ClassAttributes() {
  static const AttributeTable table(&Control::ClassAttributes(), {
      {"text", [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         std::wstring text;
         if (!m.ResolveText(v, &text, e)) return false;
         c.SetText(text);
         return true;
       }},
      {"font", [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveFont(v, &static_cast<Label&>(c).font_, e);
       }},
      {"normaltextcolor",
       [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveColor(v, &static_cast<Label&>(c).textColor_, e);
       }},
      {"disabledtextcolor",
       [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveColor(v, &static_cast<Label&>(c).disabledTextColor_, e);
       }},
      {"align", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         if (ParseHAlign(v, &static_cast<Label&>(c).textAlign_)) return true;
         *e = "bad align \"" + std::string(v) + "\"";
         return false;
       }},
  });
  return table;
}

Label::Label() {
  SetWidth(Length::Auto());
  SetHeight(Length::Auto());
}

void Label::SetFont(int index) {
  font_ = index;
  RequestLayout();
  Invalidate();
}

void Label::SetTextColor(Color color) {
  textColor_ = color;
  Invalidate();
}

Size Label::MeasureContent(const LayoutContext& context) const {
  if (!context.measurer) return Size{};
  return context.measurer->MeasureText(GetText(), font_, context.scale);
}

}  // namespace ui
