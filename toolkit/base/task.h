// The unit of work that crosses threads. A task is run at most once, on the thread it was
// posted to, and owns what it carries: it can be moved but not copied, so whatever it holds
// (a buffer, a handle, a promise) has exactly one owner, and is released when the task has run
// or when a task that is dropped (its thread is gone) is destroyed unrun.
//
//   base::Task task = [body = std::move(body)] { Upload(body); };
//   std::move(task).Run();  // runs once; `task` is empty afterwards
//
// Threading: a task belongs to whichever thread holds it; it is not shared.
#pragma once

#include <cstddef>
#include <memory>
#include <type_traits>
#include <utility>

namespace base {

class Task {
 public:
  Task() = default;
  Task(std::nullptr_t) {}  // NOLINT: an empty task, as "no task"

  // Any callable taking no arguments; a move-only one (one that captures a unique_ptr) too.
  template <typename F, typename Fn = std::decay_t<F>,
            typename = std::enable_if_t<!std::is_same_v<Fn, Task> && std::is_invocable_v<Fn&>>>
  Task(F&& callable)  // NOLINT: callables convert implicitly, as they did to std::function
      : callable_(std::make_unique<Holder<Fn>>(std::forward<F>(callable))) {}

  Task(Task&&) noexcept = default;
  Task& operator=(Task&&) noexcept = default;
  Task(const Task&) = delete;
  Task& operator=(const Task&) = delete;

  explicit operator bool() const { return callable_ != nullptr; }

  // Runs the task and then destroys what it carries, before returning, so that it is
  // released before the next task of the loop runs. An empty task does nothing.
  void Run() && {
    std::unique_ptr<Callable> callable = std::move(callable_);
    if (callable) callable->Run();
  }

 private:
  struct Callable {
    virtual ~Callable() = default;
    virtual void Run() = 0;
  };
  template <typename Fn>
  struct Holder final : Callable {
    explicit Holder(Fn&& f) : fn(std::move(f)) {}
    explicit Holder(const Fn& f) : fn(f) {}
    void Run() override { fn(); }
    Fn fn;
  };

  std::unique_ptr<Callable> callable_;
};

}  // namespace base
