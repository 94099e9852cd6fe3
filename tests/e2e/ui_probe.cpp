// ui_probe: what the end-to-end tests see of a window, read the way a screen reader reads it
// (MSAA), printed as JSON for the test driver.
//
//   ui_probe list TITLE          the window with this exact title and its controls
//   ui_probe list class:NAME     the same for the first visible window of a window class
//   ui_probe press TARGET ID     the default action of child ID ("Press" on a button)
//   ui_probe windows             every visible top-level window: title, class, rectangle
//
// Exit code 0 on success, 2 when the window is not there (the driver polls on that), 1 on
// other errors. Output is ASCII: non-ASCII text is escaped as \uXXXX.
#include <windows.h>
#include <oleacc.h>

#include <cstdio>
#include <string>

namespace {

std::string JsonString(const std::wstring& text) {
  std::string out = "\"";
  for (wchar_t c : text) {
    if (c == L'"' || c == L'\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      char escaped[8];
      snprintf(escaped, sizeof(escaped), "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    }
  }
  return out + "\"";
}

std::wstring TakeBstr(BSTR text) {
  std::wstring out = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
  SysFreeString(text);
  return out;
}

std::wstring WindowTitle(HWND window) {
  wchar_t title[512] = {};
  GetWindowTextW(window, title, 512);
  return title;
}

std::wstring WindowClass(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

struct ClassSearch {
  std::wstring className;
  HWND found = nullptr;
};

BOOL CALLBACK MatchClass(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<ClassSearch*>(param);
  if (IsWindowVisible(window) && WindowClass(window) == search->className) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

HWND FindTarget(const std::wstring& target) {
  const std::wstring prefix = L"class:";
  if (target.compare(0, prefix.size(), prefix) == 0) {
    ClassSearch search{target.substr(prefix.size())};
    EnumWindows(MatchClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }
  return FindWindowW(nullptr, target.c_str());
}

std::string RectJson(long left, long top, long width, long height) {
  char text[96];
  snprintf(text, sizeof(text), "\"x\":%ld,\"y\":%ld,\"w\":%ld,\"h\":%ld", left, top, width,
           height);
  return text;
}

std::string StateWords(long state) {
  static const struct {
    long flag;
    const char* word;
  } kWords[] = {{STATE_SYSTEM_INVISIBLE, "invisible"},   {STATE_SYSTEM_UNAVAILABLE, "unavailable"},
                {STATE_SYSTEM_CHECKED, "checked"},       {STATE_SYSTEM_FOCUSED, "focused"},
                {STATE_SYSTEM_READONLY, "readonly"},     {STATE_SYSTEM_PRESSED, "pressed"},
                {STATE_SYSTEM_HOTTRACKED, "hot"}};
  std::string out = "[";
  for (const auto& w : kWords) {
    if (!(state & w.flag)) continue;
    if (out.size() > 1) out += ",";
    out += std::string("\"") + w.word + "\"";
  }
  return out + "]";
}

std::string RoleWord(long role) {
  switch (role) {
    case ROLE_SYSTEM_PUSHBUTTON: return "button";
    case ROLE_SYSTEM_CHECKBUTTON: return "checkbox";
    case ROLE_SYSTEM_TEXT: return "edit";
    case ROLE_SYSTEM_PROGRESSBAR: return "progress";
    case ROLE_SYSTEM_STATICTEXT: return "label";
    default: return std::to_string(role);
  }
}

std::string ChildJson(IAccessible* acc, long id) {
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  BSTR text = nullptr;
  std::string out = "{\"id\":" + std::to_string(id);
  acc->get_accName(child, &text);
  out += ",\"name\":" + JsonString(TakeBstr(text));
  text = nullptr;
  if (acc->get_accValue(child, &text) == S_OK)
    out += ",\"value\":" + JsonString(TakeBstr(text));
  text = nullptr;
  if (acc->get_accDefaultAction(child, &text) == S_OK)
    out += ",\"action\":" + JsonString(TakeBstr(text));
  VARIANT role;
  VariantInit(&role);
  if (acc->get_accRole(child, &role) == S_OK && role.vt == VT_I4)
    out += ",\"role\":\"" + RoleWord(role.lVal) + "\"";
  VARIANT state;
  VariantInit(&state);
  if (acc->get_accState(child, &state) == S_OK && state.vt == VT_I4)
    out += ",\"state\":" + StateWords(state.lVal);
  long left = 0, top = 0, width = 0, height = 0;
  if (acc->accLocation(&left, &top, &width, &height, child) == S_OK)
    out += "," + RectJson(left, top, width, height);
  return out + "}";
}

int List(const std::wstring& target) {
  HWND window = FindTarget(target);
  if (!window) return 2;
  IAccessible* acc = nullptr;
  HRESULT hr = AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                          reinterpret_cast<void**>(&acc));
  if (FAILED(hr) || !acc) {
    fprintf(stderr, "ui_probe: no accessible object (hr %08lx)\n", static_cast<unsigned long>(hr));
    return 1;
  }
  long count = 0;
  acc->get_accChildCount(&count);
  RECT rect = {};
  GetWindowRect(window, &rect);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  std::string out = "{\"hwnd\":" + std::to_string(reinterpret_cast<uintptr_t>(window)) +
                    ",\"pid\":" + std::to_string(pid) +
                    ",\"title\":" + JsonString(WindowTitle(window)) +
                    ",\"enabled\":" + (IsWindowEnabled(window) ? "true" : "false") + "," +
                    RectJson(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top) +
                    ",\"controls\":[";
  for (long id = 1; id <= count; ++id) {
    if (id > 1) out += ",\n";
    out += ChildJson(acc, id);
  }
  out += "]}\n";
  acc->Release();
  fputs(out.c_str(), stdout);
  return 0;
}

int Press(const std::wstring& target, long id) {
  HWND window = FindTarget(target);
  if (!window) return 2;
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&acc))) || !acc)
    return 1;
  VARIANT child;
  VariantInit(&child);
  child.vt = VT_I4;
  child.lVal = id;
  HRESULT hr = acc->accDoDefaultAction(child);
  acc->Release();
  if (FAILED(hr)) {
    fprintf(stderr, "ui_probe: default action failed (hr %08lx)\n", static_cast<unsigned long>(hr));
    return 1;
  }
  return 0;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM param) {
  if (!IsWindowVisible(window)) return TRUE;
  auto* out = reinterpret_cast<std::string*>(param);
  RECT rect = {};
  GetWindowRect(window, &rect);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  if (out->size() > 1) *out += ",\n";
  *out += "{\"hwnd\":" + std::to_string(reinterpret_cast<uintptr_t>(window)) +
          ",\"pid\":" + std::to_string(pid) + ",\"title\":" + JsonString(WindowTitle(window)) +
          ",\"class\":" + JsonString(WindowClass(window)) + "," +
          RectJson(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top) + "}";
  return TRUE;
}

int Windows() {
  std::string out = "[";
  EnumWindows(PrintWindow, reinterpret_cast<LPARAM>(&out));
  out += "]\n";
  fputs(out.c_str(), stdout);
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  CoInitialize(nullptr);
  std::wstring command = argc > 1 ? argv[1] : L"";
  int result = 1;
  if (command == L"list" && argc == 3)
    result = List(argv[2]);
  else if (command == L"press" && argc == 4)
    result = Press(argv[2], wcstol(argv[3], nullptr, 10));
  else if (command == L"windows" && argc == 2)
    result = Windows();
  else
    fprintf(stderr, "usage: ui_probe list TARGET | press TARGET ID | windows\n");
  fflush(stdout);
  CoUninitialize();
  return result;
}
