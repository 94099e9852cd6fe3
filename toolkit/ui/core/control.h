// The base of every element of a window's control tree: name, size rules, margin, padding,
// alignment, visibility, enabled state, background, text, the rectangle the layout gave it,
// and event handlers. Painting and native windows live in the window code; the model here is
// free of the platform so layout and events are testable on their own.
//
//   auto* button = window->FindControl<ui::Button>(L"btn_startinstall");
//   button->AttachClick([](const ui::EventArgs& e) { Start(); return true; });
//   button->SetEnabled(false);
//
// Threading: UI thread only.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "toolkit/base/utf8.h"
#include "toolkit/ui/core/attribute_table.h"
#include "toolkit/ui/core/geometry.h"
#include "toolkit/ui/core/values.h"

namespace ui {

class Box;
class Control;
class TextMeasurer;

enum class EventType { kClick, kSelect, kUnSelect, kTextChange };

struct EventArgs {
  EventType type = EventType::kClick;
  Control* sender = nullptr;  // the control the event happened on
};

// Returns true when it handled the event; an unhandled event goes on to the parent's handlers.
using EventHandler = std::function<bool(const EventArgs&)>;

// What a control tells the window it lives in. Implemented by the window; null while the
// control is not part of a shown window (tests, building).
class ControlHost {
 public:
  virtual ~ControlHost() = default;
  virtual void InvalidateControl(Control* control) = 0;  // repaint its rectangle
  // Repaint `area` (window coordinates) of the control only.
  virtual void InvalidateControlArea(Control* control, const Rect& area) {
    (void)area;
    InvalidateControl(control);
  }
  virtual void RequestLayout() = 0;                      // sizes or visibility changed
  virtual void OnControlStateChanged(Control* control) = 0;  // visible or enabled changed
  virtual void RequestFocus(Control* control) = 0;
};

struct LayoutContext {
  int scale = 100;                  // display scale in percent
  TextMeasurer* measurer = nullptr;  // not owned
};

class Control {
 public:
  Control();
  Control(const Control&) = delete;
  Control& operator=(const Control&) = delete;
  virtual ~Control();

  static const AttributeTable& ClassAttributes();
  virtual const AttributeTable& Attributes() const { return ClassAttributes(); }
  virtual const char* TypeName() const { return "Control"; }

  Box* GetParent() const { return parent_; }
  void SetParent(Box* parent) { parent_ = parent; }
  // The window's host, found through the root of the tree.
  ControlHost* GetHost() const;
  void SetHost(ControlHost* host) { host_ = host; }

  const std::wstring& GetName() const { return name_; }
  void SetName(const std::wstring& name) { name_ = name; }

  virtual std::wstring GetText() const { return text_; }
  virtual void SetText(const std::wstring& text);

  bool IsVisible() const { return visible_; }
  virtual void SetVisible(bool visible);
  // Visible itself and every ancestor visible.
  bool IsShownInTree() const;
  bool IsEnabled() const { return enabled_; }
  virtual void SetEnabled(bool enabled);
  // Enabled itself and every ancestor enabled.
  bool IsEnabledInTree() const;

  // Size rules and spacing, in pixels at 100 %.
  const Length& GetWidth() const { return width_; }
  const Length& GetHeight() const { return height_; }
  void SetFixedWidth(int width);
  void SetFixedHeight(int height);
  void SetWidth(const Length& width) { width_ = width; }
  void SetHeight(const Length& height) { height_ = height; }
  const Insets& GetMargin() const { return margin_; }
  void SetMargin(const Insets& margin) { margin_ = margin; }
  const Insets& GetPadding() const { return padding_; }
  void SetPadding(const Insets& padding) { padding_ = padding; }
  HAlign GetHAlign() const { return halign_; }
  VAlign GetVAlign() const { return valign_; }
  void SetHAlign(HAlign a) { halign_ = a; }
  void SetVAlign(VAlign a) { valign_ = a; }

  Color GetBkColor() const { return bkcolor_; }
  void SetBkColor(Color color);
  const ImageSpec& GetBkImage() const { return bkimage_; }
  void SetBkImage(const ImageSpec& image);
  // Sets the background image by archive path (the whole image, no insets).
  void SetBkImage(const std::string& file);
  void SetBkImage(const std::wstring& file) { SetBkImage(base::WideToUtf8(file)); }
  bool HasHandCursor() const { return handCursor_; }
  void SetHandCursor(bool hand) { handCursor_ = hand; }
  const std::wstring& GetToolTip() const { return toolTip_; }
  void SetToolTip(const std::wstring& tip) { toolTip_ = tip; }

  // The rectangle the layout gave this control, in window pixels.
  const Rect& GetPos() const { return pos_; }
  void SetPos(const Rect& pos) { pos_ = pos; }

  // The content size in pixels at the context's scale, padding excluded; used for "auto".
  virtual Size MeasureContent(const LayoutContext& context) const;

  // Keyboard and accessibility: whether Tab stops here, and what Enter or Space does.
  virtual bool IsFocusable() const { return false; }
  virtual void Activate() {}
  // Gives this control the keyboard focus (with the focus mark) when it is shown.
  void SetFocus();
  // The name a screen reader announces: the text, else the tooltip, else the name.
  std::wstring GetAccessibleName() const;

  // Events. Handlers run in the order they were attached; the first that returns true ends
  // the dispatch, otherwise the parent's handlers of the same type are asked.
  void AttachEvent(EventType type, EventHandler handler);
  void AttachClick(EventHandler handler) { AttachEvent(EventType::kClick, std::move(handler)); }
  void AttachSelect(EventHandler handler) { AttachEvent(EventType::kSelect, std::move(handler)); }
  void AttachUnSelect(EventHandler handler) {
    AttachEvent(EventType::kUnSelect, std::move(handler));
  }
  void AttachTextChange(EventHandler handler) {
    AttachEvent(EventType::kTextChange, std::move(handler));
  }
  // Dispatches an event sent by this control; returns whether a handler handled it.
  bool FireEvent(EventType type);

  void Invalidate();
  // Repaints only `area` (window coordinates) of the control: for a change that leaves the
  // rest of it as it was.
  void InvalidateArea(const Rect& area);

 protected:
  void RequestLayout();
  void NotifyStateChanged();

 private:
  bool HandleEvent(const EventArgs& args);

  Box* parent_ = nullptr;         // owns this control; null for the root
  ControlHost* host_ = nullptr;   // set on the root by the window; not owned
  std::wstring name_;
  std::wstring text_;
  std::wstring toolTip_;
  bool visible_ = true;
  bool enabled_ = true;
  bool handCursor_ = false;
  Length width_ = Length::Stretch();
  Length height_ = Length::Stretch();
  Insets margin_;
  Insets padding_;
  HAlign halign_ = HAlign::kLeft;
  VAlign valign_ = VAlign::kTop;
  Color bkcolor_ = 0;
  ImageSpec bkimage_;
  Rect pos_;
  std::map<EventType, std::vector<EventHandler>> handlers_;
};

}  // namespace ui
