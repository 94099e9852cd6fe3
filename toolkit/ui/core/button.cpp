#include "toolkit/ui/core/button.h"

namespace ui {
// The attribute setters, one instantiation per member.
struct ButtonAttributes {
  template <ImageSpec Button::*Member>
  static bool Image(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveImage(v, &(static_cast<Button&>(c).*Member), e);
  }
  template <Color Button::*Member>
  static bool TextColor(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveColor(v, &(static_cast<Button&>(c).*Member), e);
  }
  static bool FadeHot(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseBool(v, &static_cast<Button&>(c).fadeHot_)) return true;
    *e = "bad fadehot \"" + std::string(v) + "\"";
    return false;
  }
};

const AttributeTable& Button::ClassAttributes() {
  using A = ButtonAttributes;
  static const AttributeTable table(&Label::ClassAttributes(), {
      {"normalimage", &A::Image<&Button::normalImage_>},
      {"hotimage", &A::Image<&Button::hotImage_>},
      {"pushedimage", &A::Image<&Button::pushedImage_>},
      {"disabledimage", &A::Image<&Button::disabledImage_>},
      {"forenormalimage", &A::Image<&Button::foreNormalImage_>},
      {"forehotimage", &A::Image<&Button::foreHotImage_>},
      {"hottextcolor", &A::TextColor<&Button::hotTextColor_>},
      {"pushedtextcolor", &A::TextColor<&Button::pushedTextColor_>},
      {"fadehot", &A::FadeHot},
  });
  return table;
}

void Button::SetHot(bool hot) {
  if (hot == hot_) return;
  hot_ = hot;
  hotFade_ = hot && fadeHot_ && !hotImage_.IsEmpty() ? 0 : 255;
  Invalidate();
}

void Button::SetHotFade(int alpha) {
  alpha = alpha < 0 ? 0 : alpha > 255 ? 255 : alpha;
  if (alpha == hotFade_) return;
  hotFade_ = alpha;
  Invalidate();
}

void Button::SetPushed(bool pushed) {
  if (pushed == pushed_) return;
  pushed_ = pushed;
  Invalidate();
}

bool Button::Click() {
  if (!IsEnabledInTree()) return false;
  return FireEvent(EventType::kClick);
}

}  // namespace ui
