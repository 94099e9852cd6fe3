#include "tests/robustness/installer_process.h"

#include <cstring>
#include <cwctype>
#include <vector>

namespace {

std::wstring FromBuildPath(const char* path) {
  std::wstring result = L"Z:";
  for (const char* p = path; *p; ++p)
    result.push_back(*p == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  return result;
}

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
  return FromBuildPath(ROBUST_VARIANT_DIR) + L"\\" +
         std::wstring(name, name + strlen(name)) + L".exe";
}

std::wstring InstallerPath() {
  return FromBuildPath(ROBUST_INSTALLER_EXE);
}

InstallerProcess::~InstallerProcess() {
  if (info_.hProcess) {
    if (WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(info_.hProcess, 1);
      WaitForSingleObject(info_.hProcess, 10000);
    }
    CloseHandle(info_.hProcess);
    CloseHandle(info_.hThread);
  }
}

bool InstallerProcess::Start(const std::wstring& exe, const std::wstring& arguments) {
  std::wstring commandLine = L"\"" + exe + L"\"";
  if (!arguments.empty())
    commandLine += L" " + arguments;
  std::vector<wchar_t> buffer(commandLine.begin(), commandLine.end());
  buffer.push_back(L'\0');
  STARTUPINFOW startup = {};
  startup.cb = sizeof(startup);
  return CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        nullptr, &startup, &info_) != FALSE;
}

HWND InstallerProcess::WaitForWindow(const std::wstring& caption, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    WindowSearch search = {info_.dwProcessId, &caption, nullptr};
    EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
    if (search.found)
      return search.found;
    if (GetTickCount() - start > timeoutMs)
      return nullptr;
    if (WaitForSingleObject(info_.hProcess, 20) == WAIT_OBJECT_0)
      return nullptr;
  }
}

bool InstallerProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
  if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0)
    return false;
  return GetExitCodeProcess(info_.hProcess, exitCode) != FALSE;
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
