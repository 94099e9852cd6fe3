#include "toolkit/ui/core/values.h"

#include <cstdint>
#include <vector>

namespace ui {
namespace {

constexpr int kMaxMarkupNumber = 32767;

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool ParseIntList(std::string_view text, int* values, size_t count) {
  size_t i = 0;
  while (true) {
    size_t comma = text.find(',');
    std::string_view part = text.substr(0, comma);
    if (i >= count || !ParseInt(part, &values[i])) return false;
    ++i;
    if (comma == std::string_view::npos) break;
    text.remove_prefix(comma + 1);
  }
  return i == count;
}

}  // namespace

bool ParseBool(std::string_view text, bool* out) {
  text = Trim(text);
  if (text == "true") {
    *out = true;
    return true;
  }
  if (text == "false") {
    *out = false;
    return true;
  }
  return false;
}

bool ParseInt(std::string_view text, int* out) {
  text = Trim(text);
  if (text.empty()) return false;
  bool negative = false;
  if (text.front() == '-' || text.front() == '+') {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  // Markup numbers are pixels, percents, indexes and alphas: at most 32767, so that no sum
  // of them in the layout can overflow.
  if (text.empty() || text.size() > 5) return false;
  int v = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  if (v > kMaxMarkupNumber) return false;
  *out = negative ? -v : v;
  return true;
}

bool ParseInsets(std::string_view text, Insets* out) {
  int v[4];
  if (!ParseIntList(text, v, 4)) return false;
  *out = Insets{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseRect(std::string_view text, Rect* out) {
  int v[4];
  if (!ParseIntList(text, v, 4)) return false;
  *out = Rect{v[0], v[1], v[2], v[3]};
  return true;
}

bool ParseSize(std::string_view text, Size* out) {
  int v[2];
  if (!ParseIntList(text, v, 2) || v[0] < 0 || v[1] < 0) return false;
  *out = Size{v[0], v[1]};
  return true;
}

bool ParseLength(std::string_view text, Length* out) {
  text = Trim(text);
  if (text == "auto") {
    *out = Length::Auto();
    return true;
  }
  if (text == "stretch") {
    *out = Length::Stretch();
    return true;
  }
  int v = 0;
  if (!ParseInt(text, &v) || v < 0) return false;
  *out = Length::Fixed(v);
  return true;
}

bool ParseHexColor(std::string_view text, Color* out) {
  text = Trim(text);
  if (text.size() != 9 && text.size() != 7) return false;
  if (text.front() != '#') return false;
  Color v = 0;
  for (char c : text.substr(1)) {
    int d;
    if (c >= '0' && c <= '9') d = c - '0';
    else if (c >= 'a' && c <= 'f') d = c - 'a' + 10;
    else if (c >= 'A' && c <= 'F') d = c - 'A' + 10;
    else return false;
    v = (v << 4) | static_cast<Color>(d);
  }
  if (text.size() == 7) v |= 0xff000000u;
  *out = v;
  return true;
}

bool ParseHAlign(std::string_view text, HAlign* out) {
  text = Trim(text);
  if (text == "left") *out = HAlign::kLeft;
  else if (text == "center") *out = HAlign::kCenter;
  else if (text == "right") *out = HAlign::kRight;
  else return false;
  return true;
}

bool ParseVAlign(std::string_view text, VAlign* out) {
  text = Trim(text);
  if (text == "top") *out = VAlign::kTop;
  else if (text == "center") *out = VAlign::kCenter;
  else if (text == "bottom") *out = VAlign::kBottom;
  else return false;
  return true;
}

bool ParseImageSpec(std::string_view text, ImageSpec* out, std::string* error) {
  ImageSpec imageSpec;
  text = Trim(text);
  if (text.find('=') == std::string_view::npos) {
    if (text.empty()) {
      *error = "empty image";
      return false;
    }
    imageSpec.file = std::string(text);
    *out = imageSpec;
    return true;
  }
  while (!text.empty()) {
    size_t eq = text.find('=');
    if (eq == std::string_view::npos || eq + 1 >= text.size() || text[eq + 1] != '\'') {
      *error = "image descriptor fields must read name='value'";
      return false;
    }
    std::string_view key = Trim(text.substr(0, eq));
    size_t end = text.find('\'', eq + 2);
    if (end == std::string_view::npos) {
      *error = "unterminated quote in image descriptor";
      return false;
    }
    std::string_view value = text.substr(eq + 2, end - eq - 2);
    bool ok = true;
    if (key == "file") imageSpec.file = std::string(value);
    else if (key == "corner") ok = ParseInsets(value, &imageSpec.corner);
    else if (key == "source") ok = ParseRect(value, &imageSpec.source);
    else if (key == "dest") ok = ParseRect(value, &imageSpec.dest);
    else if (key == "fade") ok = ParseInt(value, &imageSpec.fade) && imageSpec.fade >= 0 && imageSpec.fade <= 255;
    else {
      *error = "unknown image field '" + std::string(key) + "'";
      return false;
    }
    if (!ok) {
      *error = "bad image field " + std::string(key) + "='" + std::string(value) + "'";
      return false;
    }
    text = Trim(text.substr(end + 1));
  }
  if (imageSpec.file.empty()) {
    *error = "image descriptor without file";
    return false;
  }
  *out = imageSpec;
  return true;
}

std::string JoinPath(std::string_view folder, std::string_view relative) {
  std::vector<std::string> parts;
  auto add = [&parts](std::string_view path) {
    size_t start = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
      if (i == path.size() || path[i] == '/' || path[i] == '\\') {
        std::string_view seg = path.substr(start, i - start);
        if (seg == "..") {
          if (!parts.empty()) parts.pop_back();
        } else if (!seg.empty() && seg != ".") {
          parts.emplace_back(seg);
        }
        start = i + 1;
      }
    }
  };
  add(folder);
  add(relative);
  std::string out;
  for (const std::string& p : parts) {
    if (!out.empty()) out += '/';
    out += p;
  }
  return out;
}

std::string FolderOf(std::string_view path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string_view::npos ? std::string() : std::string(path.substr(0, slash));
}

}  // namespace ui
