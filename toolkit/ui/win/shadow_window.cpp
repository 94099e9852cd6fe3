#include "toolkit/ui/win/shadow_window.h"

#include <cmath>

#include "toolkit/ui/core/geometry.h"
#include "toolkit/ui/win/global_manager.h"
#include "toolkit/base/system_library.h"

namespace ui {
namespace {

const wchar_t kShadowClass[] = L"ui.ShadowWindow";

bool RegisterShadowClass() {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof(wc);
  if (GetClassInfoExW(GetModuleHandleW(nullptr), kShadowClass, &wc)) return true;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = kShadowClass;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

bool ShadowWindow::IsCompositionEnabled() {
  using Fn = HRESULT(WINAPI*)(BOOL*);
  auto fn = base::GetSystemFunction<Fn>(L"dwmapi.dll", "DwmIsCompositionEnabled");
  BOOL enabled = FALSE;
  return fn && SUCCEEDED(fn(&enabled)) && enabled;
}

ShadowWindow::ShadowWindow(HWND owner)
    : owner_(owner), size_(ScaleValue(12, GlobalManager::GetDisplayScale())) {
  if (!IsCompositionEnabled() || !RegisterShadowClass()) return;
  hwnd_ = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE,
                          kShadowClass, L"", WS_POPUP, 0, 0, 0, 0, owner, nullptr,
                          GetModuleHandleW(nullptr), nullptr);
}

ShadowWindow::~ShadowWindow() {
  if (hwnd_) DestroyWindow(hwnd_);
}

void ShadowWindow::Render(int width, int height) {
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (!bitmap) {
    ReleaseDC(nullptr, screen);
    return;
  }
  // Alpha falls off quadratically with the distance from the window's edge; black, so the
  // premultiplied colour is zero and only alpha is written.
  auto* pixels = static_cast<uint32_t*>(bits);
  const int inner = size_;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      int dx = x < inner ? inner - x : x >= width - inner ? x - (width - inner - 1) : 0;
      int dy = y < inner ? inner - y : y >= height - inner ? y - (height - inner - 1) : 0;
      double d = std::sqrt(static_cast<double>(dx * dx + dy * dy)) / inner;
      double a = d >= 1.0 ? 0.0 : 60.0 * (1.0 - d) * (1.0 - d);
      pixels[y * width + x] = static_cast<uint32_t>(a) << 24;
    }
  }
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  POINT source = {0, 0};
  SIZE size = {width, height};
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(hwnd_, screen, nullptr, &size, memory, &source, 0, &blend, ULW_ALPHA);
  SelectObject(memory, old);
  DeleteDC(memory);
  DeleteObject(bitmap);
  ReleaseDC(nullptr, screen);
  rendered_ = size;
}

void ShadowWindow::Update() {
  if (!hwnd_) return;
  if (!IsWindowVisible(owner_) || IsIconic(owner_)) {
    ShowWindow(hwnd_, SW_HIDE);
    return;
  }
  RECT r;
  GetWindowRect(owner_, &r);
  int width = r.right - r.left + 2 * size_;
  int height = r.bottom - r.top + 2 * size_;
  if (width != rendered_.cx || height != rendered_.cy) Render(width, height);
  SetWindowPos(hwnd_, owner_, r.left - size_, r.top - size_, width, height,
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

}  // namespace ui
