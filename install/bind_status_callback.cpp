#include "install/bind_status_callback.h"

namespace {

constexpr DWORD kBindFlags = 0x110;          // BINDF_GETNEWESTVERSION | BINDF_IGNORESECURITYPROBLEM
constexpr ULONG kBindInfoWithOptions = 84;   // cbSize of a BINDINFO that has dwOptionsFlags
constexpr DWORD kWininetFlagOption = 0x10000;  // BINDINFO_OPTIONS_WININETFLAG
// INTERNET_FLAG_IGNORE_CERT_CN_INVALID | _CERT_DATE_INVALID | _REDIRECT_TO_HTTPS | _REDIRECT_TO_HTTP
constexpr DWORD kIgnoreCertAndRedirectFlags = 0xF000;

}  // namespace

CBSCallbackImpl::CBSCallbackImpl(ProgressHook progressHook) : progressHook_(progressHook) {
  NoteActivity();
}

CBSCallbackImpl::~CBSCallbackImpl() {
  if (binding_)
    binding_->Release();
}

STDMETHODIMP CBSCallbackImpl::QueryInterface(REFIID iid, void** object) {
  if (!object)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IBindStatusCallback)) {
    *object = static_cast<IBindStatusCallback*>(this);
  } else if (IsEqualIID(iid, IID_IWindowForBindingUI) || IsEqualIID(iid, IID_IHttpSecurity)) {
    *object = static_cast<IHttpSecurity*>(this);
  } else {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) CBSCallbackImpl::AddRef() {
  return ++refCount_;
}

STDMETHODIMP_(ULONG) CBSCallbackImpl::Release() {
  return --refCount_;
}

STDMETHODIMP CBSCallbackImpl::OnStartBinding(DWORD, IBinding* binding) {
  NoteActivity();
  if (binding_)
    binding_->Release();
  binding_ = binding;
  if (binding_)
    binding_->AddRef();
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::GetPriority(LONG*) {
  return E_NOTIMPL;
}

STDMETHODIMP CBSCallbackImpl::OnLowResource(DWORD) {
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                                         LPCWSTR) {
  if (aborted_)
    return E_ABORT;
  if (statusCode == BINDSTATUS_REDIRECTING) {
    // A hop (and the request it sends) brings no data, so it is no sign of life for the
    // stall watchdog; and an engine that follows redirects without end must not keep the
    // attempt going for ever.
    if (++redirectCount_ > kRedirectsPerAttempt)
      return GiveUpAttempt();
  } else if (statusCode == BINDSTATUS_DOWNLOADINGDATA ||
             statusCode == BINDSTATUS_ENDDOWNLOADDATA) {
    // More than the server announced, or more than any package can be: a stream without end.
    if ((progressMax > 0 && progress > progressMax) || progress > kMaxAttemptBytes)
      return GiveUpAttempt();
    if (statusCode == BINDSTATUS_ENDDOWNLOADDATA ||
        progress - bytesAtLastActivity_ >= minBytesPerActivity_) {
      bytesAtLastActivity_ = progress;
      NoteActivity();
    }
  } else if (statusCode != BINDSTATUS_SENDINGREQUEST) {
    NoteActivity();
  }
  if (progressHook_)
    progressHook_(progress, progressMax);
  return S_OK;
}

HRESULT CBSCallbackImpl::GiveUpAttempt() {
  // Aborting the binding from inside its own progress report does not stop the engine; the
  // watchdog's abort, delivered on the worker between the engine's reports, does, so the
  // attempt is marked as stalled for the watchdog's next check.
  aborted_ = true;
  lastActivity_ = 0;
  return E_ABORT;
}

STDMETHODIMP CBSCallbackImpl::OnStopBinding(HRESULT, LPCWSTR) {
  if (binding_) {
    binding_->Release();
    binding_ = nullptr;
  }
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) {
  if (bindFlags)
    *bindFlags |= kBindFlags;
  if (bindInfo && bindInfo->cbSize >= kBindInfoWithOptions) {
    bindInfo->dwOptions |= kWininetFlagOption;
    bindInfo->dwOptionsFlags |= kIgnoreCertAndRedirectFlags;
  }
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) {
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::OnObjectAvailable(REFIID, IUnknown*) {
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::GetWindow(REFGUID, HWND* window) {
  if (window)
    *window = GetDesktopWindow();
  ++windowRequestCount_;
  return S_OK;
}

STDMETHODIMP CBSCallbackImpl::OnSecurityProblem(DWORD) {
  if (++securityProblemCount_ > kSecurityRetriesPerAttempt)
    return E_ABORT;
  return RPC_E_RETRY;
}

int CBSCallbackImpl::BeginAttempt(uint32_t minBytesPerActivity) {
  securityProblemCount_ = 0;
  redirectCount_ = 0;
  minBytesPerActivity_ = minBytesPerActivity;
  bytesAtLastActivity_ = 0;
  aborted_ = false;
  NoteActivity();
  return ++attempt_;
}

CBSCallbackImpl::Clock::time_point CBSCallbackImpl::LastActivity() const {
  return Clock::time_point(Clock::duration(lastActivity_.load()));
}

void CBSCallbackImpl::GiveUp() {
  aborted_ = true;
}

void CBSCallbackImpl::AbortBinding(int attempt) {
  if (attempt != attempt_)
    return;
  aborted_ = true;
  if (IBinding* binding = binding_) {
    // Held across the call: the engine may stop the binding, and call OnStopBinding, inside.
    binding->AddRef();
    binding->Abort();
    binding->Release();
  }
}

void CBSCallbackImpl::NoteActivity() {
  lastActivity_ = Clock::now().time_since_epoch().count();
}
