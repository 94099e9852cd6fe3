// The bench's outside observer of a running installer window (found by its title):
//
//   window_probe ping  TITLE OUT STOP_FILE [INTERVAL_MS=10]
//     Sends the window WM_NULL with SendMessageTimeout every interval and writes one line per
//     round trip: "wall_ms rtt_ms answered" (wall_ms: milliseconds since 1970).
//   window_probe repaint TITLE OUT COUNT
//     Repaints the whole window COUNT times (RedrawWindow with RDW_UPDATENOW, which waits for
//     the window's WM_PAINT) and writes one line per repaint: "wall_ms repaint_ms".
//   window_probe watch TITLE OUT STOP_FILE [INTERVAL_MS=100]
//     Samples the window's process: "wall_ms cpu_ms private_bytes peak_private_bytes
//     working_set peak_working_set" (GetProcessTimes, GetProcessMemoryInfo).
//   window_probe shown TITLE OUT STOP_FILE NAME [INTERVAL_MS=20]
//     Asks the window every interval, through MSAA as a screen reader would, whether the
//     control named NAME is shown, and writes one line per question: "wall_ms shown ask_ms"
//     (wall_ms when the answer came). Stops after the first "shown" answer.
//
// All wait up to 60 s for the window and stop when STOP_FILE exists or the window is gone.
// Threading: one thread.
#include <windows.h>
#include <oleacc.h>
#include <psapi.h>

#include <cstdio>
#include <cwchar>
#include <string>

namespace {

constexpr UINT kSendTimeoutMs = 2000;
constexpr int kWindowWaitMs = 60000;

double WallMs() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return (ticks - 116444736000000000ULL) / 10000.0;
}

class Clock {
 public:
  Clock() {
    QueryPerformanceFrequency(&frequency_);
    QueryPerformanceCounter(&start_);
  }
  double Ms() const {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return (now.QuadPart - start_.QuadPart) * 1000.0 / frequency_.QuadPart;
  }

 private:
  LARGE_INTEGER frequency_, start_;
};

HWND WaitForWindow(const wchar_t* title) {
  for (int waited = 0; waited < kWindowWaitMs; waited += 10) {
    if (HWND window = FindWindowW(nullptr, title)) return window;
    Sleep(10);
  }
  return nullptr;
}

bool ShouldStop(HWND window, const wchar_t* stopFile) {
  return !IsWindow(window) || GetFileAttributesW(stopFile) != INVALID_FILE_ATTRIBUTES;
}

// Sleeps until the next multiple of the interval since the start, so that slow rounds do not
// stretch the schedule.
void WaitForTick(const Clock& clock, int interval, long long* tick) {
  ++*tick;
  double due = static_cast<double>(*tick) * interval;
  double now = clock.Ms();
  if (due > now) Sleep(static_cast<DWORD>(due - now));
}

unsigned long long Ms(const FILETIME& time) {
  return ((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime) /
         10000;
}

int Ping(HWND window, FILE* out, const wchar_t* stopFile, int interval) {
  Clock clock;
  long long tick = 0;
  while (!ShouldStop(window, stopFile)) {
    double sent = clock.Ms();
    DWORD_PTR result = 0;
    LRESULT answered =
        SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, kSendTimeoutMs, &result);
    std::fprintf(out, "%.3f %.3f %d\n", WallMs(), clock.Ms() - sent, answered ? 1 : 0);
    WaitForTick(clock, interval, &tick);
  }
  return 0;
}

int Watch(HWND window, FILE* out, const wchar_t* stopFile, int interval) {
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  HANDLE process =
      OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
  if (!process) return 3;
  Clock clock;
  long long tick = 0;
  while (!ShouldStop(window, stopFile)) {
    FILETIME created, exited, kernel, user;
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof(memory);
    if (GetProcessTimes(process, &created, &exited, &kernel, &user) &&
        GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof(memory))) {
      std::fprintf(out, "%.3f %llu %lu %lu %lu %lu\n", WallMs(), Ms(kernel) + Ms(user),
                   static_cast<unsigned long>(memory.PrivateUsage),
                   static_cast<unsigned long>(memory.PeakPagefileUsage),
                   static_cast<unsigned long>(memory.WorkingSetSize),
                   static_cast<unsigned long>(memory.PeakWorkingSetSize));
      std::fflush(out);
    }
    WaitForTick(clock, interval, &tick);
  }
  CloseHandle(process);
  return 0;
}

int Repaint(HWND window, FILE* out, int count) {
  Clock clock;
  for (int i = 0; i < count && IsWindow(window); ++i) {
    double start = clock.Ms();
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    std::fprintf(out, "%.3f %.3f\n", WallMs(), clock.Ms() - start);
    Sleep(20);
  }
  return 0;
}

// The window's accessible child named `name`, or 0. Child ids are the window's exposed
// controls in tree order, which do not change while the window lives.
long FindChildByName(IAccessible* acc, const std::wstring& name) {
  long count = 0;
  if (acc->get_accChildCount(&count) != S_OK) return 0;
  for (long id = 1; id <= count; ++id) {
    VARIANT child;
    VariantInit(&child);
    child.vt = VT_I4;
    child.lVal = id;
    BSTR text = nullptr;
    bool match = acc->get_accName(child, &text) == S_OK && text &&
                 name == std::wstring(text, SysStringLen(text));
    SysFreeString(text);
    if (match) return id;
  }
  return 0;
}

bool ChildIsShown(IAccessible* acc, long id) {
  VARIANT child, state;
  VariantInit(&child);
  VariantInit(&state);
  child.vt = VT_I4;
  child.lVal = id;
  return acc->get_accState(child, &state) == S_OK && state.vt == VT_I4 &&
         !(state.lVal & STATE_SYSTEM_INVISIBLE);
}

// One accessible object for the whole watch, and one state question per round once the
// control is found: each question is a call into the window's UI thread, so the watch
// costs the window about what a ping does.
int Shown(HWND window, FILE* out, const wchar_t* stopFile, const std::wstring& name,
          int interval) {
  CoInitialize(nullptr);
  IAccessible* acc = nullptr;
  if (FAILED(AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                        reinterpret_cast<void**>(&acc))) || !acc) {
    CoUninitialize();
    return 3;
  }
  Clock clock;
  long long tick = 0;
  long id = 0;
  bool shown = false;
  while (!shown && !ShouldStop(window, stopFile)) {
    double asked = clock.Ms();
    if (!id) id = FindChildByName(acc, name);
    shown = id && ChildIsShown(acc, id);
    std::fprintf(out, "%.3f %d %.3f\n", WallMs(), shown ? 1 : 0, clock.Ms() - asked);
    std::fflush(out);
    WaitForTick(clock, interval, &tick);
  }
  acc->Release();
  CoUninitialize();
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 5) {
    std::fprintf(stderr, "usage: window_probe ping|watch|repaint|shown TITLE OUT STOP_FILE|COUNT "
                         "[NAME] [INTERVAL_MS]\n");
    return 2;
  }
  std::wstring mode = argv[1];
  HWND window = WaitForWindow(argv[2]);
  if (!window) {
    std::fprintf(stderr, "window_probe: no window with that title\n");
    return 4;
  }
  FILE* out = _wfopen(argv[3], L"w");
  if (!out) return 5;
  int result;
  if (mode == L"repaint")
    result = Repaint(window, out, _wtoi(argv[4]));
  else if (mode == L"shown" && argc > 5)
    result = Shown(window, out, argv[4], argv[5], argc > 6 ? _wtoi(argv[6]) : 20);
  else if (mode == L"ping")
    result = Ping(window, out, argv[4], argc > 5 ? _wtoi(argv[5]) : 10);
  else
    result = Watch(window, out, argv[4], argc > 5 ? _wtoi(argv[5]) : 100);
  std::fclose(out);
  return result;
}
