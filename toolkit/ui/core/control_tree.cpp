#include "toolkit/ui/core/control_tree.h"

#include <algorithm>

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/progress.h"

namespace ui {

Control* FindControlAt(Control* root, Point point) {
  if (!root || !root->IsVisible() || !root->GetPos().Contains(point)) return nullptr;
  if (Box* box = dynamic_cast<Box*>(root)) {
    for (int i = box->GetCount() - 1; i >= 0; --i)
      if (Control* hit = FindControlAt(box->GetAt(i), point)) return hit;
  }
  return root;
}

std::vector<Control*> FocusOrder(Control* root) {
  std::vector<Control*> order;
  ForEachControl(root, [&order](Control* c) {
    if (c->IsFocusable() && c->IsShownInTree() && c->IsEnabledInTree() &&
        !c->GetPos().IsEmpty())
      order.push_back(c);
  });
  return order;
}

Control* NextFocus(Control* root, Control* current, bool forward) {
  std::vector<Control*> order = FocusOrder(root);
  if (order.empty()) return nullptr;
  auto it = std::find(order.begin(), order.end(), current);
  if (it == order.end()) return forward ? order.front() : order.back();
  size_t index = static_cast<size_t>(it - order.begin());
  size_t n = order.size();
  return order[forward ? (index + 1) % n : (index + n - 1) % n];
}

namespace {

void AddImageFile(const ImageSpec& image, std::vector<std::string>* files) {
  if (!image.IsEmpty() && std::find(files->begin(), files->end(), image.file) == files->end())
    files->push_back(image.file);
}

}  // namespace

const ImageSpec& ButtonStateImage(const Button& b) {
  const CheckBox* check = dynamic_cast<const CheckBox*>(&b);
  bool enabled = b.IsEnabledInTree();
  if (check && check->IsSelected()) {
    if (!enabled && !check->GetSelectedDisabledImage().IsEmpty())
      return check->GetSelectedDisabledImage();
    if (b.IsHot() && !check->GetSelectedHotImage().IsEmpty()) return check->GetSelectedHotImage();
    return check->GetSelectedNormalImage();
  }
  if (!enabled && !b.GetDisabledImage().IsEmpty()) return b.GetDisabledImage();
  if (enabled && b.IsPushed() && !b.GetPushedImage().IsEmpty()) return b.GetPushedImage();
  if (enabled && (b.IsHot() || b.IsPushed()) && !b.GetHotImage().IsEmpty())
    return b.GetHotImage();
  return b.GetNormalImage();
}

std::vector<DrawnImage> ImagesDrawnNow(Control* root) {
  std::vector<DrawnImage> drawn;
  if (!root) return drawn;
  ForEachControl(root, [&drawn](Control* c) {
    if (!c->IsShownInTree()) return;
    auto add = [&drawn, c](const ImageSpec& image) {
      if (!image.IsEmpty()) drawn.push_back(DrawnImage{&image, c});
    };
    add(c->GetBkImage());
    if (const Progress* progress = dynamic_cast<const Progress*>(c))
      add(progress->GetProgressImage());
    if (const Button* b = dynamic_cast<const Button*>(c)) {
      add(ButtonStateImage(*b));
      add(b->IsHot() && !b->GetForeHotImage().IsEmpty() ? b->GetForeHotImage()
                                                        : b->GetForeNormalImage());
    }
  });
  return drawn;
}

std::vector<std::string> ImageFilesIn(Control* root) {
  std::vector<std::string> files;
  if (!root) return files;
  auto add = [&files](const ImageSpec& image) { AddImageFile(image, &files); };
  ForEachControl(root, [&add](Control* c) {
    add(c->GetBkImage());
    if (const Button* b = dynamic_cast<const Button*>(c)) {
      for (const ImageSpec* image :
           {&b->GetNormalImage(), &b->GetHotImage(), &b->GetPushedImage(),
            &b->GetDisabledImage(), &b->GetForeNormalImage(), &b->GetForeHotImage()})
        add(*image);
    }
    if (const CheckBox* check = dynamic_cast<const CheckBox*>(c)) {
      for (const ImageSpec* image : {&check->GetSelectedNormalImage(),
                                     &check->GetSelectedHotImage(),
                                     &check->GetSelectedDisabledImage()})
        add(*image);
    }
    if (const Progress* progress = dynamic_cast<const Progress*>(c)) add(progress->GetProgressImage());
  });
  return files;
}

}  // namespace ui
