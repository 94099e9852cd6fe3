// Containers. A `Box` stacks its children on top of each other (each gets the whole content
// area); a `VBox` places them one below the other, an `HBox` side by side, with `childmargin`
// pixels between neighbours. The box owns its children.
//
//   auto box = std::make_unique<ui::VBox>();
//   box->Add(std::make_unique<ui::Label>());
//   ui::Label* found = box->FindByName<ui::Label>(L"title");
//
// Threading: UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "toolkit/ui/core/control.h"

namespace ui {

class Box : public Control {
 public:
  enum class Direction { kStack, kVertical, kHorizontal };

  Box() : Box(Direction::kStack) {}
  ~Box() override;

  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "Box"; }

  Direction GetDirection() const { return direction_; }
  int GetChildMargin() const { return childMargin_; }
  void SetChildMargin(int margin) { childMargin_ = margin; }

  Control* Add(std::unique_ptr<Control> child);
  int GetCount() const { return static_cast<int>(children_.size()); }
  Control* GetAt(int index) const { return children_[index].get(); }

  // The first control named `name` in this subtree (this box included), depth first.
  Control* FindByName(const std::wstring& name);
  // The same, only when it is a T; null when missing or of another type.
  template <typename T>
  T* FindByName(const std::wstring& name) {
    return dynamic_cast<T*>(FindByName(name));
  }

  Size MeasureContent(const LayoutContext& context) const override;

 protected:
  explicit Box(Direction direction) : direction_(direction) {}

 private:
  Direction direction_;
  int childMargin_ = 0;  // pixels at 100 % between neighbours
  std::vector<std::unique_ptr<Control>> children_;
};

class VBox : public Box {
 public:
  VBox() : Box(Direction::kVertical) {}
  const char* TypeName() const override { return "VBox"; }
};

class HBox : public Box {
 public:
  HBox() : Box(Direction::kHorizontal) {}
  const char* TypeName() const override { return "HBox"; }
};

// Visits `root` and every control below it in document order (parents before children).
template <typename F>
void ForEachControl(Control* root, F&& visit) {
  visit(root);
  if (Box* box = dynamic_cast<Box*>(root))
    for (int i = 0; i < box->GetCount(); ++i) ForEachControl(box->GetAt(i), visit);
}

}  // namespace ui
