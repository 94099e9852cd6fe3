#include "tests/toolkit/skin_fixture.h"

#include <cstdio>
#include <vector>

#include "toolkit/ui/win/gdiplus_include.h"
#include "toolkit/ui/win/zip_resource_source.h"

namespace ui {
namespace {

std::string ReadWholeFile(const char* path) {
  std::string data;
  FILE* f = fopen(path, "rb");
  if (!f) return data;
  char buffer[65536];
  size_t n;
  while ((n = fread(buffer, 1, sizeof(buffer), f)) > 0) data.append(buffer, n);
  fclose(f);
  return data;
}

}  // namespace

std::wstring ThemeFolderFor(int scale) {
  if (scale <= 100) return L"themes\\default";
  if (scale < 132) return L"themes\\default-hdpi";
  return L"themes\\default-xhdpi";
}

std::unique_ptr<ResourceSource> OpenSkinSource(std::string* error) {
  // The archive outlives every source: it is read lazily for images.
  static std::string zip = ReadWholeFile(BRIGHTMERE_THEME_ZIP);
  if (zip.empty()) {
    *error = std::string("cannot read ") + BRIGHTMERE_THEME_ZIP;
    return nullptr;
  }
  std::unique_ptr<ZipArchive> archive = ZipArchive::Open(zip.data(), zip.size(), error);
  if (!archive) return nullptr;
  return std::make_unique<ZipResourceSource>(std::move(archive));
}

bool StartToolkitOnSkin(int scale, std::string* error) {
  std::unique_ptr<ResourceSource> source = OpenSkinSource(error);
  if (!source) return false;
  GlobalManager::SetDisplayScale(scale);
  if (!GlobalManager::Startup(L"resources\\", ThemeFolderFor(scale), L"lang\\zh_CN",
                              std::move(source))) {
    *error = GlobalManager::GetLastError();
    return false;
  }
  return true;
}

bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!done()) {
    DWORD elapsed = GetTickCount() - start;
    if (elapsed >= timeoutMs) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, timeoutMs - elapsed, QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
  return true;
}

void PumpPending() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  COLORREF c = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return RGB(GetBValue(c), GetGValue(c), GetRValue(c));  // as 0xRRGGBB
}

void SaveScreenshot(HWND hwnd, const std::wstring& name) {
  wchar_t folder[MAX_PATH];
  if (!GetEnvironmentVariableW(L"BRIGHTMERE_SCREENSHOTS", folder, MAX_PATH)) return;
  // The display may lag the window's painting; a picture for people can wait a moment.
  PumpUntil([] { return false; }, 300);
  RECT r;
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(memory, old);
  {
    Gdiplus::Bitmap image(bitmap, nullptr);
    UINT count = 0, size = 0;
    Gdiplus::GetImageEncodersSize(&count, &size);
    std::vector<BYTE> buffer(size);
    auto* encoders = reinterpret_cast<Gdiplus::ImageCodecInfo*>(buffer.data());
    Gdiplus::GetImageEncoders(count, size, encoders);
    for (UINT i = 0; i < count; ++i)
      if (wcscmp(encoders[i].MimeType, L"image/png") == 0)
        image.Save((std::wstring(folder) + L"\\" + name + L".png").c_str(), &encoders[i].Clsid, nullptr);
  }
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace ui
