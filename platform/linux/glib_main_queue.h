// The main queue as GLib's default main context (which Qt's event loop and
// the file manager both run).
#pragma once

#include "shared/ports/main_queue.h"

namespace quillet::platform {

class GLibMainQueue final : public MainQueue {
public:
    // Never runs the task inside the call, even on the main thread.
    void post(Task task) override;
    void postAfter(std::chrono::milliseconds delay, Task task) override;
    // Runs the task once the context has nothing more urgent to do: after
    // every task posted, every bus call received and the work they post in
    // turn.
    void postWhenIdle(Task task);
};

} // namespace quillet::platform
