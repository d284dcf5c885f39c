#include "settings_store_watch.h"

#include "xdg_paths.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <linux/magic.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <pthread.h>
#include <string_view>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <vector>

namespace quillet {

namespace {

// A folder on the way: the next name on the way appearing, going or moving,
// and the folder itself going or moving. Changes to its other entries do not
// matter, and a folder's own mode does not change the store's values.
constexpr std::uint32_t kFolderEvents =
    IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_DELETE_SELF | IN_MOVE_SELF;
// The file: its content and what a stat of it shows, whichever name (a hard
// link elsewhere) it was written through. Writes through a shared mapping
// raise no event; the store is never written that way.
constexpr std::uint32_t kFileEvents =
    IN_MODIFY | IN_ATTRIB | IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF;

// File systems whose every change goes through this kernel, so that its
// events tell all of them. Network and FUSE file systems are not among them.
bool changesOnlyHere(const std::string& folder) {
    constexpr unsigned long kZfsMagic = 0x2fc12fc1;
    constexpr unsigned long kBcachefsMagic = 0xca451a4e;
    struct statfs info {};
    if (::statfs(folder.c_str(), &info) != 0) {
        return false;
    }
    switch (static_cast<unsigned long>(info.f_type)) {
    case EXT4_SUPER_MAGIC: // ext2 and ext3 too
    case BTRFS_SUPER_MAGIC:
    case XFS_SUPER_MAGIC:
    case F2FS_SUPER_MAGIC:
    case TMPFS_MAGIC:
    case RAMFS_MAGIC:
    case OVERLAYFS_SUPER_MAGIC:
    case REISERFS_SUPER_MAGIC:
    case kZfsMagic:
    case kBcachefsMagic:
        return true;
    default:
        return false;
    }
}

// The names on the way to `path`, or nothing when the path is not absolute
// or takes a turn ("." or "..") that the watches could not follow.
std::vector<std::string> namesOnTheWay(const std::string& path) {
    const std::filesystem::path whole(path);
    if (!whole.is_absolute()) {
        return {};
    }
    std::vector<std::string> names;
    for (const auto& part : whole.relative_path()) {
        std::string name = part.string();
        if (name == "." || name == "..") {
            return {};
        }
        if (!name.empty()) { // a trailing slash
            names.push_back(std::move(name));
        }
    }
    return names;
}

} // namespace

struct StoreFileWatch::Subscriber {
    std::string path;
    // The watch of a folder on the way and the next name below it; an empty
    // name: the watch of the file itself, where any event counts.
    struct Link {
        int wd;
        std::string name;
    };
    std::vector<Link> links;
    // The links describe the path as it is now.
    bool watched = false;
    // When the folders on the way are all there: how many links are theirs,
    // the last one naming the file. The file's own watch may follow.
    std::size_t folderLinks = 0;
    // The file was replaced or changed: its own watch is to be renewed, the
    // folders' watches still hold.
    bool fileStale = false;
    // The events tell every change: no link on the way, local file systems.
    bool foldersVouch = false;
    bool vouches = false;
    bool changed = true;
    // No watch can be had: the store looks at the file each time.
    bool unwatchable = false;
};

namespace {

using Subscriber = StoreFileWatch::Subscriber;

class Watches {
public:
    static Watches& instance() {
        // Never destroyed: stores may outlive static destruction.
        static Watches* watches = new Watches();
        return *watches;
    }

    void add(Subscriber* subscriber) {
        std::lock_guard lock(mutex_);
        subscribers_.push_back(subscriber);
    }

    void remove(Subscriber* subscriber) {
        std::lock_guard lock(mutex_);
        release(subscriber->links);
        std::erase(subscribers_, subscriber);
        if (subscribers_.empty()) {
            // Nothing is left to watch (a module being unloaded, a tool done
            // with its store): give the instance back.
            closeLocked();
            refs_.clear();
            opened_ = false;
            forked_ = false;
        }
    }

    bool unchanged(Subscriber& subscriber) {
        std::lock_guard lock(mutex_);
        if (forked_ || !subscriber.watched || !subscriber.vouches || subscriber.changed) {
            return false;
        }
        drainLocked();
        return subscriber.watched && !subscriber.changed;
    }

    void aboutToLook(Subscriber& subscriber) {
        std::lock_guard lock(mutex_);
        if (subscriber.unwatchable) {
            return;
        }
        if (!openLocked()) {
            subscriber.unwatchable = true;
            return;
        }
        drainLocked();
        if (!subscriber.watched) {
            watchLocked(subscriber);
        } else if (subscriber.fileStale) {
            watchFileLocked(subscriber);
        }
        subscriber.changed = false;
    }

private:
    Watches() {
        // A child that forks without exec shares the parent's queue: were it
        // to drain it, the parent would miss events. The child opens its own.
        ::pthread_atfork([] { instance().mutex_.lock(); }, [] { instance().mutex_.unlock(); },
                         [] {
                             instance().forked_ = true;
                             instance().mutex_.unlock();
                         });
    }

    bool openLocked() {
        if (forked_) {
            forked_ = false;
            opened_ = false;
            closeLocked();
            // The watches are the parent's: forget them, never remove them.
            refs_.clear();
            for (Subscriber* subscriber : subscribers_) {
                subscriber->links.clear();
                subscriber->watched = false;
                subscriber->changed = true;
            }
        }
        if (!opened_) {
            opened_ = true;
            inotifyFd_ = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
            // Polled for a change of the mounts: a mount over a folder on
            // the way raises no inotify event.
            mountsFd_ = ::open("/proc/self/mountinfo", O_RDONLY | O_CLOEXEC);
            if (inotifyFd_ < 0 || mountsFd_ < 0) {
                closeLocked();
            }
        }
        return inotifyFd_ >= 0;
    }

    void closeLocked() {
        for (int* fd : {&inotifyFd_, &mountsFd_}) {
            if (*fd >= 0) {
                ::close(*fd);
                *fd = -1;
            }
        }
    }

    void everythingChangedLocked() {
        for (Subscriber* subscriber : subscribers_) {
            subscriber->changed = true;
            subscriber->watched = false;
        }
    }

    void drainLocked() {
        if (inotifyFd_ < 0) {
            return;
        }
        pollfd fds[2] = {{inotifyFd_, POLLIN, 0}, {mountsFd_, POLLPRI, 0}};
        if (::poll(fds, 2, 0) < 0) {
            everythingChangedLocked();
            return;
        }
        if ((fds[1].revents & (POLLPRI | POLLERR)) != 0) {
            everythingChangedLocked();
        }
        if ((fds[0].revents & POLLIN) == 0) {
            return;
        }
        alignas(inotify_event) char buffer[8192];
        for (;;) {
            const ssize_t length = ::read(inotifyFd_, buffer, sizeof buffer);
            if (length < 0 && errno == EINTR) {
                continue;
            }
            if (length <= 0) {
                if (length < 0 && errno != EAGAIN) {
                    everythingChangedLocked();
                }
                return;
            }
            for (ssize_t at = 0; at < length;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
                eventLocked(*event);
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

    void eventLocked(const inotify_event& event) {
        if ((event.mask & IN_Q_OVERFLOW) != 0) {
            everythingChangedLocked();
            return;
        }
        if ((event.mask & IN_IGNORED) != 0) {
            refs_.erase(event.wd); // the kernel removed the watch
        }
        // A folder's own events carry no name.
        const std::string_view name = event.len > 0 ? std::string_view(event.name) : "";
        for (Subscriber* subscriber : subscribers_) {
            if (!subscriber->watched) {
                continue;
            }
            const auto& links = subscriber->links;
            for (std::size_t i = 0; i < links.size(); ++i) {
                const auto& link = links[i];
                if (link.wd != event.wd ||
                    !(link.name.empty() || name.empty() || link.name == name)) {
                    continue;
                }
                subscriber->changed = true;
                // The file named anew or changed: only its own watch is
                // renewed. Anything else: the way itself.
                const std::size_t fileName = subscriber->folderLinks - 1;
                if (subscriber->folderLinks > 0 &&
                    (i > fileName || (i == fileName && !name.empty()))) {
                    subscriber->fileStale = true;
                } else {
                    subscriber->watched = false;
                }
                break;
            }
        }
    }

    int addWatchLocked(const std::string& path, std::uint32_t events) {
        // Several subscribers may watch one folder: their events add up.
        const int wd =
            ::inotify_add_watch(inotifyFd_, path.c_str(), events | IN_MASK_ADD | IN_DONT_FOLLOW);
        if (wd >= 0) {
            ++refs_[wd];
        }
        return wd;
    }

    void release(const std::vector<Subscriber::Link>& links) {
        for (const auto& link : links) {
            auto it = refs_.find(link.wd);
            if (it != refs_.end() && --it->second == 0) {
                if (!forked_) { // the parent's watch otherwise
                    ::inotify_rm_watch(inotifyFd_, link.wd);
                }
                refs_.erase(it);
            }
        }
    }

    void giveUpLocked(Subscriber& subscriber, const std::vector<Subscriber::Link>& taken) {
        release(taken);
        release(subscriber.links);
        subscriber.links.clear();
        subscriber.folderLinks = 0;
        subscriber.watched = false;
        subscriber.vouches = false;
        subscriber.unwatchable = true;
    }

    // Watches each folder from the root down for the next name on the way,
    // then the file. Each link holds one reference to its watch.
    void watchLocked(Subscriber& subscriber) {
        std::vector<Subscriber::Link> links;
        const std::vector<std::string> names = namesOnTheWay(subscriber.path);
        std::string folder = "/";
        int wd = names.empty() ? -1 : addWatchLocked(folder, kFolderEvents | IN_ONLYDIR);
        if (wd < 0) {
            return giveUpLocked(subscriber, links);
        }
        bool vouches = changesOnlyHere(folder);
        bool reached = true;
        for (std::size_t i = 0; i + 1 < names.size(); ++i) {
            links.push_back({wd, names[i]});
            const std::string next = paths::appendingPathComponent(folder, names[i]);
            wd = addWatchLocked(next, kFolderEvents | IN_ONLYDIR);
            if (wd < 0 && (errno == ENOENT || errno == ENOTDIR)) {
                // Missing: its creation will name it. A link: where it leads
                // changes unseen.
                vouches = vouches && errno == ENOENT;
                reached = false;
                break;
            }
            if (wd < 0) {
                return giveUpLocked(subscriber, links);
            }
            vouches = vouches && changesOnlyHere(next);
            folder = next;
        }
        if (reached) {
            links.push_back({wd, names.back()});
        }
        // The new references first, so that a watch both share stays.
        release(subscriber.links);
        subscriber.links = std::move(links);
        subscriber.folderLinks = reached ? subscriber.links.size() : 0;
        subscriber.watched = true;
        subscriber.foldersVouch = vouches;
        subscriber.vouches = vouches;
        if (reached) {
            watchFileLocked(subscriber);
        }
    }

    // Renews the watch of the file itself, in the folder the links reached.
    void watchFileLocked(Subscriber& subscriber) {
        subscriber.fileStale = false;
        std::vector<Subscriber::Link> file;
        bool vouches = subscriber.foldersVouch;
        struct stat info {};
        if (::lstat(subscriber.path.c_str(), &info) != 0) {
            vouches = vouches && errno == ENOENT;
        } else if (!S_ISREG(info.st_mode)) {
            vouches = false; // a link, or no store the store reads
        } else if (const int wd = addWatchLocked(subscriber.path, kFileEvents); wd >= 0) {
            file.push_back({wd, std::string()});
        } else if (errno != ENOENT) { // gone meanwhile: its folder's watch said so
            return giveUpLocked(subscriber, file);
        }
        auto& links = subscriber.links;
        if (links.size() > subscriber.folderLinks) {
            release({links.back()});
            links.pop_back();
        }
        links.insert(links.end(), file.begin(), file.end());
        subscriber.vouches = vouches;
    }

    std::mutex mutex_;
    bool opened_ = false;
    bool forked_ = false;
    int inotifyFd_ = -1;
    int mountsFd_ = -1;
    std::map<int, int> refs_; // watch -> links holding it
    std::vector<Subscriber*> subscribers_;
};

} // namespace

StoreFileWatch::StoreFileWatch(const std::string& filePath)
    : subscriber_(std::make_unique<Subscriber>()) {
    subscriber_->path = filePath;
    Watches::instance().add(subscriber_.get());
}

StoreFileWatch::~StoreFileWatch() {
    if (subscriber_) {
        Watches::instance().remove(subscriber_.get());
    }
}

StoreFileWatch::StoreFileWatch(StoreFileWatch&& other) noexcept = default;

bool StoreFileWatch::unchangedSinceLastLook() const {
    return subscriber_ && Watches::instance().unchanged(*subscriber_);
}

void StoreFileWatch::aboutToLook() const {
    if (subscriber_) {
        Watches::instance().aboutToLook(*subscriber_);
    }
}

} // namespace quillet
