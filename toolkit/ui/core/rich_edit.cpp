#include "toolkit/ui/core/rich_edit.h"

#include "toolkit/ui/core/text_measurer.h"

namespace ui {

struct RichEditAttributes {
  template <bool RichEdit::*Member>
  static bool Flag(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseBool(v, &(static_cast<RichEdit&>(c).*Member))) return true;
    *e = "bad boolean \"" + std::string(v) + "\"";
    return false;
  }
  static bool Text(Control& c, std::string_view v, const MarkupContext&, std::string*) {
    static_cast<RichEdit&>(c).text_ = Utf8ToWide(v);
    return true;
  }
  static bool Font(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveFont(v, &static_cast<RichEdit&>(c).font_, e);
  }
  static bool TextColor(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveColor(v, &static_cast<RichEdit&>(c).textColor_, e);
  }
};

const AttributeTable& RichEdit::ClassAttributes() {
  using A = RichEditAttributes;
  static const AttributeTable table(&Control::ClassAttributes(), {
      {"text", &A::Text},
      {"font", &A::Font},
      {"normaltextcolor", &A::TextColor},
      {"multiline", &A::Flag<&RichEdit::multiLine_>},
      {"readonly", &A::Flag<&RichEdit::readOnly_>},
      {"rich", &A::Flag<&RichEdit::rich_>},
      {"wantreturn", &A::Flag<&RichEdit::wantReturn_>},
      {"vscrollbar", &A::Flag<&RichEdit::vScrollBar_>},
      {"autovscroll", &A::Flag<&RichEdit::autoVScroll_>},
  });
  return table;
}

RichEdit::RichEdit() { SetHeight(Length::Auto()); }

std::wstring RichEdit::GetText() const { return peer_ ? peer_->GetPeerText() : text_; }

void RichEdit::SetText(const std::wstring& text) {
  text_ = text;
  if (peer_) peer_->SetPeerText(text);
}

void RichEdit::OnUserTextChange() {
  if (peer_) text_ = peer_->GetPeerText();
  FireEvent(EventType::kTextChange);
}

Size RichEdit::MeasureContent(const LayoutContext& context) const {
  if (!context.measurer) return Size{};
  // One line of the font; a multi-line edit without a height gets the same, like a text box.
  Size line = context.measurer->MeasureText(L"", font_, context.scale);
  return Size{0, line.height};
}

}  // namespace ui
