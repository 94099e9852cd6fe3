#include "window/shell_actions.h"

#include <shellapi.h>
#include <shlobj.h>

#include "app/desktop_shell.h"
#include "toolkit/base/replace_all.h"
#include "toolkit/base/text_table.h"

namespace {

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data)
    SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

bool IsTrimmed(wchar_t c) {
  return c == L' ' || c < 30;
}

}  // namespace

std::wstring BrowseForFolder(HWND owner, const std::wstring& title,
                             const std::wstring& initialFolder) {
  BROWSEINFOW info = {};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_EDITBOX | BIF_NEWDIALOGSTYLE | BIF_UAHINT;
  info.lpfn = BrowseCallback;
  info.lParam = reinterpret_cast<LPARAM>(initialFolder.c_str());
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  if (!item)
    return L"";
  wchar_t path[MAX_PATH] = {};
  bool ok = SHGetPathFromIDListW(item, path) != FALSE;
  CoTaskMemFree(item);
  return ok ? path : L"";
}

std::wstring TrimUrl(const std::wstring& url) {
  size_t begin = 0;
  size_t end = url.size();
  while (begin < end && IsTrimmed(url[begin]))
    ++begin;
  while (end > begin && IsTrimmed(url[end - 1]))
    --end;
  return url.substr(begin, end - begin);
}

bool OpenUrl(const std::wstring& url) {
  // The page opens in a browser with the desktop user's rights, never the installer's.
  return ShellExecuteAsDesktopUser(TrimUrl(url), L"", L"");
}

std::wstring SystemMessageText(int code) {
  wchar_t* buffer = nullptr;
  DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM,
      nullptr, static_cast<DWORD>(code), 0x400, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::wstring text = length && buffer ? std::wstring(buffer, length) : std::wstring();
  if (buffer)
    LocalFree(buffer);
  ReplaceAll(text, L"\r", L"");
  ReplaceAll(text, L"\n", L"");
  return text;
}

std::wstring FailureReasonText(int code, const std::wstring& stage) {
  return base::Text("failure_reason", {{"error", SystemMessageText(code)}, {"stage", stage}});
}
