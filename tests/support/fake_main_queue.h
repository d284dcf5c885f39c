// A main queue on a virtual clock: nothing runs until the test advances time
// or asks for the pending tasks, so delayed work is tested without waiting.
#pragma once

#include "shared/ports/main_queue.h"

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quillet::test {

class FakeMainQueue final : public MainQueue {
public:
    // May be called from any thread.
    void post(Task task) override;
    void postAfter(std::chrono::milliseconds delay, Task task) override;

    // Moves the clock forward, running every task that falls due on the way
    // in time order (tasks posted meanwhile included), each at its own time.
    void advance(std::chrono::milliseconds by);
    // Runs the tasks due now, including those they post for now. Returns how many ran.
    std::size_t runPending();
    // Blocks (real time) until a task due now is queued, then runs the due
    // tasks; for work handed over from another thread. False on timeout.
    bool waitAndRunPending(std::chrono::milliseconds realTimeout);

    std::chrono::milliseconds now() const;
    std::size_t pendingCount() const;

private:
    struct Entry {
        std::chrono::milliseconds due;
        std::uint64_t sequence;
        Task task;
    };
    // Takes the earliest task due at or before the limit; false when none.
    bool takeNextDue(std::chrono::milliseconds limit, Task& out);

    mutable std::mutex mutex_;
    std::condition_variable posted_;
    std::vector<Entry> entries_;
    std::chrono::milliseconds now_{0};
    std::uint64_t nextSequence_ = 0;
};

} // namespace quillet::test
