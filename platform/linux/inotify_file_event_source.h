// The file-event port over inotify. Each handle holds an O_PATH descriptor of
// the file, so the watch stays on the inode that was opened, and the file's
// link count and size can be read after an event: inotify reports an unlink,
// or a rename over the file, only as an attribute change, which is turned into
// "deleted" once no name is left, as vnode queues report it.
#pragma once

#include "shared/ports/file_event_source.h"

#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <sys/types.h>
#include <vector>

namespace quillet::platform {

class InotifyFileEventSource final : public FileEventSource {
public:
    // Nothing when the kernel gives no inotify instance.
    [[nodiscard]] static Expected<std::unique_ptr<InotifyFileEventSource>> create();
    ~InotifyFileEventSource() override;
    InotifyFileEventSource(const InotifyFileEventSource&) = delete;
    InotifyFileEventSource& operator=(const InotifyFileEventSource&) = delete;

    Expected<Handle> open(const std::string& path) override;
    Status subscribe(Handle handle, std::uint32_t flags) override;
    void close(Handle handle) override;
    std::optional<Event> wait(std::chrono::milliseconds timeout) override;

private:
    explicit InotifyFileEventSource(int inotifyFd);

    struct Watch {
        int pathFd = -1;
        int wd = -1;
        std::uint32_t flags = 0;
        off_t size = 0;
        nlink_t links = 0;
        bool deleted = false;
    };

    void updateWatchLocked(int wd);
    void translateLocked(int wd, std::uint32_t mask, std::vector<Event>& batch);

    int inotifyFd_;
    std::mutex mutex_;
    std::map<Handle, Watch> watches_;      // by handle (the O_PATH descriptor)
    std::map<int, std::set<Handle>> byWd_; // inotify merges watches of one inode
    std::deque<Event> pending_;
};

} // namespace quillet::platform
