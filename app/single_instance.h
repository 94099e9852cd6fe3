// Keeps a second copy of the installer from running: the first instance holds the named
// mutex the product names (mutex_name) for its whole life; a later one asks the user to
// close the first and retry, or to give up.
//
//   if (!GuardSingleInstance()) { PostQuitMessage(0); return; }
//
// Threading: main thread, before the UI exists (the prompt is a modal system box).
#pragma once

#include <string>

// The prompt's texts, with the product name filled in.
std::wstring AlreadyRunningText();
std::wstring AlreadyRunningCaption();

// Creates the mutex and keeps its handle open until the process ends. False when it
// already existed or couldn't be created.
bool TryClaimInstanceMutex();

// Repeats TryClaimInstanceMutex for as long as the user answers Retry to the prompt.
// True once this process is the only instance; false when the user cancelled.
bool GuardSingleInstance();
