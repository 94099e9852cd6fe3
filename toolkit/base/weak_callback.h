// Weak callbacks: a task bound to an owner's liveness so that it does nothing once the
// owner is destroyed. The owner derives from SupportWeakCallback; MakeWeak wraps a callable.
//
//   class CMainWindow : public virtual base::SupportWeakCallback { ... };
//   base::PostToThread(kMiscThreadId, MakeWeak([this] { RunDownload(); }));
//
// Threading: MakeWeak may be called on any thread; the liveness check happens on the thread
// that runs the callback, when it starts. An owner destroyed while its callback is running
// is not detected, so an owner must outlive callbacks running on other threads, or only be
// destroyed on the thread its callbacks run on.
#pragma once

#include <memory>
#include <utility>

namespace base {

// The shared liveness token: alive while its owner's shared_ptr exists.
struct WeakFlag {};

template <typename F>
class WeakCallback {
 public:
  WeakCallback(std::weak_ptr<WeakFlag> flag, F callable)
      : flag_(std::move(flag)), callable_(std::move(callable)) {}

  // Runs the callable unless the owner is gone. Returns nothing; the result of the
  // callable, if any, is discarded.
  template <typename... Args>
  void operator()(Args&&... args) const {
    if (flag_.expired())
      return;
    callable_(std::forward<Args>(args)...);
  }
  // The same for a callable that changes what it carries (a mutable lambda that moves a
  // result on): a posted task runs once, so it may hand its captures away.
  template <typename... Args>
  void operator()(Args&&... args) {
    if (flag_.expired())
      return;
    callable_(std::forward<Args>(args)...);
  }

  bool Expired() const { return flag_.expired(); }
  const std::weak_ptr<WeakFlag>& flag() const { return flag_; }

 private:
  std::weak_ptr<WeakFlag> flag_;
  F callable_;
};

class SupportWeakCallback {
 public:
  SupportWeakCallback() = default;
  SupportWeakCallback(const SupportWeakCallback&) = delete;
  SupportWeakCallback& operator=(const SupportWeakCallback&) = delete;
  virtual ~SupportWeakCallback() = default;  // releasing flag_ ends every weak callback

  template <typename F>
  WeakCallback<std::decay_t<F>> MakeWeak(F&& callable) {
    return WeakCallback<std::decay_t<F>>(GetWeakFlag(), std::forward<F>(callable));
  }

  // Created on first use. Not thread-safe against a concurrent first use: take it on the
  // owner's thread before handing MakeWeak results to others.
  std::weak_ptr<WeakFlag> GetWeakFlag() {
    if (!flag_)
      flag_ = std::make_shared<WeakFlag>();
    return flag_;
  }

  // Ends every weak callback made so far, before the owner itself is gone.
  void CancelWeakCallbacks() { flag_.reset(); }

 private:
  std::shared_ptr<WeakFlag> flag_;
};

}  // namespace base
