#include "tests/robustness/installer_process.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

#include "tests/support/test_paths.h"

namespace {

struct WindowSearch {
  DWORD pid;
  const std::wstring* caption;
  HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (pid == search->pid && IsWindowVisible(window) && WindowText(window) == *search->caption) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

BOOL CALLBACK CollectEdit(HWND window, LPARAM param) {
  wchar_t className[64] = {};
  GetClassNameW(window, className, 64);
  std::wstring name = className;
  for (wchar_t& c : name)
    c = static_cast<wchar_t>(std::towlower(c));
  // "RichEdit20W", "RICHEDIT50W" and the like.
  if (name.find(L"edit") != std::wstring::npos)
    reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(WindowText(window));
  return TRUE;
}

}  // namespace

std::wstring VariantPath(const char* name) {
  return WindowsPathFromUnix(ROBUST_VARIANT_DIR) + L"\\" +
         std::wstring(name, name + strlen(name)) + L".exe";
}

std::wstring InstallerPath() {
  return WindowsPathFromUnix(ROBUST_INSTALLER_EXE);
}

HWND InstallerProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) {
  WindowSearch search = {pid(), &caption, nullptr};
  WaitUntil(
      [&] {
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || HasExited();
      },
      timeoutMs);
  return search.found;
}

std::wstring WindowText(HWND window) {
  // WM_GETTEXT, unlike GetWindowTextW, reaches the text of another process's controls.
  const LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const LRESULT copied =
      SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
  text.resize(static_cast<size_t>(copied));
  return text;
}

std::wstring MessageBoxText(HWND box) {
  HWND label = GetDlgItem(box, 0xFFFF);
  return label ? WindowText(label) : std::wstring();
}

std::vector<std::wstring> EditTexts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(window, &CollectEdit, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

bool WaitForEditShowing(HWND window, const std::wstring& text, DWORD timeoutMs) {
  return WaitUntil(
      [&] {
        const std::vector<std::wstring> edits = EditTexts(window);
        return std::find(edits.begin(), edits.end(), text) != edits.end();
      },
      timeoutMs);
}
