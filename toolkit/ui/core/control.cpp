#include "toolkit/ui/core/control.h"

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/box.h"

namespace ui {
namespace {

bool Bad(std::string_view what, std::string_view value, std::string* error) {
  *error = "bad " + std::string(what) + " \"" + std::string(value) + "\"";
  return false;
}

}  // namespace

const AttributeTable& Control::ClassAttributes() {
  static const AttributeTable table(nullptr, {
      {"name", [](Control& c, std::string_view v, const MarkupContext&, std::string*) {
         c.SetName(base::Utf8ToWideReplacing(v));
         return true;
       }},
      {"width", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         Length l;
         if (!ParseLength(v, &l)) return Bad("width", v, e);
         c.SetWidth(l);
         return true;
       }},
      {"height", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         Length l;
         if (!ParseLength(v, &l)) return Bad("height", v, e);
         c.SetHeight(l);
         return true;
       }},
      {"margin", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         Insets in;
         if (!ParseInsets(v, &in)) return Bad("margin", v, e);
         c.SetMargin(in);
         return true;
       }},
      {"padding", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         Insets in;
         if (!ParseInsets(v, &in)) return Bad("padding", v, e);
         c.SetPadding(in);
         return true;
       }},
      {"halign", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         HAlign a;
         if (!ParseHAlign(v, &a)) return Bad("halign", v, e);
         c.SetHAlign(a);
         return true;
       }},
      {"valign", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         VAlign a;
         if (!ParseVAlign(v, &a)) return Bad("valign", v, e);
         c.SetVAlign(a);
         return true;
       }},
      {"visible", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         bool b;
         if (!ParseBool(v, &b)) return Bad("visible", v, e);
         c.visible_ = b;
         return true;
       }},
      {"enabled", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         bool b;
         if (!ParseBool(v, &b)) return Bad("enabled", v, e);
         c.enabled_ = b;
         return true;
       }},
      {"bkcolor", [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveColor(v, &c.bkcolor_, e);
       }},
      {"bkimage", [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveImage(v, &c.bkimage_, e);
       }},
      {"cursor", [](Control& c, std::string_view v, const MarkupContext&, std::string* e) {
         if (v == "hand") c.handCursor_ = true;
         else if (v == "arrow") c.handCursor_ = false;
         else return Bad("cursor", v, e);
         return true;
       }},
      {"tooltip", [](Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
         return m.ResolveText(v, &c.toolTip_, e);
       }},
  });
  return table;
}

Control::Control() = default;
Control::~Control() = default;

ControlHost* Control::GetHost() const {
  const Control* c = this;
  while (c->parent_) c = c->parent_;
  return c->host_;
}

void Control::SetText(const std::wstring& text) {
  if (text == text_) return;
  text_ = text;
  // An auto-sized control may change size with its text.
  if (width_.kind == Length::kAuto || height_.kind == Length::kAuto) RequestLayout();
  Invalidate();
}

void Control::SetVisible(bool visible) {
  if (visible == visible_) return;
  Invalidate();  // the area it leaves
  visible_ = visible;
  RequestLayout();
  NotifyStateChanged();
}

bool Control::IsShownInTree() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->visible_) return false;
  return true;
}

void Control::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Invalidate();
  NotifyStateChanged();
}

bool Control::IsEnabledInTree() const {
  for (const Control* c = this; c; c = c->parent_)
    if (!c->enabled_) return false;
  return true;
}

void Control::SetFixedWidth(int width) {
  width_ = Length::Fixed(width);
  RequestLayout();
}

void Control::SetFixedHeight(int height) {
  height_ = Length::Fixed(height);
  RequestLayout();
}

void Control::SetBkColor(Color color) {
  bkcolor_ = color;
  Invalidate();
}

void Control::SetBkImage(const ImageSpec& image) {
  bkimage_ = image;
  Invalidate();
}

void Control::SetBkImage(const std::string& file) {
  // Keeps the folder of the image the markup named, so a window can swap "icon_down.png"
  // for "icon_up.png" by file name alone.
  ImageSpec imageSpec;
  if (file.find_first_of("/\\") == std::string::npos && !bkimage_.file.empty())
    imageSpec.file = JoinPath(FolderOf(bkimage_.file), file);
  else
    imageSpec.file = file;
  SetBkImage(imageSpec);
}

Size Control::MeasureContent(const LayoutContext&) const { return Size{}; }

std::wstring Control::GetAccessibleName() const {
  std::wstring text = GetText();
  if (!text.empty()) return text;
  if (!toolTip_.empty()) return toolTip_;
  return name_;
}

void Control::AttachEvent(EventType type, EventHandler handler) {
  if (handler) handlers_[type].push_back(std::move(handler));
}

bool Control::FireEvent(EventType type) {
  EventArgs args;
  args.type = type;
  args.sender = this;
  for (Control* c = this; c; c = c->parent_)
    if (c->HandleEvent(args)) return true;
  return false;
}

bool Control::HandleEvent(const EventArgs& args) {
  auto it = handlers_.find(args.type);
  if (it == handlers_.end()) return false;
  // A handler may attach more handlers; iterate by index over a stable count.
  std::vector<EventHandler> list = it->second;
  for (const EventHandler& h : list)
    if (h(args)) return true;
  return false;
}

void Control::SetFocus() {
  if (ControlHost* host = GetHost()) host->RequestFocus(this);
}

void Control::Invalidate() {
  if (ControlHost* host = GetHost()) host->InvalidateControl(this);
}

void Control::InvalidateArea(const Rect& area) {
  if (ControlHost* host = GetHost()) host->InvalidateControlArea(this, area);
}

void Control::RequestLayout() {
  if (ControlHost* host = GetHost()) host->RequestLayout();
}

void Control::NotifyStateChanged() {
  if (ControlHost* host = GetHost()) host->OnControlStateChanged(this);
}

}  // namespace ui
