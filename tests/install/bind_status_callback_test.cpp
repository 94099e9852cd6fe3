#include "install/bind_status_callback.h"

#include <gtest/gtest.h>
#include <wininet.h>

namespace {

uint32_t lastReceived, lastTotal;
int hookCalls;

void RecordProgress(uint32_t received, uint32_t total) {
  lastReceived = received;
  lastTotal = total;
  ++hookCalls;
}

class CBSCallbackImplTest : public ::testing::Test {
 protected:
  void SetUp() override { hookCalls = 0; }
  CBSCallbackImpl callback_{&RecordProgress};
};

TEST_F(CBSCallbackImplTest, BindStatusCallbackAndUnknownGiveThePrimaryInterface) {
  void* object = nullptr;
  ASSERT_EQ(callback_.QueryInterface(IID_IBindStatusCallback, &object), S_OK);
  EXPECT_EQ(object, static_cast<IBindStatusCallback*>(&callback_));
  ASSERT_EQ(callback_.QueryInterface(IID_IUnknown, &object), S_OK);
  EXPECT_EQ(object, static_cast<IBindStatusCallback*>(&callback_));
}

TEST_F(CBSCallbackImplTest, SecurityAndWindowRequestsGiveTheSecondInterface) {
  void* security = nullptr;
  void* window = nullptr;
  ASSERT_EQ(callback_.QueryInterface(IID_IHttpSecurity, &security), S_OK);
  ASSERT_EQ(callback_.QueryInterface(IID_IWindowForBindingUI, &window), S_OK);
  EXPECT_EQ(security, static_cast<IHttpSecurity*>(&callback_));
  EXPECT_EQ(window, security);
  EXPECT_NE(security, static_cast<void*>(static_cast<IBindStatusCallback*>(&callback_)));
}

TEST_F(CBSCallbackImplTest, OtherInterfacesAreRefusedAndTheOutPointerCleared) {
  void* object = &callback_;
  EXPECT_EQ(callback_.QueryInterface(IID_IStream, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
}

TEST_F(CBSCallbackImplTest, QueryInterfaceAddsAReference) {
  void* object = nullptr;
  callback_.QueryInterface(IID_IHttpSecurity, &object);
  // Started at 1, one for the query, and the second interface shares the count.
  EXPECT_EQ(static_cast<IHttpSecurity*>(object)->AddRef(), 3u);
}

TEST_F(CBSCallbackImplTest, ReleaseToZeroLeavesTheObjectUsable) {
  EXPECT_EQ(callback_.Release(), 0u);
  EXPECT_EQ(callback_.AddRef(), 1u);
  EXPECT_EQ(callback_.OnProgress(1, 2, 0, nullptr), S_OK);
  EXPECT_EQ(hookCalls, 1);
}

TEST_F(CBSCallbackImplTest, ProgressGoesToTheHookWhateverTheStatus) {
  EXPECT_EQ(callback_.OnProgress(10, 0, BINDSTATUS_CONNECTING, nullptr), S_OK);
  EXPECT_EQ(callback_.OnProgress(512, 1024, BINDSTATUS_DOWNLOADINGDATA, L"x"), S_OK);
  EXPECT_EQ(hookCalls, 2);
  EXPECT_EQ(lastReceived, 512u);
  EXPECT_EQ(lastTotal, 1024u);
}

TEST_F(CBSCallbackImplTest, BindInfoAsksForFreshDataAndIgnoredCertificateProblems) {
  DWORD flags = BINDF_ASYNCHRONOUS;
  BINDINFO info = {};
  info.cbSize = sizeof(info);
  ASSERT_GE(info.cbSize, 84u);
  ASSERT_EQ(callback_.GetBindInfo(&flags, &info), S_OK);
  EXPECT_EQ(flags, static_cast<DWORD>(BINDF_ASYNCHRONOUS | 0x110));
  EXPECT_EQ(info.dwOptions, 0x10000u);
  EXPECT_EQ(info.dwOptionsFlags, 0xF000u);
}

TEST_F(CBSCallbackImplTest, ShortBindInfoKeepsItsOptions) {
  DWORD flags = 0;
  BINDINFO info = {};
  info.cbSize = 80;
  callback_.GetBindInfo(&flags, &info);
  EXPECT_EQ(flags, 0x110u);
  EXPECT_EQ(info.dwOptions, 0u);
  EXPECT_EQ(info.dwOptionsFlags, 0u);
}

TEST_F(CBSCallbackImplTest, WindowRequestsAnswerTheDesktopAndAreCountedAcrossAttempts) {
  HWND window = nullptr;
  EXPECT_EQ(callback_.GetWindow(IID_IHttpSecurity, &window), S_OK);
  EXPECT_EQ(window, GetDesktopWindow());
  callback_.BeginAttempt();
  callback_.GetWindow(IID_IAuthenticate, &window);
  EXPECT_EQ(callback_.windowRequestCount(), 2);
}

TEST_F(CBSCallbackImplTest, SecurityProblemIsRetriedAFewTimesThenAborted) {
  for (int i = 0; i < CBSCallbackImpl::kSecurityRetriesPerAttempt; ++i)
    EXPECT_EQ(callback_.OnSecurityProblem(ERROR_INTERNET_INVALID_CA), RPC_E_RETRY);
  EXPECT_EQ(callback_.OnSecurityProblem(ERROR_INTERNET_INVALID_CA), E_ABORT);
}

TEST_F(CBSCallbackImplTest, EachAttemptGetsItsOwnSecurityRetries) {
  for (int i = 0; i <= CBSCallbackImpl::kSecurityRetriesPerAttempt; ++i)
    callback_.OnSecurityProblem(ERROR_INTERNET_SEC_CERT_CN_INVALID);
  callback_.BeginAttempt();
  EXPECT_EQ(callback_.OnSecurityProblem(ERROR_INTERNET_SEC_CERT_CN_INVALID), RPC_E_RETRY);
}

TEST_F(CBSCallbackImplTest, GivenUpAttemptRefusesFurtherProgress) {
  callback_.GiveUp();
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  callback_.BeginAttempt();
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
}

// The engine's binding, as far as an abort goes.
class FakeBinding : public IBinding {
 public:
  int aborts = 0;
  STDMETHODIMP QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return 2; }
  STDMETHODIMP_(ULONG) Release() override { return 1; }
  STDMETHODIMP Abort() override {
    ++aborts;
    return S_OK;
  }
  STDMETHODIMP Suspend() override { return E_NOTIMPL; }
  STDMETHODIMP Resume() override { return E_NOTIMPL; }
  STDMETHODIMP SetPriority(LONG) override { return E_NOTIMPL; }
  STDMETHODIMP GetPriority(LONG*) override { return E_NOTIMPL; }
  STDMETHODIMP GetBindResult(CLSID*, DWORD*, LPOLESTR*, DWORD*) override { return E_NOTIMPL; }
};

// An abort request may arrive after its attempt has ended: it must not end the next one.
TEST_F(CBSCallbackImplTest, AbortReachesOnlyTheAttemptItWasMeantFor) {
  FakeBinding binding;
  const int first = callback_.BeginAttempt();
  const int second = callback_.BeginAttempt();
  callback_.OnStartBinding(0, &binding);
  callback_.AbortBinding(first);
  EXPECT_EQ(binding.aborts, 0);
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
  callback_.AbortBinding(second);
  EXPECT_EQ(binding.aborts, 1);
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  callback_.OnStopBinding(E_ABORT, nullptr);
}

TEST_F(CBSCallbackImplTest, ProgressCountsAsActivity) {
  const auto before = CBSCallbackImpl::Clock::now();
  callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr);
  EXPECT_GE(callback_.LastActivity(), before);
}

TEST_F(CBSCallbackImplTest, RedirectAndRequestAreNoActivity) {
  callback_.BeginAttempt();
  const auto started = callback_.LastActivity();
  EXPECT_EQ(callback_.OnProgress(0, 0, BINDSTATUS_REDIRECTING, L"http://elsewhere/"), S_OK);
  EXPECT_EQ(callback_.OnProgress(0, 0, BINDSTATUS_SENDINGREQUEST, nullptr), S_OK);
  EXPECT_EQ(callback_.LastActivity(), started);
}

TEST_F(CBSCallbackImplTest, RedirectLoopIsAbortedPerAttempt) {
  for (int i = 0; i < CBSCallbackImpl::kRedirectsPerAttempt; ++i)
    ASSERT_EQ(callback_.OnProgress(0, 0, BINDSTATUS_REDIRECTING, L"u"), S_OK) << i;
  EXPECT_EQ(callback_.OnProgress(0, 0, BINDSTATUS_REDIRECTING, L"u"), E_ABORT);
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), E_ABORT);
  // Long stalled: the watchdog ends the attempt at its next check.
  EXPECT_EQ(callback_.LastActivity(), CBSCallbackImpl::Clock::time_point{});
  callback_.BeginAttempt();
  EXPECT_EQ(callback_.OnProgress(0, 0, BINDSTATUS_REDIRECTING, L"u"), S_OK);
  EXPECT_EQ(callback_.OnProgress(1, 2, BINDSTATUS_DOWNLOADINGDATA, nullptr), S_OK);
}

// Each row is one data report after a fresh attempt that needs 10 KiB per stall limit.
TEST_F(CBSCallbackImplTest, DataIsActivityAboveTheFloorAndEndsTheAttemptPastItsBounds) {
  enum Outcome { kNoActivity, kActivity, kGivenUp };
  const struct {
    ULONG progress, progressMax;
    Outcome outcome;
  } cases[] = {
      {10239, 20000000, kNoActivity},                         // a trickle
      {10240, 20000000, kActivity},
      {20000000, 20000000, kActivity},
      {20000001, 20000000, kGivenUp},                         // past the announced size
      {CBSCallbackImpl::kMaxAttemptBytes, 0, kActivity},      // no size announced
      {CBSCallbackImpl::kMaxAttemptBytes + 1, 0, kGivenUp},   // an endless stream
  };
  for (const auto& c : cases) {
    callback_.BeginAttempt(10240);
    const auto started = callback_.LastActivity();
    while (CBSCallbackImpl::Clock::now() == started) {
    }
    const HRESULT result =
        callback_.OnProgress(c.progress, c.progressMax, BINDSTATUS_DOWNLOADINGDATA, nullptr);
    switch (c.outcome) {
      case kNoActivity:
        EXPECT_EQ(result, S_OK) << c.progress;
        EXPECT_EQ(callback_.LastActivity(), started) << c.progress;
        break;
      case kActivity:
        EXPECT_EQ(result, S_OK) << c.progress;
        EXPECT_GT(callback_.LastActivity(), started) << c.progress;
        break;
      case kGivenUp:
        EXPECT_EQ(result, E_ABORT) << c.progress;
        EXPECT_EQ(callback_.LastActivity(), CBSCallbackImpl::Clock::time_point{}) << c.progress;
        break;
    }
  }
}

TEST_F(CBSCallbackImplTest, TrickleCountsOnlyOnceEnoughHasComeSinceTheLastActivity) {
  callback_.BeginAttempt(1000);
  callback_.OnProgress(1500, 0, BINDSTATUS_DOWNLOADINGDATA, nullptr);
  const auto marked = callback_.LastActivity();
  while (CBSCallbackImpl::Clock::now() == marked) {
  }
  callback_.OnProgress(2499, 0, BINDSTATUS_DOWNLOADINGDATA, nullptr);
  EXPECT_EQ(callback_.LastActivity(), marked);
  callback_.OnProgress(2500, 0, BINDSTATUS_DOWNLOADINGDATA, nullptr);
  EXPECT_GT(callback_.LastActivity(), marked);
}

TEST_F(CBSCallbackImplTest, RestOfTheInterfaceIsInert) {
  LONG priority = 0;
  EXPECT_EQ(callback_.GetPriority(&priority), E_NOTIMPL);
  EXPECT_EQ(callback_.OnLowResource(0), S_OK);
  EXPECT_EQ(callback_.OnStartBinding(0, nullptr), S_OK);
  EXPECT_EQ(callback_.OnStopBinding(S_OK, nullptr), S_OK);
  EXPECT_EQ(callback_.OnDataAvailable(0, 0, nullptr, nullptr), S_OK);
  EXPECT_EQ(callback_.OnObjectAvailable(IID_IUnknown, nullptr), S_OK);
}

}  // namespace
