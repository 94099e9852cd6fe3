// The unit of work that crosses threads. A task is run at most once, on the thread it was
// posted to; a task that is dropped (its thread is gone) is destroyed unrun, releasing
// whatever it owns.
#pragma once

#include <functional>

namespace base {

using Task = std::function<void()>;

}  // namespace base
