// The program's main thread as a queue: work posted now or after a delay.
#pragma once

#include <chrono>
#include <functional>

namespace quillet {

class MainQueue {
public:
    using Task = std::function<void()>;
    virtual ~MainQueue() = default;

    // May be called from any thread; the task runs on the main thread.
    virtual void post(Task task) = 0;
    virtual void postAfter(std::chrono::milliseconds delay, Task task) = 0;
};

} // namespace quillet
