// A text box: single-line or multi-line, read-only or editable, plain text. The window hosts
// the platform's rich edit control as a real child window for it (caret, selection,
// clipboard, input methods); the model keeps the options and the text while no native
// control exists, and forwards to it once one does.
//
//   edit->SetText(L"C:\\Program Files (x86)\\Maker\\Product");
//   edit->AttachTextChange([this](const ui::EventArgs&) { Check(); return true; });
//
// Threading: UI thread only.
#pragma once

#include "toolkit/ui/core/control.h"

namespace ui {

// The native side of a rich edit, implemented by the window.
class RichEditPeer {
 public:
  virtual ~RichEditPeer() = default;
  virtual void SetPeerText(const std::wstring& text) = 0;
  virtual std::wstring GetPeerText() const = 0;
};

class RichEdit : public Control {
 public:
  RichEdit();

  static const AttributeTable& ClassAttributes();
  const AttributeTable& Attributes() const override { return ClassAttributes(); }
  const char* TypeName() const override { return "RichEdit"; }

  std::wstring GetText() const override;
  // Does not fire the text-change event: only the user's edits do.
  void SetText(const std::wstring& text) override;

  int GetFont() const { return font_; }
  Color GetTextColor() const { return textColor_; }
  bool IsMultiLine() const { return multiLine_; }
  bool IsReadOnly() const { return readOnly_; }
  bool IsRich() const { return rich_; }
  bool WantsReturn() const { return wantReturn_; }
  bool HasVScrollBar() const { return vScrollBar_; }
  bool AutoVScroll() const { return autoVScroll_; }

  // Set by the window while the native control exists; null otherwise.
  void SetPeer(RichEditPeer* peer) { peer_ = peer; }
  RichEditPeer* GetPeer() const { return peer_; }
  // Called by the window when the user changed the text.
  void OnUserTextChange();

  bool IsFocusable() const override { return true; }
  Size MeasureContent(const LayoutContext& context) const override;

 private:
  friend struct RichEditAttributes;

  std::wstring text_;
  int font_ = 0;
  Color textColor_ = 0xff000000;
  bool multiLine_ = false;
  bool readOnly_ = false;
  bool rich_ = false;
  bool wantReturn_ = false;
  bool vScrollBar_ = false;
  bool autoVScroll_ = false;
  RichEditPeer* peer_ = nullptr;  // owned by the window
};

}  // namespace ui
