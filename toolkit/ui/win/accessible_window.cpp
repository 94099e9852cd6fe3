#include "toolkit/ui/win/accessible_window.h"

#include <oleacc.h>

#include <string>
#include <vector>

#include "toolkit/ui/core/check_box.h"
#include "toolkit/ui/core/control_tree.h"
#include "toolkit/ui/core/progress.h"
#include "toolkit/ui/core/rich_edit.h"
#include "toolkit/base/system_library.h"
#include "toolkit/ui/win/window_impl_base.h"

namespace ui {
namespace {

// Posted to the window to run a default action outside the accessibility client's call.
constexpr UINT kDoDefaultActionMessage = WM_APP + 0x3a1;

bool IsExposed(const Control* c) {
  return dynamic_cast<const Label*>(c) || dynamic_cast<const RichEdit*>(c) ||
         dynamic_cast<const Progress*>(c);
}

BSTR MakeBstr(const std::wstring& s) {
  return SysAllocStringLen(s.data(), static_cast<UINT>(s.size()));
}

}  // namespace

class AccessibleRoot : public IAccessible {
 public:
  explicit AccessibleRoot(WindowImplBase* window) : window_(window) {}
  virtual ~AccessibleRoot() = default;

  void Disconnect() { window_ = nullptr; }

  // Exposed controls in document order; child id = index + 1.
  std::vector<Control*> Children() const {
    std::vector<Control*> list;
    if (window_ && window_->GetRoot())
      ForEachControl(window_->GetRoot(), [&list](Control* c) {
        if (IsExposed(c)) list.push_back(c);
      });
    return list;
  }

  long ChildId(Control* control) const {
    std::vector<Control*> list = Children();
    for (size_t i = 0; i < list.size(); ++i)
      if (list[i] == control) return static_cast<long>(i + 1);
    return CHILDID_SELF;
  }

  // IUnknown
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
      *out = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
  STDMETHODIMP_(ULONG) Release() override {
    LONG n = InterlockedDecrement(&refs_);
    if (n == 0) delete this;
    return n;
  }

  // IDispatch: clients use the IAccessible methods directly.
  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                      UINT*) override {
    return E_NOTIMPL;
  }

  // IAccessible
  STDMETHODIMP get_accParent(IDispatch** parent) override {
    *parent = nullptr;
    if (!window_) return RPC_E_DISCONNECTED;
    using Fn = HRESULT(WINAPI*)(HWND, DWORD, REFIID, void**);
    auto fn = base::GetSystemFunction<Fn>(L"oleacc.dll", "AccessibleObjectFromWindow");
    if (!fn) return S_FALSE;
    return fn(window_->GetHWND(), static_cast<DWORD>(OBJID_WINDOW), IID_IDispatch,
              reinterpret_cast<void**>(parent));
  }
  STDMETHODIMP get_accChildCount(long* count) override {
    if (!window_) return RPC_E_DISCONNECTED;
    *count = static_cast<long>(Children().size());
    return S_OK;
  }
  STDMETHODIMP get_accChild(VARIANT, IDispatch** child) override {
    *child = nullptr;  // the children are simple elements of this object
    return window_ ? S_FALSE : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
    *name = nullptr;
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (!c) {
      wchar_t title[256] = {};
      GetWindowTextW(window_->GetHWND(), title, 256);
      *name = SysAllocString(title);
    } else {
      *name = MakeBstr(dynamic_cast<RichEdit*>(c) ? c->GetName() : c->GetAccessibleName());
    }
    return S_OK;
  }
  STDMETHODIMP get_accValue(VARIANT child, BSTR* value) override {
    *value = nullptr;
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (RichEdit* edit = dynamic_cast<RichEdit*>(c)) {
      *value = MakeBstr(edit->GetText());
      return S_OK;
    }
    if (Progress* p = dynamic_cast<Progress*>(c)) {
      int span = p->GetMaxValue() - p->GetMinValue();
      int percent = span > 0 ? (p->GetValue() - p->GetMinValue()) * 100 / span : 0;
      *value = MakeBstr(std::to_wstring(percent) + L"%");
      return S_OK;
    }
    return S_FALSE;
  }
  STDMETHODIMP get_accDescription(VARIANT child, BSTR* text) override {
    *text = nullptr;
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (!c || c->GetToolTip().empty()) return S_FALSE;
    *text = MakeBstr(c->GetToolTip());
    return S_OK;
  }
  STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    role->vt = VT_I4;
    if (!c) role->lVal = ROLE_SYSTEM_CLIENT;
    else if (dynamic_cast<CheckBox*>(c)) role->lVal = ROLE_SYSTEM_CHECKBUTTON;
    else if (dynamic_cast<Button*>(c)) role->lVal = ROLE_SYSTEM_PUSHBUTTON;
    else if (dynamic_cast<RichEdit*>(c)) role->lVal = ROLE_SYSTEM_TEXT;
    else if (dynamic_cast<Progress*>(c)) role->lVal = ROLE_SYSTEM_PROGRESSBAR;
    else role->lVal = ROLE_SYSTEM_STATICTEXT;
    return S_OK;
  }
  STDMETHODIMP get_accState(VARIANT child, VARIANT* state) override {
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    long s = 0;
    if (!c) {
      if (!IsWindowVisible(window_->GetHWND())) s |= STATE_SYSTEM_INVISIBLE;
      if (GetFocus() == window_->GetHWND()) s |= STATE_SYSTEM_FOCUSED;
      s |= STATE_SYSTEM_FOCUSABLE;
    } else {
      if (!c->IsShownInTree() || c->GetPos().IsEmpty()) s |= STATE_SYSTEM_INVISIBLE;
      if (!c->IsEnabledInTree()) s |= STATE_SYSTEM_UNAVAILABLE;
      if (c->IsFocusable()) s |= STATE_SYSTEM_FOCUSABLE;
      if (c == window_->GetFocusControl()) s |= STATE_SYSTEM_FOCUSED;
      if (CheckBox* check = dynamic_cast<CheckBox*>(c); check && check->IsSelected())
        s |= STATE_SYSTEM_CHECKED;
      if (Button* b = dynamic_cast<Button*>(c)) {
        if (b->IsHot()) s |= STATE_SYSTEM_HOTTRACKED;
        if (b->IsPushed()) s |= STATE_SYSTEM_PRESSED;
      }
      if (RichEdit* e = dynamic_cast<RichEdit*>(c); e && e->IsReadOnly())
        s |= STATE_SYSTEM_READONLY;
      if (dynamic_cast<Label*>(c) && !dynamic_cast<Button*>(c)) s |= STATE_SYSTEM_READONLY;
    }
    state->vt = VT_I4;
    state->lVal = s;
    return S_OK;
  }
  STDMETHODIMP get_accHelp(VARIANT, BSTR* help) override {
    *help = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP get_accHelpTopic(BSTR* file, VARIANT, long* topic) override {
    *file = nullptr;
    *topic = 0;
    return S_FALSE;
  }
  STDMETHODIMP get_accKeyboardShortcut(VARIANT, BSTR* shortcut) override {
    *shortcut = nullptr;
    return S_FALSE;
  }
  STDMETHODIMP get_accFocus(VARIANT* focus) override {
    if (!window_) return RPC_E_DISCONNECTED;
    Control* f = window_->GetFocusControl();
    if (f && IsExposed(f)) {
      focus->vt = VT_I4;
      focus->lVal = ChildId(f);
    } else {
      focus->vt = VT_EMPTY;
    }
    return S_OK;
  }
  STDMETHODIMP get_accSelection(VARIANT* selection) override {
    selection->vt = VT_EMPTY;
    return window_ ? S_FALSE : RPC_E_DISCONNECTED;
  }
  STDMETHODIMP get_accDefaultAction(VARIANT child, BSTR* action) override {
    *action = nullptr;
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (CheckBox* check = dynamic_cast<CheckBox*>(c)) {
      *action = SysAllocString(check->IsSelected() ? L"Uncheck" : L"Check");
      return S_OK;
    }
    if (dynamic_cast<Button*>(c)) {
      *action = SysAllocString(L"Press");
      return S_OK;
    }
    return S_FALSE;
  }
  STDMETHODIMP accSelect(long flags, VARIANT child) override {
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (!(flags & SELFLAG_TAKEFOCUS)) return E_NOTIMPL;
    if (c) window_->SetFocusControl(c);
    else SetFocus(window_->GetHWND());
    return S_OK;
  }
  STDMETHODIMP accLocation(long* left, long* top, long* width, long* height,
                           VARIANT child) override {
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    RECT r;
    if (c) {
      const Rect& pos = c->GetPos();
      r = RECT{pos.left, pos.top, pos.right, pos.bottom};
    } else {
      GetClientRect(window_->GetHWND(), &r);
    }
    MapWindowPoints(window_->GetHWND(), nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  STDMETHODIMP accNavigate(long direction, VARIANT start, VARIANT* end) override {
    end->vt = VT_EMPTY;
    Control* c = nullptr;
    HRESULT hr = Resolve(start, &c);
    if (hr != S_OK) return hr;
    long count = static_cast<long>(Children().size());
    long id = c ? ChildId(c) : CHILDID_SELF;
    long target = 0;
    if (!c && direction == NAVDIR_FIRSTCHILD) target = count > 0 ? 1 : 0;
    else if (!c && direction == NAVDIR_LASTCHILD) target = count;
    else if (c && (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN)) target = id < count ? id + 1 : 0;
    else if (c && (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP)) target = id > 1 ? id - 1 : 0;
    if (target == 0) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = target;
    return S_OK;
  }
  STDMETHODIMP accHitTest(long x, long y, VARIANT* child) override {
    child->vt = VT_EMPTY;
    if (!window_) return RPC_E_DISCONNECTED;
    POINT p{x, y};
    ScreenToClient(window_->GetHWND(), &p);
    RECT client;
    GetClientRect(window_->GetHWND(), &client);
    if (!PtInRect(&client, p)) return S_FALSE;
    child->vt = VT_I4;
    child->lVal = CHILDID_SELF;
    for (Control* c = FindControlAt(window_->GetRoot(), Point{p.x, p.y}); c; c = c->GetParent())
      if (IsExposed(c)) {
        child->lVal = ChildId(c);
        break;
      }
    return S_OK;
  }
  STDMETHODIMP accDoDefaultAction(VARIANT child) override {
    Control* c = nullptr;
    HRESULT hr = Resolve(child, &c);
    if (hr != S_OK) return hr;
    if (!dynamic_cast<Button*>(c)) return DISP_E_MEMBERNOTFOUND;
    // Clicks may open message boxes or close the window: run them after this call returns.
    PostMessageW(window_->GetHWND(), kDoDefaultActionMessage, ChildId(c), 0);
    return S_OK;
  }
  STDMETHODIMP put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  STDMETHODIMP put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  // The control a child variant names (null for the window itself).
  HRESULT Resolve(const VARIANT& child, Control** out) {
    if (!window_) return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
      *out = nullptr;
      return S_OK;
    }
    std::vector<Control*> list = Children();
    if (child.lVal < 1 || child.lVal > static_cast<long>(list.size())) return E_INVALIDARG;
    *out = list[child.lVal - 1];
    return S_OK;
  }

  LONG refs_ = 1;
  WindowImplBase* window_;  // null once the window is gone
};

AccessibleWindow::AccessibleWindow(WindowImplBase* window)
    : root_(new AccessibleRoot(window)), window_(window) {}

AccessibleWindow::~AccessibleWindow() {
  root_->Disconnect();
  root_->Release();
}

LRESULT AccessibleWindow::OnGetObject(WPARAM wParam, LPARAM lParam) {
  if (static_cast<LONG>(lParam) == static_cast<LONG>(OBJID_CLIENT)) {
    using Fn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
    auto fn = base::GetSystemFunction<Fn>(L"oleacc.dll", "LresultFromObject");
    if (fn) return fn(__uuidof(IAccessible), wParam, static_cast<IAccessible*>(root_));
  }
  return 0;
}

bool AccessibleWindow::OnDefaultActionMessage(UINT message, WPARAM childId) {
  if (message != kDoDefaultActionMessage) return false;
  std::vector<Control*> list = root_->Children();
  long id = static_cast<long>(childId);
  if (id >= 1 && id <= static_cast<long>(list.size())) window_->ClickControl(list[id - 1]);
  return true;
}

void AccessibleWindow::NotifyFocus(Control* control) {
  long id = root_->ChildId(control);
  if (id != CHILDID_SELF)
    NotifyWinEvent(EVENT_OBJECT_FOCUS, window_->GetHWND(), OBJID_CLIENT, id);
}

void AccessibleWindow::Disconnect() { root_->Disconnect(); }

}  // namespace ui
