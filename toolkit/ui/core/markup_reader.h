// Reads a window layout: the `Window` element's attributes and the control tree below it.
// Every element becomes a control of the type it names; its `class` attribute string (from
// global.xml) is applied first, then its own attributes, each looked up in the control
// type's attribute table. Image paths are resolved against the layout's folder.
//
//   ui::LayoutDocument doc;
//   std::string error;
//   if (!ui::ReadLayout(xml, "themes/default/basic/basic.xml", &globals, &doc, &error))
//     Log(error);   // "themes/default/basic/basic.xml:12: unknown element 'Lable'"
//
// Threading: any thread; the result belongs to the caller.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "toolkit/ui/core/control.h"

namespace ui {

class GlobalResources;

struct WindowSpec {
  Size size;              // pixels at 100 %
  Rect caption;           // drag area: left, top, right inset and height from the top
  bool shadowAttached = false;
  Size roundCorner;
  Size minInfo;
  Size maxInfo;
  std::wstring escapeButton;  // the button Esc presses; empty: "closebtn"
};

struct LayoutDocument {
  WindowSpec window;
  std::unique_ptr<Control> root;
};

// `fileName` is the archive path of the layout: it names the file in errors and gives the
// folder for images. `globals` may be null (no fonts, colours or classes).
bool ReadLayout(std::string_view xml, std::string_view fileName, const GlobalResources* globals,
                LayoutDocument* out, std::string* error);

// Creates the control an element name stands for; null for an unknown name.
std::unique_ptr<Control> CreateControl(std::string_view elementName);

}  // namespace ui
