// Attribute value types of the skin markup and their parsers: booleans, integers, insets,
// rectangles, sizes, lengths (a number, "auto" or "stretch"), colours and image descriptors.
// Each parser returns false for a malformed value, so the markup reader can name the file
// and line.
//
//   ui::Length w;
//   ui::ParseLength("stretch", &w);   // w.kind == ui::Length::kStretch
//
// Threading: plain functions, any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "toolkit/ui/core/geometry.h"

namespace ui {

struct Length {
  enum Kind { kFixed, kAuto, kStretch };
  Kind kind = kStretch;
  int value = 0;  // pixels at 100 %, for kFixed

  static Length Fixed(int v) { return Length{kFixed, v}; }
  static Length Auto() { return Length{kAuto, 0}; }
  static Length Stretch() { return Length{kStretch, 0}; }
};

// 0xAARRGGBB; alpha 0 means "no colour".
using Color = uint32_t;

enum class HAlign { kLeft, kCenter, kRight };
enum class VAlign { kTop, kCenter, kBottom };

// An image as the markup names it. `file` is the archive path after resolution against the
// folder of the layout that used it; the rectangles are in image pixels (source) and in
// control coordinates at 100 % (dest).
struct ImageSpec {
  std::string file;
  Insets corner;       // nine-slice insets in image pixels
  Rect source;         // empty: the whole image
  Rect dest;           // empty: the whole control
  int fade = 255;      // alpha applied when drawing

  bool IsEmpty() const { return file.empty(); }
};

bool ParseBool(std::string_view text, bool* out);
bool ParseInt(std::string_view text, int* out);
bool ParseInsets(std::string_view text, Insets* out);  // "l,t,r,b"
bool ParseRect(std::string_view text, Rect* out);      // "l,t,r,b"
bool ParseSize(std::string_view text, Size* out);      // "w,h"
bool ParseLength(std::string_view text, Length* out);
bool ParseHexColor(std::string_view text, Color* out);  // "#AARRGGBB" or "#RRGGBB"
bool ParseHAlign(std::string_view text, HAlign* out);
bool ParseVAlign(std::string_view text, VAlign* out);

// Parses "file='a.png' corner='8,8,8,8' source='..' dest='..' fade='80'" or a plain path.
// `file` is left as written; the caller resolves it.
bool ParseImageSpec(std::string_view text, ImageSpec* out, std::string* error);

// Joins a folder and a relative path with '/', turning '\\' into '/' and folding "." and
// ".." segments: JoinPath("themes/default/basic", "../public/x.png") gives
// "themes/default/public/x.png". A ".." above the root is dropped.
std::string JoinPath(std::string_view folder, std::string_view relative);

// The folder part of a path ("a/b/c.xml" -> "a/b").
std::string FolderOf(std::string_view path);

}  // namespace ui
