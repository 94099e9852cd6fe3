// What each framework thread knows about itself, shared by the thread and the directory.
// Internal to the thread library.
//
// Threading: each thread sees only its own copy.
#pragma once

namespace base {

class FrameworkThread;
class MessageLoop;

struct ThreadLocalData {
  FrameworkThread* self = nullptr;  // null on threads that are no framework thread
  MessageLoop* loop = nullptr;      // owned by the framework thread while its loop runs
  bool quitProperly = false;        // the loop ended through a quit request or message
  int registrationCount = 0;
  int registeredId = -1;
};

ThreadLocalData& CurrentThreadData();

// Removes whatever registration the calling thread still holds; its thread is ending.
void WithdrawAllForCurrentThread();

}  // namespace base
