// The attributes one control type understands, with the function that applies each. Every
// control type keeps one static table chained to its base type's table; the markup reader
// looks an attribute up there and reports an unknown name or a rejected value.
//
//   const AttributeTable& Label::ClassAttributes() {
//     static const AttributeTable table(&Control::ClassAttributes(), {
//         {"text", [](Control& c, std::string_view v, const MarkupContext&, std::string*) {
//            static_cast<Label&>(c).SetText(base::Utf8ToWideReplacing(v)); return true; }},
//     });
//     return table;
//   }
//
// Threading: tables are built on first use (thread-safe statics) and read-only afterwards.
#pragma once

#include <initializer_list>
#include <map>
#include <string>
#include <string_view>
#include <utility>

#include "toolkit/ui/core/values.h"

namespace ui {

class Control;
class GlobalResources;

// What an attribute setter may look up: the global fonts, colours and classes, and the
// folder that relative image paths are resolved against.
class MarkupContext {
 public:
  MarkupContext(const GlobalResources* globals, std::string imageFolder)
      : globals_(globals), imageFolder_(std::move(imageFolder)) {}

  // "#AARRGGBB" or the name of a TextColor.
  bool ResolveColor(std::string_view text, Color* out, std::string* error) const;
  // A plain path or an image descriptor; the file is joined to the image folder.
  bool ResolveImage(std::string_view text, ImageSpec* out, std::string* error) const;
  // The index of a Font of global.xml.
  bool ResolveFont(std::string_view text, int* out, std::string* error) const;
  // A text: "@key" is the display language's text for key (toolkit/base/text_table.h), an
  // error when the table lacks it; "@@..." is the literal "@..."; anything else is itself.
  bool ResolveText(std::string_view text, std::wstring* out, std::string* error) const;

  const GlobalResources* globals() const { return globals_; }

 private:
  const GlobalResources* globals_;  // not owned; may be null in tests without global.xml
  std::string imageFolder_;
};

// Applies one attribute value; returns false with `error` set for a value it rejects.
using AttributeSetter = bool (*)(Control& control, std::string_view value,
                                 const MarkupContext& context, std::string* error);

class AttributeTable {
 public:
  AttributeTable(const AttributeTable* base,
                 std::initializer_list<std::pair<const char*, AttributeSetter>> entries);

  // The setter for `name` in this table or its base tables; null when no table has it.
  AttributeSetter Find(std::string_view name) const;

 private:
  const AttributeTable* base_;  // the base type's table, a static; may be null
  std::map<std::string, AttributeSetter, std::less<>> entries_;
};

}  // namespace ui
