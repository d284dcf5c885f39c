#include "drive_scan.h"

#include <condition_variable>
#include <mutex>
#include <thread>

namespace quillet {

struct DriveScan::State {
    MainQueue* mainQueue;
    Scan scan;
    Done done;
    std::mutex mutex;
    std::condition_variable idle;
    bool running = false;
    bool again = false;
    bool stopped = false;
};

namespace {

// The worker owns a share of the state, so a scan that returns after the
// object is gone finds `stopped` and delivers nothing.
void work(const std::shared_ptr<DriveScan::State>& state) {
    for (;;) {
        std::vector<std::string> folders;
        try {
            folders = state->scan();
        } catch (...) {
            folders.clear(); // an unreadable root adds no drives
        }
        std::lock_guard lock(state->mutex);
        if (state->stopped) {
            state->running = false;
            state->idle.notify_all();
            return;
        }
        if (state->again) {
            // Something changed while this scan ran: its result may be stale.
            state->again = false;
            continue;
        }
        state->running = false;
        state->mainQueue->post([state, folders = std::move(folders)]() mutable {
            // The main queue and the destructor share the main thread.
            if (!state->stopped) {
                state->done(std::move(folders));
            }
        });
        state->idle.notify_all();
        return;
    }
}

} // namespace

DriveScan::DriveScan(MainQueue& mainQueue, Scan scan, Done done)
    : state_(std::make_shared<State>()) {
    state_->mainQueue = &mainQueue;
    state_->scan = std::move(scan);
    state_->done = std::move(done);
}

DriveScan::~DriveScan() {
    std::unique_lock lock(state_->mutex);
    state_->stopped = true;
    state_->idle.wait_for(lock, kShutdownWait, [this] { return !state_->running; });
}

void DriveScan::request() {
    std::lock_guard lock(state_->mutex);
    if (state_->stopped) {
        return;
    }
    if (state_->running) {
        state_->again = true;
        return;
    }
    state_->running = true;
    std::thread([state = state_] { work(state); }).detach();
}

} // namespace quillet
