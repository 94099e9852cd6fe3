#include "install/abort_relay.h"

namespace {

constexpr wchar_t kClassName[] = L"AbortRelay";
constexpr UINT kRequestMessage = WM_APP + 1;

}  // namespace

AbortRelay::AbortRelay(std::function<void(uintptr_t token)> onRequest)
    : onRequest_(std::move(onRequest)) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof(windowClass);
  windowClass.lpfnWndProc = &AbortRelay::WindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = kClassName;
  RegisterClassExW(&windowClass);  // fails harmlessly when a relay registered it before
  window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            GetModuleHandleW(nullptr), nullptr);
  if (window_)
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

AbortRelay::~AbortRelay() {
  if (window_)
    DestroyWindow(window_);  // requests still on their way are dropped with the window
}

void AbortRelay::Request(uintptr_t token) {
  if (!window_)
    return;
  SendNotifyMessageW(window_, kRequestMessage, static_cast<WPARAM>(token), 0);
  // A sent message alone does not end a wait for posted messages (the engine's, under Wine,
  // would then look only at its next 5 s wake-up); this empty one does, and the look that
  // follows delivers the request. Left in the queue, it does nothing.
  PostMessageW(window_, WM_NULL, 0, 0);
}

LRESULT CALLBACK AbortRelay::WindowProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == kRequestMessage) {
    auto* relay = reinterpret_cast<AbortRelay*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (relay && relay->onRequest_)
      relay->onRequest_(static_cast<uintptr_t>(wParam));
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
