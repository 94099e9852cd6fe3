#include "window/msg_box.h"

#include "app/thread_ids.h"
#include "toolkit/base/thread_directory.h"
#include "toolkit/ui/core/button.h"
#include "toolkit/ui/core/label.h"
#include "toolkit/ui/core/rich_edit.h"
#include "toolkit/ui/win/font_cache.h"
#include "toolkit/ui/win/global_manager.h"
#include "toolkit/ui/win/window_impl_base.h"

namespace {

// Room on each side of a button's caption, in pixels at 100 %.
constexpr int kCaptionRoom = 12;

class MsgBox : public ui::WindowImplBase {
 public:
  MsgBox(HWND owner, MsgBoxCallback callback) : owner_(owner), callback_(std::move(callback)) {}

  std::wstring WindowClassName() const override { return L"MsgBox"; }
  std::wstring SkinFolder() override { return L"msgbox"; }
  std::wstring LayoutFile() override { return L"msgbox.xml"; }

  void OnWindowInit() override {
    // One handler for the whole tree: clicks that no control handles rise to the root.
    GetRoot()->AttachClick([this](const ui::EventArgs& e) { return OnClick(e); });
    title_ = FindControl<ui::Label>(L"title");
    content_ = FindControl<ui::RichEdit>(L"content");
    yes_ = FindControl<ui::Button>(L"btn_yes");
    no_ = FindControl<ui::Button>(L"btn_no");
  }

  void Fill(const std::wstring& title, const std::wstring& content, const std::wstring& yesText,
            const std::wstring& noText) {
    if (title_)
      title_->SetText(title);
    if (content_)
      content_->SetText(content);
    ShowButton(yes_, yesText, true);
    ShowButton(no_, noText, yesText.empty());
    FitHeightToContent();
  }

  LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam, bool& handled) override {
    if (!answered_)
      Answer(kMsgBoxNo, /*close=*/false);  // Alt+F4 or the system menu: the box's own close
    return ui::WindowImplBase::OnCloseMessage(wParam, lParam, handled);
  }

 protected:
  void OnFinalMessage(HWND) override { delete this; }

 private:
  void ShowButton(ui::Button* button, const std::wstring& text, bool focus) {
    if (!button)
      return;
    if (text.empty()) {
      button->SetVisible(false);
      return;
    }
    button->SetText(text);
    FitWidthToText(button);
    button->SetVisible(true);
    if (focus)
      button->SetFocus();
  }

  // The layout's width suits a short caption; a longer one widens the button rather than
  // being cut.
  void FitWidthToText(ui::Button* button) {
    const ui::Length& width = button->GetWidth();
    if (width.kind != ui::Length::kFixed)
      return;
    const int scale = GetDisplayScale();
    const int textWidth =
        ui::GlobalManager::GetFonts().MeasureText(button->GetText(), button->GetFont(), scale).width;
    const ui::Insets& padding = button->GetPadding();
    const int needed = (textWidth * 100 + scale - 1) / scale + padding.left + padding.right +
                       2 * kCaptionRoom;  // at 100 %, rounded up
    if (needed > width.value)
      button->SetFixedWidth(needed);
  }

  // The layout's height suits two lines; a longer text (an address, a chosen folder the user
  // must be able to read whole) makes the box taller rather than being cut. The native edit
  // says how many lines it wraps the text into: its rules differ from any estimate.
  void FitHeightToContent() {
    HWND edit = content_ ? GetEditWindow(content_) : nullptr;
    if (!edit)
      return;
    Relayout();
    const int scale = GetDisplayScale();
    const ui::LayoutContext context{scale, &ui::GlobalManager::GetFonts()};
    const int lines = static_cast<int>(SendMessageW(edit, EM_GETLINECOUNT, 0, 0));
    const int textHeight =
        lines * context.measurer->MeasureText(L"", content_->GetFont(), scale).height;
    if (textHeight > content_->GetPos().Height())
      content_->SetFixedHeight((textHeight * 100 + scale - 1) / scale);
    RECT rect = {};
    GetWindowRect(GetHWND(), &rect);
    const int needed = GetRoot()->MeasureContent(context).height;
    if (needed <= rect.bottom - rect.top)
      return;
    SetWindowPos(GetHWND(), nullptr, 0, 0, rect.right - rect.left, needed,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    Relayout();
  }

  bool OnClick(const ui::EventArgs& e) {
    const std::wstring& name = e.sender->GetName();
    if (name == L"btn_yes")
      Answer(kMsgBoxYes, true);
    else if (name == L"btn_no" || name == L"closebtn")
      Answer(kMsgBoxNo, true);
    return true;
  }

  void Answer(MsgBoxRet ret, bool close) {
    if (answered_)
      return;
    answered_ = true;
    // The owner must be enabled again before this window goes, or the system activates
    // some other application's window.
    if (owner_) {
      EnableWindow(owner_, TRUE);
      SetFocus(owner_);
    }
    if (callback_)
      base::PostToThread(kUiThreadId, [callback = std::move(callback_), ret] { callback(ret); });
    if (close)
      Close(ret);
  }

  HWND owner_;
  MsgBoxCallback callback_;
  bool answered_ = false;
  ui::Label* title_ = nullptr;  // controls borrowed from the tree
  ui::RichEdit* content_ = nullptr;
  ui::Button* yes_ = nullptr;
  ui::Button* no_ = nullptr;
};

}  // namespace

bool ShowMsgBox(HWND owner, const std::wstring& content, MsgBoxCallback callback,
                const std::wstring& title, const std::wstring& yesText,
                const std::wstring& noText, std::optional<MsgBoxRet> notShownAnswer) {
  auto* box = new MsgBox(owner, callback);  // deletes itself in OnFinalMessage
  if (!box->Create(owner, L"", WS_POPUP | WS_SYSMENU, 0)) {
    delete box;
    if (callback && notShownAnswer) {
      base::PostDelayedToThread(kUiThreadId,
                                [callback, answer = *notShownAnswer] { callback(answer); },
                                base::TimeDelta::FromMilliseconds(kNotShownAnswerDelayMs));
    }
    return false;
  }
  box->Fill(title, content, yesText, noText);
  if (owner)
    EnableWindow(owner, FALSE);
  box->CenterWindow();
  box->ShowWindow(true, true);
  return true;
}
