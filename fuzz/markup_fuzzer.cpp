// Fuzzes the skin markup: global.xml, a window layout read against it, and the box layout
// of the resulting control tree at the display scales the installer supports.
//
// Input: "<global.xml bytes>\f<layout bytes>"; without a form feed (which XML never holds)
// the whole input is a layout read without global resources. Besides sanitizer findings,
// a failure must name the file it came from.
#include <cstdint>
#include <cstdlib>
#include <cstdio>
#include <string>
#include <string_view>

#include "fuzz/fuzz_input.h"
#include "toolkit/ui/core/box_layout.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/global_resources.h"
#include "toolkit/ui/core/markup_reader.h"
#include "toolkit/ui/core/text_measurer.h"

namespace {

constexpr char kGlobalPath[] = "themes/default/global.xml";
constexpr char kLayoutPath[] = "themes/default/basic/basic.xml";

// Sizes like a real font would give them: wider for longer text, taller for larger fonts.
class FuzzTextMeasurer : public ui::TextMeasurer {
 public:
  explicit FuzzTextMeasurer(const ui::GlobalResources* globals) : globals_(globals) {}
  ui::Size MeasureText(const std::wstring& text, int fontIndex, int scale) override {
    int size = 12;
    if (globals_) {
      if (const ui::FontSpec* font = globals_->FindFont(fontIndex)) size = font->size;
    }
    long long width = static_cast<long long>(text.size()) * size / 2;
    if (width > 100000) width = 100000;  // a real measurer's text is bounded by the page too
    return ui::Size{ui::ScaleValue(static_cast<int>(width), scale),
                    ui::ScaleValue(size + size / 3, scale)};
  }

 private:
  const ui::GlobalResources* globals_;
};

void ExpectNamesFile(const std::string& error, std::string_view path) {
  if (error.compare(0, path.size(), path) != 0 || error.size() <= path.size() ||
      error[path.size()] != ':') {
    std::fprintf(stderr, "error does not name %.*s: %s\n", static_cast<int>(path.size()),
                 path.data(), error.c_str());
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = fuzz::AsText(data, size);
  std::string_view globalXml;
  std::string_view layoutXml = input;
  const size_t split = input.find('\f');
  if (split != std::string_view::npos) {
    globalXml = input.substr(0, split);
    layoutXml = input.substr(split + 1);
  }

  ui::GlobalResources globals;
  const ui::GlobalResources* usedGlobals = nullptr;
  if (split != std::string_view::npos) {
    std::string error;
    if (ui::GlobalResources::Parse(globalXml, kGlobalPath, &globals, &error)) {
      usedGlobals = &globals;
    } else {
      ExpectNamesFile(error, kGlobalPath);
    }
  }

  ui::LayoutDocument doc;
  std::string error;
  if (!ui::ReadLayout(layoutXml, kLayoutPath, usedGlobals, &doc, &error)) {
    ExpectNamesFile(error, kLayoutPath);
    return 0;
  }
  if (!doc.root) std::abort();  // success must deliver the tree

  FuzzTextMeasurer measurer(usedGlobals);
  for (int scale : {100, 125, 150, 200}) {
    ui::LayoutContext context{scale, &measurer};
    const ui::Rect area{0, 0, ui::ScaleValue(doc.window.size.width, scale),
                        ui::ScaleValue(doc.window.size.height, scale)};
    ui::LayoutRoot(*doc.root, area, context);
    // What the window asks of the laid-out tree: hit testing and the Tab order.
    ui::FindControlAt(doc.root.get(), ui::Point{area.Width() / 2, area.Height() / 2});
    ui::FindControlAt(doc.root.get(), ui::Point{1, 1});
    ui::Control* first = ui::NextFocus(doc.root.get(), nullptr, true);
    ui::NextFocus(doc.root.get(), first, true);
    ui::NextFocus(doc.root.get(), first, false);
  }
  return 0;
}
