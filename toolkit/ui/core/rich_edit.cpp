#include "toolkit/ui/core/rich_edit.h"

#include <algorithm>

#include "toolkit/ui/core/text_measurer.h"

namespace ui {

struct RichEditAttributes {
  template <bool RichEdit::*Member>
  static bool Flag(Control& c, std::string_view v, const MarkupContext&, std::string* e) {
    if (ParseBool(v, &(static_cast<RichEdit&>(c).*Member))) return true;
    *e = "bad boolean \"" + std::string(v) + "\"";
    return false;
  }
  static bool Text(Control& c, std::string_view v, const MarkupContext& m, std::string* e) {
    return m.ResolveText(v, &static_cast<RichEdit&>(c).text_, e);
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
  // An edit that is as high as its text needs a new layout when the text changes.
  if (multiLine_ && GetHeight().kind == Length::kAuto) RequestLayout();
}

void RichEdit::OnUserTextChange() {
  if (peer_) text_ = peer_->GetPeerText();
  FireEvent(EventType::kTextChange);
}

Size RichEdit::MeasureContent(const LayoutContext& context) const {
  if (!context.measurer) return Size{};
  Size line = context.measurer->MeasureText(L"", font_, context.scale);
  if (!multiLine_ || GetWidth().kind != Length::kFixed) return Size{0, line.height};
  // A multi-line edit of fixed width is as high as its text wraps: each paragraph takes as
  // many lines as its width needs (Chinese text wraps at any character, so the estimate
  // holds for it; Latin text wrapped at words may need a little more).
  const int width = ScaleValue(GetWidth().value, context.scale) -
                    ScaleValue(GetPadding().Horizontal(), context.scale);
  int lines = 0;
  size_t start = 0;
  while (start <= text_.size()) {
    size_t end = text_.find(L'\n', start);
    if (end == std::wstring::npos) end = text_.size();
    std::wstring paragraph = text_.substr(start, end - start);
    if (!paragraph.empty() && paragraph.back() == L'\r') paragraph.pop_back();
    int paragraphWidth = context.measurer->MeasureText(paragraph, font_, context.scale).width;
    lines += width > 0 ? std::max(1, (paragraphWidth + width - 1) / width) : 1;
    start = end + 1;
  }
  return Size{0, lines * line.height};
}

}  // namespace ui
