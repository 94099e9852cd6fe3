#include "toolkit/ui/win/rich_edit_host.h"

#include <richedit.h>

#include "toolkit/ui/core/box.h"
#include "toolkit/ui/win/font_cache.h"
#include "toolkit/base/system_library.h"

namespace ui {
namespace {

const wchar_t kOriginalProc[] = L"ui.RichEditHost.proc";

// Tab and Escape move focus or close the window: the edit passes them to its parent,
// unless a multi-line edit that wants Return is asked for Return.
LRESULT CALLBACK EditProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  WNDPROC original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kOriginalProc));
  if ((message == WM_KEYDOWN || message == WM_CHAR) &&
      (wParam == VK_TAB || wParam == VK_ESCAPE)) {
    if (message == WM_KEYDOWN) SendMessageW(GetParent(hwnd), WM_KEYDOWN, wParam, lParam);
    return 0;
  }
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    RemovePropW(hwnd, kOriginalProc);
  }
  return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

COLORREF ToColorRef(Color c) {
  return RGB((c >> 16) & 0xff, (c >> 8) & 0xff, c & 0xff);
}

}  // namespace

class RichEditHost::NativeEdit : public RichEditPeer {
 public:
  NativeEdit(RichEdit* control, HWND hwnd) : control_(control), hwnd_(hwnd) {}
  ~NativeEdit() override {
    control_->SetPeer(nullptr);
    if (IsWindow(hwnd_)) DestroyWindow(hwnd_);
  }

  void SetPeerText(const std::wstring& text) override {
    // A text set by the program is not an edit by the user.
    suppressChange_ = true;
    SetWindowTextW(hwnd_, text.c_str());
    suppressChange_ = false;
  }

  std::wstring GetPeerText() const override {
    int length = GetWindowTextLengthW(hwnd_);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = GetWindowTextW(hwnd_, &text[0], length + 1);
    text.resize(copied > 0 ? copied : 0);
    return text;
  }

  RichEdit* control_;  // owned by the control tree, which outlives the host
  HWND hwnd_;
  Rect shownRect_;  // where the window was last put; empty while hidden
  bool readOnly_ = false;
  bool suppressChange_ = false;
};

RichEditHost::RichEditHost(HWND parent, FontCache* fonts, int scale)
    : parent_(parent), fonts_(fonts), scale_(scale) {}

RichEditHost::~RichEditHost() = default;

const wchar_t* RichEditHost::EditClass() {
  static const wchar_t* editClass = [] {
    if (base::LoadSystemLibrary(L"msftedit.dll")) return L"RICHEDIT50W";
    if (base::LoadSystemLibrary(L"riched20.dll")) return L"RichEdit20W";
    return L"";
  }();
  return editClass;
}

void RichEditHost::CreateFor(Control* root, bool shownOnly) {
  ForEachControl(root, [&](Control* c) {
    RichEdit* edit = dynamic_cast<RichEdit*>(c);
    if (!edit || edit->GetPeer() || (shownOnly && !edit->IsShownInTree())) return;
    const wchar_t* editClass = EditClass();
    if (!*editClass) return;
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
    if (edit->IsMultiLine()) {
      style |= ES_MULTILINE | ES_AUTOVSCROLL;
      if (edit->HasVScrollBar()) style |= WS_VSCROLL;
      if (edit->WantsReturn()) style |= ES_WANTRETURN;
    } else {
      style |= ES_AUTOHSCROLL;
    }
    // A disabled edit only shows text: read-only keeps it legible, unlike a disabled window.
    if (edit->IsReadOnly() || !edit->IsEnabled()) style |= ES_READONLY;
    HWND hwnd = CreateWindowExW(0, editClass, L"", style, 0, 0, 0, 0, parent_, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd) return;
    if (!edit->IsRich()) SendMessageW(hwnd, EM_SETTEXTMODE, TM_PLAINTEXT, 0);
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->GetHFont(edit->GetFont(), scale_)),
                 FALSE);
    Color bk = edit->GetBkColor();
    SendMessageW(hwnd, EM_SETBKGNDCOLOR, 0, ToColorRef(bk >> 24 ? bk : 0xffffffff));
    CHARFORMAT2W format = {};
    format.cbSize = sizeof(format);
    format.dwMask = CFM_COLOR;
    format.crTextColor = ToColorRef(edit->GetTextColor());
    SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_ALL, reinterpret_cast<LPARAM>(&format));
    SendMessageW(hwnd, EM_SETCHARFORMAT, SCF_DEFAULT, reinterpret_cast<LPARAM>(&format));
    SetPropW(hwnd, kOriginalProc, reinterpret_cast<HANDLE>(GetWindowLongPtrW(hwnd, GWLP_WNDPROC)));
    SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditProc));
    auto native = std::make_unique<NativeEdit>(edit, hwnd);
    native->readOnly_ = (style & ES_READONLY) != 0;
    native->SetPeerText(edit->GetText());
    edit->SetPeer(native.get());
    SendMessageW(hwnd, EM_SETEVENTMASK, 0, ENM_CHANGE);
    edits_.push_back(std::move(native));
  });
  Sync();
}

void RichEditHost::Sync() {
  for (const auto& native : edits_) {
    RichEdit* edit = native->control_;
    Rect r = edit->GetPos();
    r.Deflate(ScaleInsets(edit->GetPadding(), scale_));
    bool shown = edit->IsShownInTree() && !r.IsEmpty();
    if (!shown) r = Rect{};
    // Only real changes: moving or showing an edit repaints it.
    if (r != native->shownRect_ || shown != ((GetWindowLongW(native->hwnd_, GWL_STYLE) & WS_VISIBLE) != 0)) {
      native->shownRect_ = r;
      SetWindowPos(native->hwnd_, nullptr, r.left, r.top, r.Width(), r.Height(),
                   SWP_NOZORDER | SWP_NOACTIVATE | (shown ? SWP_SHOWWINDOW : SWP_HIDEWINDOW));
    }
    bool readOnly = edit->IsReadOnly() || !edit->IsEnabledInTree();
    if (readOnly != native->readOnly_) {
      native->readOnly_ = readOnly;
      SendMessageW(native->hwnd_, EM_SETREADONLY, readOnly, 0);
    }
  }
}

bool RichEditHost::OnCommand(WPARAM wParam, LPARAM lParam) {
  HWND from = reinterpret_cast<HWND>(lParam);
  for (const auto& native : edits_) {
    if (native->hwnd_ != from) continue;
    if (HIWORD(wParam) == EN_CHANGE && !native->suppressChange_)
      native->control_->OnUserTextChange();
    return true;
  }
  return false;
}

HWND RichEditHost::WindowOf(const RichEdit* edit) const {
  for (const auto& native : edits_)
    if (native->control_ == edit) return native->hwnd_;
  return nullptr;
}

RichEdit* RichEditHost::ControlOf(HWND hwnd) const {
  for (const auto& native : edits_)
    if (native->hwnd_ == hwnd) return native->control_;
  return nullptr;
}

}  // namespace ui
