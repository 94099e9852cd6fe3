// Opt-in timing of start-up and painting, for the benchmarks in bench/. Reads the environment
// once at process entry; without the variables below every call returns at once. Linked only
// into the bench programs and the traced installer (the installer's "-traced" target, built
// with INSTALLER_TRACE); the shipped installer never reads these variables.
//
//   INSTALLER_TRACE_STARTUP=<file>  "entry_ms=" and "first_paint_ms=" lines, both measured
//                                    from the process's creation time, so the loader counts.
//   INSTALLER_TRACE_PAINT=<file>    one line per paint: wall-clock milliseconds since 1970
//                                    and the repainted rectangle "t left top right bottom".
//
//   int WINAPI wWinMain(...) {
//     BeginStartupTrace();                    // first statement
//     ...
//   }
//   // at the end of each paint:  TracePaintDone(paintStruct.rcPaint);
//
// Threading: BeginStartupTrace on the main thread before any other; TracePaintDone on the UI
// thread only.
#pragma once

#include <windows.h>

void BeginStartupTrace();
void TracePaintDone(const RECT& painted);
