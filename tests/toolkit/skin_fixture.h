// Starts the toolkit on the real skin package (theme.zip, as the installer embeds it) at a
// display scale, and offers what window tests need: a window class over a skin folder, a
// message pump that waits for a condition, and screen pixels.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "toolkit/ui/core/resource_source.h"
#include "toolkit/ui/ui.h"

namespace ui {

// The theme folder the installer picks for a display scale.
std::wstring ThemeFolderFor(int scale);

// Reads theme.zip and starts the toolkit on it; false when the archive is missing.
bool StartToolkitOnSkin(int scale, std::string* error);
// A resource source of its own over theme.zip; null when the archive is missing.
std::unique_ptr<ResourceSource> OpenSkinSource(std::string* error);

// Runs the message loop until `done` is true or `timeoutMs` passed; returns `done()`.
bool PumpUntil(const std::function<bool()>& done, DWORD timeoutMs = 5000);
// Runs all pending messages (paint included).
void PumpPending();

// The colour (0xRRGGBB) of a screen pixel.
COLORREF ScreenPixel(int x, int y);
// Saves the window's screen area as a PNG when BRIGHTMERE_SCREENSHOTS names a folder.
void SaveScreenshot(HWND hwnd, const std::wstring& name);

// A skinned window over any layout of the theme.
class TestWindow : public WindowImplBase {
 public:
  TestWindow(std::wstring folder, std::wstring file)
      : folder_(std::move(folder)), file_(std::move(file)) {}
  std::wstring WindowClassName() const override { return L"ToolkitTestWindow"; }
  std::wstring SkinFolder() override { return folder_; }
  std::wstring LayoutFile() override { return file_; }
  void OnWindowInit() override { ++initCount; }
  LRESULT OnCloseMessage(WPARAM wParam, LPARAM lParam, bool& handled) override {
    closeValue = static_cast<int>(wParam);
    ++closeCount;
    return WindowImplBase::OnCloseMessage(wParam, lParam, handled);
  }
  int initCount = 0;
  int closeCount = 0;
  int closeValue = -1;

 private:
  std::wstring folder_;
  std::wstring file_;
};

}  // namespace ui
