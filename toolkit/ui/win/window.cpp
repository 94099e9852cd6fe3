#include "toolkit/ui/win/window.h"

#include <algorithm>

namespace ui {

Window::Window() = default;

Window::~Window() { DestroyNativeWindow(); }

void Window::DestroyNativeWindow() {
  HWND hwnd = hwnd_;
  hwnd_ = nullptr;
  if (hwnd && IsWindow(hwnd)) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    DestroyWindow(hwnd);
  }
}

bool Window::RegisterWindowClass() {
  std::wstring name = WindowClassName();
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), name.c_str(), &wc)) return true;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = &Window::WindowProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  // The program's own icon (resource 1), at the sizes the title bar, taskbar and Alt+Tab ask
  // for; none when the program has no icon.
  wc.hIcon = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0,
                                           LR_DEFAULTSIZE | LR_SHARED));
  wc.hIconSm = static_cast<HICON>(LoadImageW(wc.hInstance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                             GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  wc.lpszClassName = name.c_str();
  return RegisterClassExW(&wc) != 0;
}

HWND Window::Create(HWND parent, const wchar_t* name, DWORD style, DWORD exStyle, bool layered,
                    const RECT& rect) {
  if (!RegisterWindowClass()) return nullptr;
  OnBeforeCreate();
  if (layered) exStyle |= WS_EX_LAYERED;
  // Children (the hosted edits) must not be painted over by the window's own painting.
  style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
  std::wstring className = WindowClassName();
  CreateWindowExW(exStyle, className.c_str(), name ? name : L"", style, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, parent, nullptr,
                  GetModuleHandleW(nullptr), this);
  if (hwnd_ && layered) SetLayeredWindowAttributes(hwnd_, 0, 255, LWA_ALPHA);
  return hwnd_;
}

void Window::ShowWindow(bool show, bool takeFocus) {
  if (!hwnd_) return;
  ::ShowWindow(hwnd_, show ? (takeFocus ? SW_SHOWNORMAL : SW_SHOWNOACTIVATE) : SW_HIDE);
  if (show && takeFocus) SetForegroundWindow(hwnd_);
}

void Window::CenterWindow() {
  if (!hwnd_) return;
  RECT window;
  GetWindowRect(hwnd_, &window);
  RECT area;
  HWND owner = GetWindow(hwnd_, GW_OWNER);
  MONITORINFO monitor = {};
  monitor.cbSize = sizeof(monitor);
  GetMonitorInfoW(MonitorFromWindow(owner ? owner : hwnd_, MONITOR_DEFAULTTONEAREST), &monitor);
  if (owner && IsWindowVisible(owner) && !IsIconic(owner)) {
    GetWindowRect(owner, &area);
  } else {
    area = monitor.rcWork;
  }
  int width = window.right - window.left;
  int height = window.bottom - window.top;
  int x = (area.left + area.right - width) / 2;
  int y = (area.top + area.bottom - height) / 2;
  // Keep the whole window on the work area.
  x = std::max<int>(monitor.rcWork.left, std::min<int>(x, monitor.rcWork.right - width));
  y = std::max<int>(monitor.rcWork.top, std::min<int>(y, monitor.rcWork.bottom - height));
  SetWindowPos(hwnd_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Window::SetText(const std::wstring& text) {
  if (hwnd_) ::SetWindowTextW(hwnd_, text.c_str());
}

void Window::Close(UINT value) {
  if (hwnd_) PostMessageW(hwnd_, WM_CLOSE, value, 0);
}

void Window::AddMessageFilter(IUIMessageFilter* filter) { filters_.push_back(filter); }

void Window::RemoveMessageFilter(IUIMessageFilter* filter) {
  filters_.erase(std::remove(filters_.begin(), filters_.end(), filter), filters_.end());
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Window::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* self;
  if (message == WM_NCCREATE) {
    self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  } else {
    self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  }
  if (!self) return DefWindowProcW(hwnd, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    LRESULT result = self->HandleMessage(message, wParam, lParam);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->hwnd_ = nullptr;
    self->OnFinalMessage(hwnd);
    return result;
  }
  std::vector<IUIMessageFilter*> filters = self->filters_;
  for (IUIMessageFilter* filter : filters) {
    bool handled = false;
    LRESULT result = filter->MessageHandler(message, wParam, lParam, handled);
    if (handled) return result;
  }
  return self->HandleMessage(message, wParam, lParam);
}

}  // namespace ui
