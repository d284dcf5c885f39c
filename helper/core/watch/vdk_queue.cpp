#include "helper/core/watch/vdk_queue.h"

#include <cerrno>
#include <exception>

namespace quillet::helper {

std::vector<std::string> notificationNamesForFlags(std::uint32_t flags) {
    static constexpr struct {
        std::uint32_t flag;
        const char* name;
    } kOrder[] = {
        {vnode::kRename, kVDKQueueRenameNotification},
        {vnode::kWrite, kVDKQueueWriteNotification},
        {vnode::kDelete, kVDKQueueDeleteNotification},
        {vnode::kAttrib, kVDKQueueAttributeChangeNotification},
        {vnode::kExtend, kVDKQueueSizeIncreaseNotification},
        {vnode::kLink, kVDKQueueLinkCountChangeNotification},
        {vnode::kRevoke, kVDKQueueAccessRevocationNotification},
    };
    std::vector<std::string> names;
    names.reserve(5);
    for (const auto& entry : kOrder) {
        if ((flags & entry.flag) != 0) {
            names.emplace_back(entry.name);
        }
    }
    return names;
}

VDKQueuePathEntry::VDKQueuePathEntry(FileEventSource& source, std::string path,
                                     FileEventSource::Handle fd, std::uint32_t flags)
    : source_(source), path_(std::move(path)), watchedFD_(fd), subscriptionFlags_(flags) {}

Expected<std::unique_ptr<VDKQueuePathEntry>>
VDKQueuePathEntry::create(FileEventSource& source, const std::string& path, std::uint32_t flags) {
    Expected<FileEventSource::Handle> fd = source.open(path);
    if (!fd) {
        return fd.error().during("watch");
    }
    return std::unique_ptr<VDKQueuePathEntry>(new VDKQueuePathEntry(source, path, *fd, flags));
}

VDKQueuePathEntry::~VDKQueuePathEntry() {
    if (watchedFD_ >= 0) {
        source_.close(watchedFD_);
        watchedFD_ = -1;
    }
}

VDKQueue::VDKQueue(std::unique_ptr<FileEventSource> source, MainQueue& mainQueue)
    : coreQueue_(std::move(source)), mainQueue_(mainQueue), alive_(*this) {}

std::unique_ptr<VDKQueue> VDKQueue::create(std::unique_ptr<FileEventSource> source,
                                           MainQueue& mainQueue) {
    if (!source) {
        return nullptr;
    }
    return std::unique_ptr<VDKQueue>(new VDKQueue(std::move(source), mainQueue));
}

VDKQueue::~VDKQueue() {
    keepWatcherThreadRunning_ = false;
    // The thread reads the entries and the event source: it must be gone
    // before they are.
    if (thread_.joinable()) {
        thread_.join();
    }
    removeAllPaths();
    alive_.revoke();
}

Status VDKQueue::addPath(const std::string& path) {
    return addPath(path, vnode::kAll);
}

Status VDKQueue::addPath(const std::string& path, std::uint32_t flags) {
    if (path.empty()) {
        return {};
    }
    std::lock_guard guard(lock_);
    if (watchedPathEntries_.find(path) != watchedPathEntries_.end()) {
        return {};
    }
    if (auto entry = addPathToQueue(path, flags); !entry) {
        return entry.error();
    }
    return {};
}

Expected<VDKQueuePathEntry*> VDKQueue::addPathToQueue(const std::string& path,
                                                      std::uint32_t flags) {
    std::lock_guard guard(lock_);
    VDKQueuePathEntry* entry = nullptr;
    auto found = watchedPathEntries_.find(path);
    if (found != watchedPathEntries_.end()) {
        entry = found->second.get();
        if ((entry->subscriptionFlags() & flags) == flags) {
            return entry;
        }
        flags |= entry->subscriptionFlags();
    } else {
        auto created = VDKQueuePathEntry::create(*coreQueue_, path, flags);
        if (!created) {
            return created.error();
        }
        entry = created->get();
        watchedPathEntries_[path] = std::move(*created);
    }
    if (Status subscribed = coreQueue_->subscribe(entry->watchedFD(), flags); !subscribed) {
        // Unwatched, it must not look watched: the caller falls back on
        // checking by itself.
        if (found == watchedPathEntries_.end()) {
            watchedPathEntries_.erase(path);
        }
        return subscribed.error().during("watch");
    }
    entry->setSubscriptionFlags(flags);

    if (!keepWatcherThreadRunning_) {
        keepWatcherThreadRunning_ = true;
        if (thread_.joinable()) {
            thread_.join();
        }
        thread_ = std::thread([this] { watcherThread(); });
    }
    return entry;
}

void VDKQueue::removePath(const std::string& path) {
    if (path.empty()) {
        return;
    }
    std::lock_guard guard(lock_);
    watchedPathEntries_.erase(path);
}

void VDKQueue::removeAllPaths() {
    std::lock_guard guard(lock_);
    watchedPathEntries_.clear();
}

std::size_t VDKQueue::numberOfWatchedPaths() const {
    std::lock_guard guard(lock_);
    return watchedPathEntries_.size();
}

void VDKQueue::watcherThread() {
    while (keepWatcherThreadRunning_) {
        try {
            auto event = coreQueue_->wait(kWaitTimeout);
            if (!event || event->flags == 0) {
                continue;
            }
            // The entry is found by its handle under the lock: an entry
            // removed meanwhile is simply no longer there.
            std::string path;
            {
                std::lock_guard guard(lock_);
                for (const auto& [key, entry] : watchedPathEntries_) {
                    if (entry->watchedFD() == event->handle) {
                        path = entry->path();
                        break;
                    }
                }
            }
            if (path.empty()) {
                continue;
            }
            std::vector<std::string> names = notificationNamesForFlags(event->flags);
            mainQueue_.post(alive_.guard([names = std::move(names), path = std::move(path)](
                                             VDKQueue& self) { self.deliver(names, path); }));
        } catch (const std::exception&) {
            // One bad pass must not end the watch.
        }
    }
}

void VDKQueue::deliver(const std::vector<std::string>& names, const std::string& path) {
    // A delegate may destroy the queue in its reaction: every step goes
    // through the token, and the first that finds the queue gone ends the run.
    auto toDelegate = alive_.guard([&path](VDKQueue& self, const std::string& name) {
        if (self.delegate_ != nullptr) {
            self.delegate_->VDKQueueReceivedNotification(self, name, path);
        }
    });
    auto toPoster = alive_.guard([&path](VDKQueue& self, const std::string& name) {
        if ((self.delegate_ == nullptr || self.alwaysPostNotifications_) && self.poster_) {
            self.poster_(name, path);
        }
    });
    for (const std::string& name : names) {
        if (!toDelegate(name) || !toPoster(name)) {
            return;
        }
    }
}

} // namespace quillet::helper
