#include "platform/linux/inotify_file_event_source.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <poll.h>
#include <string>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillet::platform {

namespace {

std::uint32_t inotifyMaskFor(std::uint32_t flags) {
    std::uint32_t mask = 0;
    if ((flags & (vnode::kWrite | vnode::kExtend)) != 0) {
        mask |= IN_MODIFY;
    }
    // Link-count changes (and so the last unlink) arrive as IN_ATTRIB.
    if ((flags & (vnode::kAttrib | vnode::kLink | vnode::kDelete)) != 0) {
        mask |= IN_ATTRIB;
    }
    if ((flags & vnode::kDelete) != 0) {
        mask |= IN_DELETE_SELF;
    }
    if ((flags & vnode::kRename) != 0) {
        mask |= IN_MOVE_SELF;
    }
    return mask; // IN_UNMOUNT and IN_IGNORED come unasked
}

} // namespace

Expected<std::unique_ptr<InotifyFileEventSource>> InotifyFileEventSource::create() {
    int fd = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (fd < 0) {
        return Error::fromErrno("start watching files", "");
    }
    return std::unique_ptr<InotifyFileEventSource>(new InotifyFileEventSource(fd));
}

InotifyFileEventSource::InotifyFileEventSource(int inotifyFd) : inotifyFd_(inotifyFd) {}

InotifyFileEventSource::~InotifyFileEventSource() {
    for (auto& [handle, watch] : watches_) {
        ::close(watch.pathFd);
    }
    ::close(inotifyFd_);
}

Expected<FileEventSource::Handle> InotifyFileEventSource::open(const std::string& path) {
    int fd = ::open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0) {
        return Error::fromErrno("watch", path);
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        Error error = Error::fromErrno("watch", path);
        ::close(fd);
        return error;
    }
    std::lock_guard guard(mutex_);
    Watch watch;
    watch.pathFd = fd;
    watch.size = st.st_size;
    watch.links = st.st_nlink;
    watches_[fd] = watch;
    return fd;
}

Status InotifyFileEventSource::subscribe(Handle handle, std::uint32_t flags) {
    std::lock_guard guard(mutex_);
    auto it = watches_.find(handle);
    if (it == watches_.end()) {
        return Error("watch", "", std::make_error_code(std::errc::bad_file_descriptor));
    }
    it->second.flags = flags;
    if (it->second.wd < 0) {
        // Through the descriptor, not the name: the watch is on the very
        // inode that was opened, even if the name moved meanwhile.
        std::string viaFd = "/proc/self/fd/" + std::to_string(handle);
        int wd = ::inotify_add_watch(inotifyFd_, viaFd.c_str(), inotifyMaskFor(flags));
        if (wd < 0) {
            return Error::fromErrno("watch", viaFd);
        }
        it->second.wd = wd;
        byWd_[wd].insert(handle);
    }
    updateWatchLocked(it->second.wd);
    return {};
}

// One inotify watch serves every handle on the same inode: its mask is the
// union of theirs.
void InotifyFileEventSource::updateWatchLocked(int wd) {
    auto users = byWd_.find(wd);
    if (users == byWd_.end() || users->second.empty()) {
        return;
    }
    std::uint32_t flags = 0;
    Handle any = *users->second.begin();
    for (Handle h : users->second) {
        flags |= watches_[h].flags;
    }
    std::string viaFd = "/proc/self/fd/" + std::to_string(any);
    ::inotify_add_watch(inotifyFd_, viaFd.c_str(), inotifyMaskFor(flags));
}

void InotifyFileEventSource::close(Handle handle) {
    std::lock_guard guard(mutex_);
    auto it = watches_.find(handle);
    if (it == watches_.end()) {
        return;
    }
    int wd = it->second.wd;
    ::close(it->second.pathFd);
    watches_.erase(it);
    if (wd >= 0) {
        auto users = byWd_.find(wd);
        if (users != byWd_.end()) {
            users->second.erase(handle);
            if (users->second.empty()) {
                ::inotify_rm_watch(inotifyFd_, wd);
                byWd_.erase(users);
            } else {
                updateWatchLocked(wd);
            }
        }
    }
    pending_.erase(std::remove_if(pending_.begin(), pending_.end(),
                                  [handle](const Event& e) { return e.handle == handle; }),
                   pending_.end());
}

void InotifyFileEventSource::translateLocked(int wd, std::uint32_t mask,
                                             std::vector<Event>& batch) {
    auto users = byWd_.find(wd);
    if (users == byWd_.end()) {
        return;
    }
    std::vector<Handle> handles(users->second.begin(), users->second.end());
    if ((mask & IN_IGNORED) != 0) {
        // The kernel dropped the watch (file gone or file system unmounted).
        for (Handle h : handles) {
            watches_[h].wd = -1;
        }
        byWd_.erase(users);
    }
    for (Handle h : handles) {
        Watch& watch = watches_[h];
        std::uint32_t flags = 0;
        struct stat st {};
        bool haveStat = ::fstat(watch.pathFd, &st) == 0;
        if ((mask & IN_MODIFY) != 0) {
            flags |= vnode::kWrite;
            if (haveStat && st.st_size > watch.size) {
                flags |= vnode::kExtend;
            }
        }
        if ((mask & IN_ATTRIB) != 0) {
            if (haveStat && st.st_nlink != watch.links) {
                flags |= vnode::kLink;
                if (st.st_nlink == 0 && !watch.deleted) {
                    flags |= vnode::kDelete;
                    watch.deleted = true;
                }
            } else {
                flags |= vnode::kAttrib;
            }
        }
        if ((mask & IN_DELETE_SELF) != 0 && !watch.deleted) {
            flags |= vnode::kDelete;
            watch.deleted = true;
        }
        if ((mask & IN_MOVE_SELF) != 0) {
            flags |= vnode::kRename;
        }
        if ((mask & IN_UNMOUNT) != 0) {
            flags |= vnode::kRevoke;
        }
        if (haveStat) {
            watch.size = st.st_size;
            watch.links = st.st_nlink;
        }
        flags &= watch.flags;
        if (flags == 0) {
            continue;
        }
        // Events of one read are merged per file, as a vnode queue merges
        // what happened between two waits.
        auto same =
            std::find_if(batch.begin(), batch.end(), [h](const Event& e) { return e.handle == h; });
        if (same != batch.end()) {
            same->flags |= flags;
        } else {
            batch.push_back({h, flags});
        }
    }
}

std::optional<FileEventSource::Event>
InotifyFileEventSource::wait(std::chrono::milliseconds timeout) {
    {
        std::lock_guard guard(mutex_);
        if (!pending_.empty()) {
            Event event = pending_.front();
            pending_.pop_front();
            return event;
        }
    }
    pollfd pfd{inotifyFd_, POLLIN, 0};
    int ready = ::poll(&pfd, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) {
        return std::nullopt;
    }
    alignas(inotify_event) char buffer[4096 + sizeof(inotify_event) + NAME_MAX + 1];
    ssize_t n = ::read(inotifyFd_, buffer, sizeof buffer);
    if (n <= 0) {
        return std::nullopt;
    }
    std::lock_guard guard(mutex_);
    std::vector<Event> batch;
    for (ssize_t offset = 0; offset < n;) {
        auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
        translateLocked(event->wd, event->mask, batch);
        offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
    }
    pending_.insert(pending_.end(), batch.begin(), batch.end());
    if (pending_.empty()) {
        return std::nullopt;
    }
    Event event = pending_.front();
    pending_.pop_front();
    return event;
}

} // namespace quillet::platform
