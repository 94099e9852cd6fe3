#include "toolkit/ui/core/box_layout.h"

#include "toolkit/ui/core/box.h"

namespace ui {
namespace {

// 0 start, 1 centre, 2 end.
int AlignIndex(HAlign a) { return a == HAlign::kLeft ? 0 : a == HAlign::kCenter ? 1 : 2; }
int AlignIndex(VAlign a) { return a == VAlign::kTop ? 0 : a == VAlign::kCenter ? 1 : 2; }

// One box-layout routine serves both directions: it speaks of the main axis (the direction
// the children follow each other) and the cross axis, and this helper maps them to x and y.
struct Axis {
  bool horizontal;

  int Main(const Size& s) const { return horizontal ? s.width : s.height; }
  int Cross(const Size& s) const { return horizontal ? s.height : s.width; }
  const Length& MainLength(const Control& c) const {
    return horizontal ? c.GetWidth() : c.GetHeight();
  }
  const Length& CrossLength(const Control& c) const {
    return horizontal ? c.GetHeight() : c.GetWidth();
  }
  int MainBefore(const Insets& in) const { return horizontal ? in.left : in.top; }
  int MainAfter(const Insets& in) const { return horizontal ? in.right : in.bottom; }
  int CrossBefore(const Insets& in) const { return horizontal ? in.top : in.left; }
  int CrossAfter(const Insets& in) const { return horizontal ? in.bottom : in.right; }
  int MainStart(const Rect& r) const { return horizontal ? r.left : r.top; }
  int MainExtent(const Rect& r) const { return horizontal ? r.Width() : r.Height(); }
  int CrossStart(const Rect& r) const { return horizontal ? r.top : r.left; }
  int CrossExtent(const Rect& r) const { return horizontal ? r.Height() : r.Width(); }
  int CrossAlign(const Control& c) const {
    return horizontal ? AlignIndex(c.GetVAlign()) : AlignIndex(c.GetHAlign());
  }
  Rect MakeRect(int mainPos, int mainSize, int crossPos, int crossSize) const {
    return horizontal ? Rect{mainPos, crossPos, mainPos + mainSize, crossPos + crossSize}
                      : Rect{crossPos, mainPos, crossPos + crossSize, mainPos + mainSize};
  }
};

const Axis kHorizontal{true};
const Axis kVertical{false};

// Places a control along one axis inside [areaStart, areaStart + areaExtent): margins first,
// then its size rule, then its alignment in what is left.
void PlaceOnAxis(const Length& length, int natural, int before, int after, int align,
                 int areaStart, int areaExtent, int scale, int* pos, int* size) {
  int room = areaExtent - before - after;
  if (room < 0) room = 0;
  int s = length.kind == Length::kFixed ? ScaleValue(length.value, scale)
          : length.kind == Length::kAuto ? natural
                                         : room;
  int offset = align == 0 ? 0 : align == 1 ? (room - s) / 2 : room - s;
  *pos = areaStart + before + offset;
  *size = s;
}

void LayoutStack(Box& box, const Rect& content, const LayoutContext& context) {
  for (int i = 0; i < box.GetCount(); ++i) {
    Control* child = box.GetAt(i);
    if (!child->IsVisible()) {
      child->SetPos(Rect{});
      continue;
    }
    Size natural = NaturalSize(*child, context);
    Insets margin = ScaleInsets(child->GetMargin(), context.scale);
    int x, w, y, h;
    PlaceOnAxis(child->GetWidth(), natural.width, margin.left, margin.right,
                AlignIndex(child->GetHAlign()), content.left, content.Width(), context.scale,
                &x, &w);
    PlaceOnAxis(child->GetHeight(), natural.height, margin.top, margin.bottom,
                AlignIndex(child->GetVAlign()), content.top, content.Height(), context.scale,
                &y, &h);
    LayoutControl(*child, Rect{x, y, x + w, y + h}, context);
  }
}

void LayoutLinear(Box& box, const Rect& content, const Axis& axis,
                  const LayoutContext& context) {
  const int gap = ScaleValue(box.GetChildMargin(), context.scale);

  // Pass 1: measure fixed and auto children along the main axis; count the stretched ones.
  int used = 0;
  int stretchCount = 0;
  int visibleCount = 0;
  std::vector<int> mainSizes(box.GetCount(), 0);
  for (int i = 0; i < box.GetCount(); ++i) {
    const Control* child = box.GetAt(i);
    if (!child->IsVisible()) continue;
    ++visibleCount;
    Insets margin = ScaleInsets(child->GetMargin(), context.scale);
    used += axis.MainBefore(margin) + axis.MainAfter(margin);
    const Length& length = axis.MainLength(*child);
    if (length.kind == Length::kStretch) {
      ++stretchCount;
    } else {
      mainSizes[i] = axis.Main(NaturalSize(*child, context));
      used += mainSizes[i];
    }
  }
  if (visibleCount > 1) used += gap * (visibleCount - 1);

  // Pass 2: share the rest among the stretched children, the odd pixels to the first ones.
  int free = axis.MainExtent(content) - used;
  if (free < 0) free = 0;
  if (stretchCount > 0) {
    int share = free / stretchCount;
    int extra = free % stretchCount;
    for (int i = 0; i < box.GetCount(); ++i) {
      const Control* child = box.GetAt(i);
      if (!child->IsVisible() || axis.MainLength(*child).kind != Length::kStretch) continue;
      mainSizes[i] = share + (extra > 0 ? 1 : 0);
      if (extra > 0) --extra;
    }
  }

  // Pass 3: place the children one after another; on the cross axis by their own rule and
  // alignment.
  int pos = axis.MainStart(content);
  for (int i = 0; i < box.GetCount(); ++i) {
    Control* child = box.GetAt(i);
    if (!child->IsVisible()) {
      child->SetPos(Rect{});
      continue;
    }
    Insets margin = ScaleInsets(child->GetMargin(), context.scale);
    pos += axis.MainBefore(margin);
    int crossPos, crossSize;
    PlaceOnAxis(axis.CrossLength(*child), axis.Cross(NaturalSize(*child, context)),
                axis.CrossBefore(margin), axis.CrossAfter(margin), axis.CrossAlign(*child),
                axis.CrossStart(content), axis.CrossExtent(content), context.scale, &crossPos,
                &crossSize);
    LayoutControl(*child, axis.MakeRect(pos, mainSizes[i], crossPos, crossSize), context);
    pos += mainSizes[i] + axis.MainAfter(margin) + gap;
  }
}

}  // namespace

Size NaturalSize(const Control& control, const LayoutContext& context) {
  const Length& w = control.GetWidth();
  const Length& h = control.GetHeight();
  Size result;
  bool needContent = w.kind != Length::kFixed || h.kind != Length::kFixed;
  Size content = needContent ? control.MeasureContent(context) : Size{};
  Insets padding = ScaleInsets(control.GetPadding(), context.scale);
  result.width = w.kind == Length::kFixed ? ScaleValue(w.value, context.scale)
                                          : content.width + padding.Horizontal();
  result.height = h.kind == Length::kFixed ? ScaleValue(h.value, context.scale)
                                           : content.height + padding.Vertical();
  return result;
}

Size MeasureBoxContent(const Box& box, const LayoutContext& context) {
  Size result;
  int visibleCount = 0;
  bool stack = box.GetDirection() == Box::Direction::kStack;
  const Axis& axis = box.GetDirection() == Box::Direction::kHorizontal ? kHorizontal : kVertical;
  for (int i = 0; i < box.GetCount(); ++i) {
    const Control* child = box.GetAt(i);
    if (!child->IsVisible()) continue;
    ++visibleCount;
    Size natural = NaturalSize(*child, context);
    Insets margin = ScaleInsets(child->GetMargin(), context.scale);
    Size outer{natural.width + margin.Horizontal(), natural.height + margin.Vertical()};
    if (stack) {
      if (outer.width > result.width) result.width = outer.width;
      if (outer.height > result.height) result.height = outer.height;
    } else if (axis.horizontal) {
      result.width += outer.width;
      if (outer.height > result.height) result.height = outer.height;
    } else {
      result.height += outer.height;
      if (outer.width > result.width) result.width = outer.width;
    }
  }
  if (!stack && visibleCount > 1) {
    int gaps = ScaleValue(box.GetChildMargin(), context.scale) * (visibleCount - 1);
    if (axis.horizontal) result.width += gaps;
    else result.height += gaps;
  }
  return result;
}

void LayoutRoot(Control& root, const Rect& area, const LayoutContext& context) {
  Size natural = NaturalSize(root, context);
  Insets margin = ScaleInsets(root.GetMargin(), context.scale);
  int x, w, y, h;
  PlaceOnAxis(root.GetWidth(), natural.width, margin.left, margin.right,
              AlignIndex(root.GetHAlign()), area.left, area.Width(), context.scale, &x, &w);
  PlaceOnAxis(root.GetHeight(), natural.height, margin.top, margin.bottom,
              AlignIndex(root.GetVAlign()), area.top, area.Height(), context.scale, &y, &h);
  LayoutControl(root, Rect{x, y, x + w, y + h}, context);
}

void LayoutControl(Control& control, const Rect& rect, const LayoutContext& context) {
  control.SetPos(rect);
  Box* box = dynamic_cast<Box*>(&control);
  if (!box) return;
  Rect content = rect;
  content.Deflate(ScaleInsets(box->GetPadding(), context.scale));
  switch (box->GetDirection()) {
    case Box::Direction::kStack:
      LayoutStack(*box, content, context);
      break;
    case Box::Direction::kVertical:
      LayoutLinear(*box, content, kVertical, context);
      break;
    case Box::Direction::kHorizontal:
      LayoutLinear(*box, content, kHorizontal, context);
      break;
  }
}

}  // namespace ui
