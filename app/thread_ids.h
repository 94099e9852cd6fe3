// The identifiers under which the installer's three threads are registered in the thread
// directory (toolkit/base/thread_directory.h). 1, 3, 4 and 5 are not assigned.
#pragma once

constexpr int kUiThreadId = 0;    // "MainThread": the window and everything it does
constexpr int kMiscThreadId = 2;  // "Global Misc Thread": the download and the setup run
constexpr int kHttpThreadId = 6;  // "http Thread": report uploads, one at a time
