// Whether a settings store's file can have changed since the store last
// looked at it, answered without walking the file's path: the store then
// skips the stat it would make at every read.
//
// One inotify instance serves the whole process (the kernel allows a user
// only a few), watching every folder on the way to each store's file for the
// next name on the way, and the file itself. The kernel queues an event
// before the call that caused it returns, so a change another process made
// before a read is seen by that read; the queue is drained at each question.
// Where events cannot tell everything (no inotify, a folder on the way or the
// store that is a link, a file system that other machines write, a watch that
// cannot be added, an overflowed queue, the mounts changed), the answer is
// "may have changed", and the store looks at the file as it always did.
#pragma once

#include <memory>
#include <string>

namespace quillet {

class StoreFileWatch {
public:
    explicit StoreFileWatch(const std::string& filePath);
    ~StoreFileWatch();

    StoreFileWatch(const StoreFileWatch&) = delete;
    StoreFileWatch& operator=(const StoreFileWatch&) = delete;
    StoreFileWatch(StoreFileWatch&&) noexcept;
    StoreFileWatch& operator=(StoreFileWatch&&) = delete;

    // True only when nothing that could change what the path leads to (the
    // file, a name on the way, the mounts) happened since `aboutToLook`.
    bool unchangedSinceLastLook() const;
    // Called right before the store looks at the file: what happens from
    // here on counts as a change.
    void aboutToLook() const;

    struct Subscriber;

private:
    std::unique_ptr<Subscriber> subscriber_;
};

} // namespace quillet
