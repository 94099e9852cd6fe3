#include "app/desktop_shell.h"

#include <windows.h>
#include <exdisp.h>
#include <shldisp.h>
#include <shlobj.h>
#include <shlguid.h>

#include "toolkit/base/scoped_com.h"

namespace {

// Releases a COM interface on every way out.
template <typename T>
class ComPtr {
 public:
  ComPtr() = default;
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ~ComPtr() {
    if (p_)
      p_->Release();
  }
  T** Out() { return &p_; }
  void** OutVoid() { return reinterpret_cast<void**>(&p_); }
  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};

// A BSTR for a call, freed afterwards.
class Bstr {
 public:
  explicit Bstr(const std::wstring& text) : s_(SysAllocStringLen(text.data(), text.size())) {}
  ~Bstr() { SysFreeString(s_); }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;
  BSTR Get() const { return s_; }

 private:
  BSTR s_;
};

VARIANT StringVariant(const Bstr& text) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_BSTR;
  v.bstrVal = text.Get();  // borrowed: the caller's Bstr outlives the call
  return v;
}

VARIANT IntVariant(long value) {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_I4;
  v.lVal = value;
  return v;
}

// The desktop window's folder view, as the shell's own dispatch object: what it starts runs
// in the shell's process, with the desktop user's rights.
bool FindDesktopShellDispatch(IShellDispatch2** shell) {
  ComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_LOCAL_SERVER,
                              IID_IShellWindows, windows.OutVoid()))) {
    return false;
  }
  VARIANT desktop = IntVariant(CSIDL_DESKTOP);
  VARIANT empty;
  VariantInit(&empty);
  long window = 0;
  ComPtr<IDispatch> found;
  if (windows->FindWindowSW(&desktop, &empty, SWC_DESKTOP, &window, SWFO_NEEDDISPATCH,
                            found.Out()) != S_OK || !found) {
    return false;
  }
  ComPtr<IServiceProvider> provider;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  return SUCCEEDED(found->QueryInterface(IID_IServiceProvider, provider.OutVoid())) &&
         SUCCEEDED(provider->QueryService(SID_STopLevelBrowser, IID_IShellBrowser,
                                          browser.OutVoid())) &&
         SUCCEEDED(browser->QueryActiveShellView(view.Out())) &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, IID_IDispatch, background.OutVoid())) &&
         SUCCEEDED(background->QueryInterface(IID_IShellFolderViewDual,
                                              folderView.OutVoid())) &&
         SUCCEEDED(folderView->get_Application(application.Out())) &&
         SUCCEEDED(application->QueryInterface(IID_IShellDispatch2,
                                               reinterpret_cast<void**>(shell)));
}

}  // namespace

bool ShellExecuteAsDesktopUser(const std::wstring& file, const std::wstring& parameters,
                               const std::wstring& workingDir) {
  base::ScopedCom com;  // for one call, on a thread that may have COM already
  ComPtr<IShellDispatch2> shell;
  if (!FindDesktopShellDispatch(shell.Out()))
    return false;
  Bstr fileText(file), parametersText(parameters), folder(workingDir), verb(L"open");
  return SUCCEEDED(shell->ShellExecute(fileText.Get(), StringVariant(parametersText),
                                       StringVariant(folder), StringVariant(verb),
                                       IntVariant(SW_SHOWNORMAL)));
}
