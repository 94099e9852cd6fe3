#include "toolkit/ui/core/global_resources.h"

#include <pugixml.hpp>

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/markup_error.h"

namespace ui {
namespace {

bool ParseFont(const pugi::xml_node& node, FontSpec* font, std::string* error) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    std::string_view name = a.name();
    std::string_view value = a.value();
    bool ok = true;
    if (name == "id") {
      int ignored;
      ok = ParseInt(value, &ignored);
    } else if (name == "name") {
      font->face = base::Utf8ToWideReplacing(value);
      ok = !value.empty();
    } else if (name == "size") {
      ok = ParseInt(value, &font->size) && font->size > 0 && font->size < 500;
    } else if (name == "bold") {
      ok = ParseBool(value, &font->bold);
    } else if (name == "italic") {
      ok = ParseBool(value, &font->italic);
    } else if (name == "underline") {
      ok = ParseBool(value, &font->underline);
    } else {
      *error = "unknown Font attribute '" + std::string(name) + "'";
      return false;
    }
    if (!ok) {
      *error = "bad value " + std::string(name) + "=\"" + std::string(value) + "\"";
      return false;
    }
  }
  if (font->face.empty()) {
    *error = "Font without name";
    return false;
  }
  return true;
}

bool RequireNameValue(const pugi::xml_node& node, std::string* error) {
  for (const pugi::xml_attribute& a : node.attributes()) {
    std::string_view name = a.name();
    if (name != "name" && name != "value") {
      *error = "unknown " + std::string(node.name()) + " attribute '" + std::string(name) + "'";
      return false;
    }
  }
  if (!node.attribute("name") || !node.attribute("value")) {
    *error = std::string(node.name()) + " needs name and value";
    return false;
  }
  return true;
}

}  // namespace

bool GlobalResources::Parse(std::string_view xml, std::string_view fileName,
                            GlobalResources* out, std::string* error) {
  pugi::xml_document doc;
  pugi::xml_parse_result parsed =
      doc.load_buffer(xml.data(), xml.size(), pugi::parse_default, pugi::encoding_utf8);
  if (!parsed) {
    *error = MarkupError(fileName, LineAt(xml, parsed.offset), parsed.description());
    return false;
  }
  pugi::xml_node root = doc.document_element();
  if (std::string_view(root.name()) != "Global") {
    *error = MarkupError(fileName, LineAt(xml, root.offset_debug()),
                         "root element must be Global, not '" + std::string(root.name()) + "'");
    return false;
  }
  GlobalResources result;
  for (const pugi::xml_node& node : root.children()) {
    if (node.type() != pugi::node_element) continue;
    std::string_view kind = node.name();
    std::string message;
    bool ok;
    if (kind == "Font") {
      FontSpec font;
      ok = ParseFont(node, &font, &message);
      if (ok) result.AddFont(font);
    } else if (kind == "TextColor") {
      Color color = 0;
      ok = RequireNameValue(node, &message);
      if (ok && !ParseHexColor(node.attribute("value").value(), &color)) {
        message = "bad colour \"" + std::string(node.attribute("value").value()) + "\"";
        ok = false;
      }
      if (ok) result.AddColor(node.attribute("name").value(), color);
    } else if (kind == "Class") {
      ok = RequireNameValue(node, &message);
      if (ok) result.AddClass(node.attribute("name").value(), node.attribute("value").value());
    } else {
      ok = false;
      message = "unknown element '" + std::string(kind) + "'";
    }
    if (!ok) {
      *error = MarkupError(fileName, LineAt(xml, node.offset_debug()), message);
      return false;
    }
  }
  *out = std::move(result);
  return true;
}

const FontSpec* GlobalResources::FindFont(int index) const {
  if (index < 0 || index >= static_cast<int>(fonts_.size())) return nullptr;
  return &fonts_[index];
}

bool GlobalResources::FindColor(std::string_view name, Color* out) const {
  auto it = colors_.find(name);
  if (it == colors_.end()) return false;
  *out = it->second;
  return true;
}

const std::string* GlobalResources::FindClass(std::string_view name) const {
  auto it = classes_.find(name);
  return it == classes_.end() ? nullptr : &it->second;
}

}  // namespace ui
