// CBSCallbackImpl: the status callback the download engine (URLDownloadToFileW) talks to
// during the package download. It turns progress reports into calls of a plain progress
// hook, asks the engine for fresh, uncached data, answers window requests with the desktop
// window (counting them), and lets certificate name and date problems pass.
//
//   CBSCallbackImpl callback(&OnDownloadProgress);
//   callback.BeginAttempt();
//   HRESULT hr = URLDownloadToFileW(nullptr, url, path, 0, &callback);
//
// One object serves every attempt of one download job, which owns it; reference counting
// never frees it. Threading: the engine calls it on the download worker, which also calls
// BeginAttempt and AbortBinding; LastActivity and GiveUp may be called from a watchdog thread.
#pragma once

#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <chrono>
#include <cstdint>

class CBSCallbackImpl : public IBindStatusCallback, public IHttpSecurity {
 public:
  using ProgressHook = void (*)(uint32_t received, uint32_t total);
  using Clock = std::chrono::steady_clock;

  // A certificate problem is answered "retry" this many times within one attempt; after
  // that the attempt is aborted, since an engine that does not ignore the problem would
  // otherwise ask again for ever.
  static constexpr int kSecurityRetriesPerAttempt = 3;
  // An attempt redirected more often than this is given up as stalled (a redirect loop):
  // the stall watchdog aborts it at its next check.
  static constexpr int kRedirectsPerAttempt = 20;
  // No attempt may write more than this, whatever the server announces (an endless stream
  // would otherwise fill the disk): it is given up like a redirect loop. The package is
  // about 200 MiB.
  static constexpr uint32_t kMaxAttemptBytes = 1u << 30;

  explicit CBSCallbackImpl(ProgressHook progressHook);
  CBSCallbackImpl(const CBSCallbackImpl&) = delete;
  CBSCallbackImpl& operator=(const CBSCallbackImpl&) = delete;
  virtual ~CBSCallbackImpl();

  // IUnknown (IHttpSecurity's forward to these).
  STDMETHODIMP QueryInterface(REFIID iid, void** object) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  // IBindStatusCallback.
  STDMETHODIMP OnStartBinding(DWORD reserved, IBinding* binding) override;
  STDMETHODIMP GetPriority(LONG* priority) override;
  STDMETHODIMP OnLowResource(DWORD reserved) override;
  STDMETHODIMP OnProgress(ULONG progress, ULONG progressMax, ULONG statusCode,
                          LPCWSTR statusText) override;
  STDMETHODIMP OnStopBinding(HRESULT result, LPCWSTR error) override;
  STDMETHODIMP GetBindInfo(DWORD* bindFlags, BINDINFO* bindInfo) override;
  STDMETHODIMP OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format,
                               STGMEDIUM* medium) override;
  STDMETHODIMP OnObjectAvailable(REFIID iid, IUnknown* object) override;

  // IWindowForBindingUI / IHttpSecurity.
  STDMETHODIMP GetWindow(REFGUID reason, HWND* window) override;
  STDMETHODIMP OnSecurityProblem(DWORD problem) override;

  // Window requests of every attempt so far; never reset.
  int windowRequestCount() const { return windowRequestCount_; }

  // Resets what is counted per attempt and marks the attempt's start as activity. Received
  // data counts as activity only once `minBytesPerActivity` more bytes have come since the
  // last time it counted, so a trickle below that many bytes per stall period is a stall.
  // Returns the attempt's number, which names it to AbortBinding.
  int BeginAttempt(uint32_t minBytesPerActivity = 1);
  // When the engine last showed that the transfer moves: the attempt's start, enough new
  // data (above), and every other progress report but a redirect or a request sent.
  Clock::time_point LastActivity() const;
  // Gives the running attempt up: every later progress report of it answers E_ABORT, which
  // is what stops the engine when it next reports. Any thread.
  void GiveUp();
  // Gives attempt `attempt` up and aborts the engine's binding, when that attempt is still
  // the running one (a late request for an attempt that has ended does nothing). Download
  // worker only: the binding belongs to that thread's apartment.
  void AbortBinding(int attempt);

 private:
  IBindStatusCallback* Primary() { return this; }
  void NoteActivity();
  // Ends the attempt from inside a progress report: the watchdog aborts it at its next check.
  HRESULT GiveUpAttempt();

  std::atomic<int> windowRequestCount_{0};
  std::atomic<ULONG> refCount_{1};
  ProgressHook progressHook_;

  int attempt_ = 0;
  int securityProblemCount_ = 0;
  int redirectCount_ = 0;
  uint32_t minBytesPerActivity_ = 1;
  uint32_t bytesAtLastActivity_ = 0;
  std::atomic<bool> aborted_{false};
  std::atomic<Clock::rep> lastActivity_{0};
  IBinding* binding_ = nullptr;  // the engine's, AddRef'ed between start and stop
};
