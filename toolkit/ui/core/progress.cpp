#include "toolkit/ui/core/progress.h"

#include <algorithm>

namespace ui {

struct ProgressAttributes {
  template <int Progress::*Member>
  static bool Int(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseInt(v, &(static_cast<Progress&>(c).*Member))) return true;
    *e = "bad number \"" + std::string(v) + "\"";
    return false;
  }
  static bool Horizontal(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseBool(v, &static_cast<Progress&>(c).horizontal_)) return true;
    *e = "bad horizontal \"" + std::string(v) + "\"";
    return false;
  }
  static bool Image(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveImage(v, &static_cast<Progress&>(c).progressImage_, e);
  }
};

const AttributeTable& Progress::ClassAttributes() {
  using A = ProgressAttributes;
  static const AttributeTable table(&Control::ClassAttributes(), {
      {"min", &A::Int<&Progress::min_>},
      {"max", &A::Int<&Progress::max_>},
      {"value", &A::Int<&Progress::value_>},
      {"horizontal", &A::Horizontal},
      {"progressimage", &A::Image},
  });
  return table;
}

void Progress::SetRange(int minValue, int maxValue) {
  min_ = minValue;
  max_ = maxValue < minValue ? minValue : maxValue;
  SetValue(value_);
  Invalidate();
}

void Progress::SetValue(int value) {
  if (value < min_) value = min_;
  if (value > max_) value = max_;
  if (value == value_) return;
  // The bar's images do not depend on the value, only where the done part ends: repaint the
  // strip between the old end and the new one. A whole repaint of the stretched images costs
  // milliseconds in software, several times a second while the install page waits.
  const Rect& rect = GetPos();
  const Rect before = DoneRect(rect);
  value_ = value;
  const Rect after = DoneRect(rect);
  if (before.IsEmpty() && after.IsEmpty()) {
    Invalidate();
    return;
  }
  Rect changed = rect;
  if (horizontal_) {
    changed.left = std::min(before.right, after.right);
    changed.right = std::max(before.right, after.right);
  } else {
    changed.top = std::min(before.top, after.top);
    changed.bottom = std::max(before.top, after.top);
  }
  InvalidateArea(changed);
}

Rect Progress::DoneRect(const Rect& rect) const {
  Rect done = rect;
  int span = max_ - min_;
  if (span <= 0) return Rect{};
  int value = value_ < min_ ? min_ : value_ > max_ ? max_ : value_;
  long long part = static_cast<long long>(value - min_);
  if (horizontal_) {
    done.right = rect.left + static_cast<int>(part * rect.Width() / span);
  } else {
    done.top = rect.bottom - static_cast<int>(part * rect.Height() / span);
  }
  return done;
}

}  // namespace ui
