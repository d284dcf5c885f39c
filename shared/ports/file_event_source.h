// The kernel's watch on single files, in the vocabulary of vnode event queues:
// a path is opened for events, and each wait hands back at most one event with
// the flags that describe what happened to the file.
#pragma once

#include "shared/error.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <system_error>

namespace quillet {

namespace vnode {
inline constexpr std::uint32_t kDelete = 0x01; // the file's last name was removed
inline constexpr std::uint32_t kWrite = 0x02;  // its content was written
inline constexpr std::uint32_t kExtend = 0x04; // and it grew
inline constexpr std::uint32_t kAttrib = 0x08; // its attributes changed
inline constexpr std::uint32_t kLink = 0x10;   // its link count changed
inline constexpr std::uint32_t kRename = 0x20; // it was moved to another name
inline constexpr std::uint32_t kRevoke = 0x40; // its file system went away
inline constexpr std::uint32_t kAll = 0x7F;
} // namespace vnode

class FileEventSource {
public:
    using Handle = int;
    struct Event {
        Handle handle = -1;
        std::uint32_t flags = 0;
    };

    virtual ~FileEventSource() = default;

    // Opens the path for event notification only. The watch follows the file
    // (its inode), not the name.
    [[nodiscard]] virtual Expected<Handle> open(const std::string& path) = 0;
    // Sets the flags reported for the handle (replacing earlier ones). An
    // error when the kernel refused the watch (ENOSPC when the user's watches
    // are used up); nothing is then reported for the handle.
    [[nodiscard]] virtual Status subscribe(Handle handle, std::uint32_t flags) = 0;
    // Ends the watch; the handle is not reported again.
    virtual void close(Handle handle) = 0;

    // Waits up to the time-out for one event of a subscribed kind. Safe to call
    // from one thread while open/subscribe/close are called from another.
    virtual std::optional<Event> wait(std::chrono::milliseconds timeout) = 0;
};

} // namespace quillet
