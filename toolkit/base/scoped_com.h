// COM on the current thread for as long as the object lives. A thread that has COM already in
// the same apartment gets it once more (counted, and undone here); one that has it in the other
// apartment keeps what it has, and the object then undoes nothing.
//
//   base::ScopedCom com;                                  // single-threaded apartment
//   base::ScopedCom com(base::ScopedCom::kMultiThreaded);  // a worker that only decodes
//
// Threading: create and destroy on the same thread.
#pragma once

#include <objbase.h>

namespace base {

class ScopedCom {
 public:
  enum Apartment { kSingleThreaded, kMultiThreaded };

  explicit ScopedCom(Apartment apartment = kSingleThreaded)
      : started_(SUCCEEDED(CoInitializeEx(nullptr, apartment == kSingleThreaded
                                                       ? COINIT_APARTMENTTHREADED
                                                       : COINIT_MULTITHREADED))) {}
  ~ScopedCom() {
    if (started_)
      CoUninitialize();
  }
  ScopedCom(const ScopedCom&) = delete;
  ScopedCom& operator=(const ScopedCom&) = delete;

 private:
  bool started_;
};

}  // namespace base
