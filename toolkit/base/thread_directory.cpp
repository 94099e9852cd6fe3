#include "toolkit/base/thread_directory.h"

#include <map>
#include <mutex>

#include "toolkit/base/message_loop.h"
#include "toolkit/base/thread_local_data.h"

namespace base {
namespace {

struct Entry {
  const ThreadLocalData* owner;  // identifies the thread; only compared, never read
  std::weak_ptr<MessageLoop> loop;
};

struct Directory {
  std::mutex lock;
  std::map<int, Entry> entries;
};

// Created on first use and never destroyed, so that threads still running while static
// objects are torn down at exit find it intact.
Directory& GetDirectory() {
  static Directory* directory = new Directory;
  return *directory;
}

void RemoveRegistration(ThreadLocalData& local) {
  Directory& directory = GetDirectory();
  {
    std::lock_guard<std::mutex> lock(directory.lock);
    auto it = directory.entries.find(local.registeredId);
    if (it != directory.entries.end() && it->second.owner == &local)
      directory.entries.erase(it);
  }
  local.registrationCount = 0;
  local.registeredId = -1;
}

}  // namespace

ThreadLocalData& CurrentThreadData() {
  static thread_local ThreadLocalData data;
  return data;
}

void WithdrawAllForCurrentThread() {
  ThreadLocalData& local = CurrentThreadData();
  if (local.registrationCount > 0)
    RemoveRegistration(local);
}

bool ThreadDirectory::Enroll(int id) {
  ThreadLocalData& local = CurrentThreadData();
  // Only a thread with a loop can receive tasks. A thread keeps one id: enrolling a second
  // one would leave the first behind in the table when the thread withdraws.
  if (id < 0 || !local.loop || (local.registeredId != -1 && local.registeredId != id))
    return false;
  Directory& directory = GetDirectory();
  std::lock_guard<std::mutex> lock(directory.lock);
  auto it = directory.entries.find(id);
  if (it == directory.entries.end())
    directory.entries.emplace(id, Entry{&local, local.loop->weak_from_this()});
  else if (it->second.owner != &local)
    return false;
  ++local.registrationCount;
  local.registeredId = id;
  return true;
}

void ThreadDirectory::Withdraw() {
  ThreadLocalData& local = CurrentThreadData();
  if (local.registrationCount == 0)
    return;
  if (--local.registrationCount == 0)
    RemoveRegistration(local);
}

std::shared_ptr<MessageLoopProxy> ThreadDirectory::GetLoop(int id) {
  std::shared_ptr<MessageLoop> loop;
  {
    Directory& directory = GetDirectory();
    std::lock_guard<std::mutex> lock(directory.lock);
    auto it = directory.entries.find(id);
    if (it == directory.entries.end())
      return nullptr;
    loop = it->second.loop.lock();
  }
  if (!loop || loop->IsClosed())
    return nullptr;
  return loop;
}

int ThreadDirectory::CurrentId() {
  return CurrentThreadData().registeredId;
}

void PostToThread(int id, Task task) {
  if (std::shared_ptr<MessageLoopProxy> loop = ThreadDirectory::GetLoop(id))
    loop->PostTask(std::move(task));
  // Otherwise the task dies here, unrun, releasing what it owns.
}

void PostDelayedToThread(int id, Task task, TimeDelta delay) {
  if (std::shared_ptr<MessageLoopProxy> loop = ThreadDirectory::GetLoop(id))
    loop->PostDelayedTask(std::move(task), delay);
}

}  // namespace base
