// A kernel handle closed on every way out of a function.
//
//   ScopedHandle file(CreateFileW(path, GENERIC_READ, ...));
//   if (!file.IsValid()) return false;
//   ReadFile(file.Get(), ...);
//
// Threading: one owner; the handle itself may be used from any thread.
#pragma once

#include <windows.h>

class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ~ScopedHandle() {
    if (IsValid())
      CloseHandle(handle_);
  }
  // Both "no handle" values the kernel uses: CreateFile's and the others'.
  bool IsValid() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }

 private:
  HANDLE handle_;
};
