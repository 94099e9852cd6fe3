#include "toolkit/ui/core/box.h"

#include "toolkit/ui/core/box_layout.h"

namespace ui {

const AttributeTable& Box::ClassAttributes() {
  static const AttributeTable table(&Control::ClassAttributes(), {
      {"childmargin", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         int m = 0;
         if (!ParseInt(v, &m) || m < 0) {
           *e = "bad childmargin \"" + std::string(v) + "\"";
           return false;
         }
         static_cast<Box&>(c).SetChildMargin(m);
         return true;
       }},
  });
  return table;
}

Box::~Box() = default;

Control* Box::Add(std::unique_ptr<Control> child) {
  child->SetParent(this);
  children_.push_back(std::move(child));
  RequestLayout();
  return children_.back().get();
}

Control* Box::FindByName(const std::wstring& name) {
  if (GetName() == name) return this;
  for (const auto& child : children_) {
    if (Box* box = dynamic_cast<Box*>(child.get())) {
      if (Control* found = box->FindByName(name)) return found;
    } else if (child->GetName() == name) {
      return child.get();
    }
  }
  return nullptr;
}

Size Box::MeasureContent(const LayoutContext& context) const {
  return MeasureBoxContent(*this, context);
}

}  // namespace ui
