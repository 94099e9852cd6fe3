#include "toolkit/ui/core/markup_reader.h"

#include <pugixml.hpp>

#include <functional>

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/global_resources.h"
#include "toolkit/ui/core/markup_error.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"

namespace ui {
namespace {

constexpr int kMaxNesting = 64;
constexpr int kMaxControls = 4096;

class Reader {
 public:
  Reader(std::string_view xml, std::string_view fileName, const GlobalResources* globals)
      : xml_(xml), fileName_(fileName), globals_(globals),
        context_(globals, FolderOf(fileName)) {}

  bool Fail(const pugi::xml_node& node, const std::string& message) {
    error_ = MarkupError(fileName_, LineAt(xml_, node.offset_debug()), message);
    return false;
  }

  bool ReadWindow(const pugi::xml_node& node, WindowSpec* windowSpec) {
    for (const pugi::xml_attribute& a : node.attributes()) {
      std::string_view name = a.name();
      std::string_view value = a.value();
      bool ok;
      if (name == "size") ok = ParseSize(value, &windowSpec->size);
      else if (name == "caption") ok = ParseRect(value, &windowSpec->caption);
      else if (name == "shadowattached") ok = ParseBool(value, &windowSpec->shadowAttached);
      else if (name == "roundcorner") ok = ParseSize(value, &windowSpec->roundCorner);
      else if (name == "mininfo") ok = ParseSize(value, &windowSpec->minInfo);
      else if (name == "maxinfo") ok = ParseSize(value, &windowSpec->maxInfo);
      else if (name == "escapebutton") ok = !(windowSpec->escapeButton = base::Utf8ToWideReplacing(value)).empty();
      else return Fail(node, "unknown Window attribute '" + std::string(name) + "'");
      if (!ok)
        return Fail(node, "bad value " + std::string(name) + "=\"" + std::string(value) + "\"");
    }
    return true;
  }

  std::unique_ptr<Control> ReadControl(const pugi::xml_node& node, int depth = 1) {
    // Real layouts are a few levels deep with a few dozen controls. The limits keep a broken
    // or hostile skin from exhausting the stack here and in the (recursive) layout, and,
    // with markup numbers at most 32767, keep every layout sum within int.
    if (depth > kMaxNesting) {
      Fail(node, "elements nested deeper than " + std::to_string(kMaxNesting));
      return nullptr;
    }
    if (++controlCount_ > kMaxControls) {
      Fail(node, "more than " + std::to_string(kMaxControls) + " controls");
      return nullptr;
    }
    std::unique_ptr<Control> control = CreateControl(node.name());
    if (!control) {
      Fail(node, "unknown element '" + std::string(node.name()) + "'");
      return nullptr;
    }
    if (pugi::xml_attribute cls = node.attribute("class")) {
      if (!ApplyClass(node, cls.value(), *control)) return nullptr;
    }
    for (const pugi::xml_attribute& a : node.attributes()) {
      if (std::string_view(a.name()) == "class") continue;
      std::string message;
      if (!Apply(*control, a.name(), a.value(), &message)) {
        Fail(node, message);
        return nullptr;
      }
    }
    Box* box = dynamic_cast<Box*>(control.get());
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() != pugi::node_element) continue;
      if (!box) {
        Fail(child, std::string(node.name()) + " cannot hold child elements");
        return nullptr;
      }
      std::unique_ptr<Control> c = ReadControl(child, depth + 1);
      if (!c) return nullptr;
      box->Add(std::move(c));
    }
    return control;
  }

  const std::string& error() const { return error_; }

 private:
  bool Apply(Control& control, std::string_view name, std::string_view value,
             std::string* message) {
    AttributeSetter setter = control.Attributes().Find(name);
    if (!setter) {
      *message = std::string(control.TypeName()) + " has no attribute '" + std::string(name) +
                 "'";
      return false;
    }
    return setter(control, value, context_, message);
  }

  // A class is an attribute string such as `font="7" normalimage="file='a.png'"`; the XML
  // parser reads it as the attributes of a made-up element.
  bool ApplyClass(const pugi::xml_node& node, std::string_view name, Control& control) {
    const std::string* value = globals_ ? globals_->FindClass(name) : nullptr;
    if (!value) return Fail(node, "unknown class '" + std::string(name) + "'");
    pugi::xml_document doc;
    std::string wrapped = "<class " + *value + "/>";
    if (!doc.load_buffer(wrapped.data(), wrapped.size(), pugi::parse_default,
                         pugi::encoding_utf8))
      return Fail(node, "class '" + std::string(name) + "' is not an attribute list");
    for (const pugi::xml_attribute& a : doc.document_element().attributes()) {
      std::string message;
      if (!Apply(control, a.name(), a.value(), &message))
        return Fail(node, "in class '" + std::string(name) + "': " + message);
    }
    return true;
  }

  std::string_view xml_;
  std::string_view fileName_;
  const GlobalResources* globals_;
  MarkupContext context_;
  std::string error_;
  int controlCount_ = 0;
};

}  // namespace

std::unique_ptr<Control> CreateControl(std::string_view elementName) {
  static const std::pair<const char*, std::unique_ptr<Control> (*)()> kTypes[] = {
      {"Control", [] { return std::unique_ptr<Control>(new Control); }},
      {"Box", [] { return std::unique_ptr<Control>(new Box); }},
      {"VBox", [] { return std::unique_ptr<Control>(new VBox); }},
      {"HBox", [] { return std::unique_ptr<Control>(new HBox); }},
      {"Label", [] { return std::unique_ptr<Control>(new Label); }},
      {"Button", [] { return std::unique_ptr<Control>(new Button); }},
      {"CheckBox", [] { return std::unique_ptr<Control>(new CheckBox); }},
      {"Progress", [] { return std::unique_ptr<Control>(new Progress); }},
      {"RichEdit", [] { return std::unique_ptr<Control>(new RichEdit); }},
  };
  for (const auto& t : kTypes)
    if (elementName == t.first) return t.second();
  return nullptr;
}

bool ReadLayout(std::string_view xml, std::string_view fileName, const GlobalResources* globals,
                LayoutDocument* out, std::string* error) {
  pugi::xml_document doc;
  pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    *error = MarkupError(fileName, LineAt(xml, parsed.offset), parsed.description());
    return false;
  }
  Reader reader(xml, fileName, globals);
  pugi::xml_node window = doc.document_element();
  if (std::string_view(window.name()) != "Window") {
    reader.Fail(window, "root element must be Window, not '" + std::string(window.name()) + "'");
    *error = reader.error();
    return false;
  }
  LayoutDocument result;
  if (!reader.ReadWindow(window, &result.window)) {
    *error = reader.error();
    return false;
  }
  pugi::xml_node rootNode;
  int count = 0;
  for (const pugi::xml_node& child : window.children()) {
    if (child.type() != pugi::node_element) continue;
    if (count++ == 0) rootNode = child;
  }
  if (count != 1) {
    reader.Fail(window, "Window must hold exactly one element, the root box");
    *error = reader.error();
    return false;
  }
  result.root = reader.ReadControl(rootNode);
  if (!result.root) {
    *error = reader.error();
    return false;
  }
  *out = std::move(result);
  return true;
}

}  // namespace ui
