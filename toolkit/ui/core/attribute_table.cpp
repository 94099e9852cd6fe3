#include "toolkit/ui/core/attribute_table.h"

#include "toolkit/ui/core/global_resources.h"
#include "toolkit/base/text_table.h"
#include "toolkit/base/utf8.h"

namespace ui {

bool MarkupContext::ResolveColor(std::string_view text, Color* out, std::string* error) const {
  if (!text.empty() && text.front() == '#') {
    if (ParseHexColor(text, out)) return true;
    *error = "bad colour '" + std::string(text) + "' (expected #AARRGGBB)";
    return false;
  }
  if (globals_ && globals_->FindColor(text, out)) return true;
  *error = "unknown colour '" + std::string(text) + "'";
  return false;
}

bool MarkupContext::ResolveImage(std::string_view text, ImageSpec* out,
                                 std::string* error) const {
  ImageSpec imageSpec;
  if (!ParseImageSpec(text, &imageSpec, error)) return false;
  imageSpec.file = JoinPath(imageFolder_, imageSpec.file);
  *out = imageSpec;
  return true;
}

bool MarkupContext::ResolveFont(std::string_view text, int* out, std::string* error) const {
  int index = 0;
  if (!ParseInt(text, &index) || index < 0) {
    *error = "bad font index '" + std::string(text) + "'";
    return false;
  }
  if (globals_ && !globals_->FindFont(index)) {
    *error = "font " + std::to_string(index) + " is not defined in global.xml";
    return false;
  }
  *out = index;
  return true;
}

bool MarkupContext::ResolveText(std::string_view text, std::wstring* out,
                                std::string* error) const {
  if (text.empty() || text.front() != '@') {
    *out = base::Utf8ToWideReplacing(text);
    return true;
  }
  text.remove_prefix(1);
  if (!text.empty() && text.front() == '@') {
    *out = base::Utf8ToWideReplacing(text);
    return true;
  }
  const std::wstring* value = base::Texts().Find(text);
  if (!value) {
    *error = "unknown text key '" + std::string(text) + "'";
    return false;
  }
  *out = *value;
  return true;
}

AttributeTable::AttributeTable(
    const AttributeTable* base,
    std::initializer_list<std::pair<const char*, AttributeSetter>> entries)
    : base_(base) {
  for (const auto& e : entries) entries_.emplace(e.first, e.second);
}

AttributeSetter AttributeTable::Find(std::string_view name) const {
  for (const AttributeTable* t = this; t; t = t->base_) {
    auto it = t->entries_.find(name);
    if (it != t->entries_.end()) return it->second;
  }
  return nullptr;
}

}  // namespace ui
