// The theme-wide markup of global.xml: fonts by index, named text colours and style classes
// (attribute strings applied before a control's own attributes).
//
//   ui::GlobalResources globals;
//   std::string error;
//   if (!ui::GlobalResources::Parse(xml, "themes/default/global.xml", &globals, &error)) ...
//
// Threading: parsed once at start-up, then read-only (any thread).
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "toolkit/ui/core/values.h"

namespace ui {

struct FontSpec {
  std::wstring face;  // "system" means the system UI font with a CJK-capable fallback
  int size = 12;      // pixels at 100 %
  bool bold = false;
  bool italic = false;
  bool underline = false;
};

class GlobalResources {
 public:
  // Reads a `Global` document. On failure `error` names the file and line.
  static bool Parse(std::string_view xml, std::string_view fileName, GlobalResources* out,
                    std::string* error);

  const std::vector<FontSpec>& fonts() const { return fonts_; }
  const FontSpec* FindFont(int index) const;
  bool FindColor(std::string_view name, Color* out) const;
  const std::string* FindClass(std::string_view name) const;

  void AddFont(const FontSpec& font) { fonts_.push_back(font); }
  void AddColor(const std::string& name, Color value) { colors_[name] = value; }
  void AddClass(const std::string& name, const std::string& value) { classes_[name] = value; }

 private:
  std::vector<FontSpec> fonts_;
  std::map<std::string, Color, std::less<>> colors_;
  std::map<std::string, std::string, std::less<>> classes_;
};

}  // namespace ui
