#include "app/startup/startup_trace.h"

#include <cstdio>
#include <string>

namespace {

constexpr double kFiletimeTicksPerMs = 10000.0;
constexpr unsigned long long kFiletimeTo1970 = 116444736000000000ULL;

std::wstring startupFile;
FILE* paintLog = nullptr;
bool firstPaintSeen = false;
double entryMs = 0;  // since process creation
LARGE_INTEGER entryCounter{};
LARGE_INTEGER counterFrequency{};

unsigned long long AsTicks(const FILETIME& time) {
  return (static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

std::wstring ReadEnvironment(const wchar_t* name) {
  wchar_t value[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableW(name, value, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(value, length) : std::wstring();
}

double NowSinceCreationMs() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return entryMs + (now.QuadPart - entryCounter.QuadPart) * 1000.0 / counterFrequency.QuadPart;
}

}  // namespace

void BeginStartupTrace() {
  // Both clocks are read together: the creation time is wall-clock, later times are QPC.
  QueryPerformanceFrequency(&counterFrequency);
  QueryPerformanceCounter(&entryCounter);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);

  startupFile = ReadEnvironment(L"INSTALLER_TRACE_STARTUP");
  if (!startupFile.empty()) {
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user))
      entryMs = (static_cast<double>(AsTicks(now)) - AsTicks(created)) / kFiletimeTicksPerMs;
  }
  std::wstring paintFile = ReadEnvironment(L"INSTALLER_TRACE_PAINT");
  if (!paintFile.empty()) paintLog = _wfopen(paintFile.c_str(), L"w");
}

void TracePaintDone(const RECT& painted) {
  if (!firstPaintSeen && !startupFile.empty()) {
    firstPaintSeen = true;
    double firstPaintMs = NowSinceCreationMs();
    if (FILE* out = _wfopen(startupFile.c_str(), L"w")) {
      std::fprintf(out, "entry_ms=%.3f\nfirst_paint_ms=%.3f\n", entryMs, firstPaintMs);
      std::fclose(out);
    }
  }
  if (paintLog) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    double wallMs = (static_cast<double>(AsTicks(now)) - kFiletimeTo1970) / kFiletimeTicksPerMs;
    std::fprintf(paintLog, "%.3f %ld %ld %ld %ld\n", wallMs, painted.left, painted.top,
                 painted.right, painted.bottom);
    std::fflush(paintLog);
  }
}
