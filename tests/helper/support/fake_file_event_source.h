// A kernel watch driven by the test: paths open unless marked missing, and
// events are pushed by hand; wait() blocks (real time) until one is pushed.
#pragma once

#include "shared/ports/file_event_source.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>

namespace quillet::test {

struct FakeFileEventState {
    std::mutex mutex;
    std::condition_variable pushed;
    std::deque<FileEventSource::Event> events;
    std::map<FileEventSource::Handle, std::string> open; // handle -> path
    std::map<FileEventSource::Handle, std::uint32_t> flags;
    std::set<std::string> missing;
    int nextHandle = 3;
    int waits = 0;
    std::error_code subscribeError; // the kernel refusing every watch
    bool destroyed = false;
};

class FakeFileEventSource final : public FileEventSource {
public:
    explicit FakeFileEventSource(std::shared_ptr<FakeFileEventState> state)
        : state_(std::move(state)) {}
    ~FakeFileEventSource() override {
        std::lock_guard guard(state_->mutex);
        state_->destroyed = true;
    }

    Expected<Handle> open(const std::string& path) override {
        std::lock_guard guard(state_->mutex);
        if (state_->missing.count(path) != 0) {
            return Error("watch", path, std::make_error_code(std::errc::no_such_file_or_directory));
        }
        Handle h = state_->nextHandle++;
        state_->open[h] = path;
        return h;
    }
    Status subscribe(Handle handle, std::uint32_t flags) override {
        std::lock_guard guard(state_->mutex);
        if (state_->subscribeError) {
            return Error("watch", "", state_->subscribeError);
        }
        state_->flags[handle] = flags;
        return {};
    }
    void close(Handle handle) override {
        std::lock_guard guard(state_->mutex);
        state_->open.erase(handle);
        state_->flags.erase(handle);
    }
    std::optional<Event> wait(std::chrono::milliseconds timeout) override {
        std::unique_lock lock(state_->mutex);
        ++state_->waits;
        // Short slices: the queue's destruction waits for the current one.
        timeout = std::min(timeout, std::chrono::milliseconds(50));
        if (!state_->pushed.wait_for(lock, timeout, [this] { return !state_->events.empty(); })) {
            return std::nullopt;
        }
        Event event = state_->events.front();
        state_->events.pop_front();
        return event;
    }

    static void push(FakeFileEventState& state, Handle handle, std::uint32_t flags) {
        {
            std::lock_guard guard(state.mutex);
            state.events.push_back({handle, flags});
        }
        state.pushed.notify_all();
    }

private:
    std::shared_ptr<FakeFileEventState> state_;
};

} // namespace quillet::test
