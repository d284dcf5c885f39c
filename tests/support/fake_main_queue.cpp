#include "fake_main_queue.h"

#include <algorithm>

namespace quillet::test {

void FakeMainQueue::post(Task task) {
    postAfter(std::chrono::milliseconds(0), std::move(task));
}

void FakeMainQueue::postAfter(std::chrono::milliseconds delay, Task task) {
    {
        std::lock_guard lock(mutex_);
        entries_.push_back({now_ + std::max(delay, std::chrono::milliseconds(0)), nextSequence_++,
                            std::move(task)});
    }
    posted_.notify_all();
}

bool FakeMainQueue::takeNextDue(std::chrono::milliseconds limit, Task& out) {
    std::lock_guard lock(mutex_);
    auto next =
        std::min_element(entries_.begin(), entries_.end(), [](const Entry& a, const Entry& b) {
            return a.due != b.due ? a.due < b.due : a.sequence < b.sequence;
        });
    if (next == entries_.end() || next->due > limit) {
        return false;
    }
    now_ = std::max(now_, next->due);
    out = std::move(next->task);
    entries_.erase(next);
    return true;
}

void FakeMainQueue::advance(std::chrono::milliseconds by) {
    std::chrono::milliseconds target;
    {
        std::lock_guard lock(mutex_);
        target = now_ + by;
    }
    Task task;
    while (takeNextDue(target, task)) {
        // The lock is released while the task runs: tasks post more tasks.
        if (task) {
            task();
        }
    }
    std::lock_guard lock(mutex_);
    now_ = std::max(now_, target);
}

std::size_t FakeMainQueue::runPending() {
    std::size_t count = 0;
    Task task;
    while (takeNextDue(now(), task)) {
        if (task) {
            task();
        }
        ++count;
    }
    return count;
}

bool FakeMainQueue::waitAndRunPending(std::chrono::milliseconds realTimeout) {
    {
        std::unique_lock lock(mutex_);
        bool due = posted_.wait_for(lock, realTimeout, [this] {
            return std::any_of(entries_.begin(), entries_.end(),
                               [this](const Entry& e) { return e.due <= now_; });
        });
        if (!due) {
            return false;
        }
    }
    runPending();
    return true;
}

std::chrono::milliseconds FakeMainQueue::now() const {
    std::lock_guard lock(mutex_);
    return now_;
}

std::size_t FakeMainQueue::pendingCount() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

} // namespace quillet::test
