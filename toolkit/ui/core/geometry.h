// Plain geometry for the toolkit: points, sizes, rectangles and edge insets in pixels, and
// the scaling of 100 % markup values to the display scale. No platform types here, so the
// markup and layout code builds natively too.
//
//   ui::Rect r{0, 0, 600, 400};
//   r.Deflate(ui::Insets{10, 10, 10, 10});   // r is now {10, 10, 590, 390}
//
// Threading: plain values, any thread.
#pragma once

namespace ui {

struct Point {
  int x = 0;
  int y = 0;
};

struct Size {
  int width = 0;
  int height = 0;
  bool operator==(const Size& o) const { return width == o.width && height == o.height; }
};

// left, top, right, bottom: the distances from each edge.
struct Insets {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Horizontal() const { return left + right; }
  int Vertical() const { return top + bottom; }
  bool IsEmpty() const { return left == 0 && top == 0 && right == 0 && bottom == 0; }
  bool operator==(const Insets& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// Edges, not origin and size: right and bottom are exclusive.
struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  bool Contains(Point p) const { return p.x >= left && p.x < right && p.y >= top && p.y < bottom; }
  void Deflate(const Insets& in) {
    left += in.left;
    top += in.top;
    right -= in.right;
    bottom -= in.bottom;
    if (right < left) right = left;
    if (bottom < top) bottom = top;
  }
  void Offset(int dx, int dy) {
    left += dx;
    right += dx;
    top += dy;
    bottom += dy;
  }
  Rect Intersect(const Rect& o) const {
    Rect r{left > o.left ? left : o.left, top > o.top ? top : o.top,
           right < o.right ? right : o.right, bottom < o.bottom ? bottom : o.bottom};
    if (r.IsEmpty()) return Rect{};
    return r;
  }
  Rect Union(const Rect& o) const {
    if (IsEmpty()) return o;
    if (o.IsEmpty()) return *this;
    return Rect{left < o.left ? left : o.left, top < o.top ? top : o.top,
                right > o.right ? right : o.right, bottom > o.bottom ? bottom : o.bottom};
  }
  bool operator==(const Rect& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
  bool operator!=(const Rect& o) const { return !(*this == o); }
};

// A value written for 100 % at `percent` display scale, rounded to the nearest pixel.
inline int ScaleValue(int value, int percent) {
  long long v = static_cast<long long>(value) * percent;
  return static_cast<int>(v >= 0 ? (v + 50) / 100 : (v - 50) / 100);
}

inline Insets ScaleInsets(const Insets& in, int percent) {
  return Insets{ScaleValue(in.left, percent), ScaleValue(in.top, percent),
                ScaleValue(in.right, percent), ScaleValue(in.bottom, percent)};
}

inline Rect ScaleRect(const Rect& r, int percent) {
  return Rect{ScaleValue(r.left, percent), ScaleValue(r.top, percent),
              ScaleValue(r.right, percent), ScaleValue(r.bottom, percent)};
}

}  // namespace ui
