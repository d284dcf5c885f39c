// A watcher of single files: each watched path has an entry holding its open
// event handle and the flags it is watched for; one background thread waits
// for the kernel's events and hands them, as notification names, to the main
// queue.
#pragma once

#include "shared/error.h"
#include "shared/ports/file_event_source.h"
#include "shared/ports/main_queue.h"
#include "shared/while_alive.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace quillet::helper {

inline constexpr const char* kVDKQueueRenameNotification = "VDKQueueFileRenamedNotification";
inline constexpr const char* kVDKQueueWriteNotification = "VDKQueueFileWrittenToNotification";
inline constexpr const char* kVDKQueueDeleteNotification = "VDKQueueFileDeletedNotification";
inline constexpr const char* kVDKQueueAttributeChangeNotification =
    "VDKQueueFileAttributesChangedNotification";
inline constexpr const char* kVDKQueueSizeIncreaseNotification =
    "VDKQueueFileSizeIncreasedNotification";
inline constexpr const char* kVDKQueueLinkCountChangeNotification =
    "VDKQueueLinkCountChangedNotification";
inline constexpr const char* kVDKQueueAccessRevocationNotification =
    "VDKQueueAccessWasRevokedNotification";

// The names for the flags of one event, in reporting order: rename, write,
// delete, attributes, size, link count, revocation.
std::vector<std::string> notificationNamesForFlags(std::uint32_t flags);

class VDKQueue;

class VDKQueueDelegate {
public:
    virtual ~VDKQueueDelegate() = default;
    virtual void VDKQueueReceivedNotification(VDKQueue& queue, const std::string& name,
                                              const std::string& path) = 0;
};

// One watched path. Exists only with an open handle; destroying it closes the
// handle, which ends the kernel's watch.
class VDKQueuePathEntry {
public:
    // Fails when the path cannot be opened.
    [[nodiscard]] static Expected<std::unique_ptr<VDKQueuePathEntry>>
    create(FileEventSource& source, const std::string& path, std::uint32_t flags);
    ~VDKQueuePathEntry();
    VDKQueuePathEntry(const VDKQueuePathEntry&) = delete;
    VDKQueuePathEntry& operator=(const VDKQueuePathEntry&) = delete;

    const std::string& path() const { return path_; }
    FileEventSource::Handle watchedFD() const { return watchedFD_; }
    std::uint32_t subscriptionFlags() const { return subscriptionFlags_; }
    void setSubscriptionFlags(std::uint32_t flags) { subscriptionFlags_ = flags; }

private:
    VDKQueuePathEntry(FileEventSource& source, std::string path, FileEventSource::Handle fd,
                      std::uint32_t flags);

    FileEventSource& source_;
    std::string path_;
    FileEventSource::Handle watchedFD_;
    std::uint32_t subscriptionFlags_;
};

class VDKQueue {
public:
    // Where events go when there is no delegate (or always, when asked to).
    using NotificationPoster =
        std::function<void(const std::string& name, const std::string& path)>;

    // Nothing when there is no event source (the kernel refused one).
    static std::unique_ptr<VDKQueue> create(std::unique_ptr<FileEventSource> source,
                                            MainQueue& mainQueue);
    // Stops the watcher thread (within one wait time-out) and closes every watch.
    ~VDKQueue();
    VDKQueue(const VDKQueue&) = delete;
    VDKQueue& operator=(const VDKQueue&) = delete;

    VDKQueueDelegate* delegate() const { return delegate_; }
    void setDelegate(VDKQueueDelegate* delegate) { delegate_ = delegate; }
    bool alwaysPostNotifications() const { return alwaysPostNotifications_; }
    void setAlwaysPostNotifications(bool value) { alwaysPostNotifications_ = value; }
    void setNotificationPoster(NotificationPoster poster) { poster_ = std::move(poster); }

    // Watches the path for every kind of event; an empty path does nothing.
    [[nodiscard]] Status addPath(const std::string& path);
    // Watches the path for the given kinds, unless it is already watched: an
    // existing watch keeps its flags.
    [[nodiscard]] Status addPath(const std::string& path, std::uint32_t flags);
    // The worker of both: an existing watch gains the requested flags. Fails
    // when the path cannot be opened or the kernel refuses the watch.
    [[nodiscard]] Expected<VDKQueuePathEntry*> addPathToQueue(const std::string& path,
                                                              std::uint32_t flags);
    void removePath(const std::string& path);
    void removeAllPaths();
    std::size_t numberOfWatchedPaths() const;

    bool isWatcherThreadRunning() const { return keepWatcherThreadRunning_.load(); }

    // How long one wait lasts; a stop is noticed within it.
    static constexpr std::chrono::milliseconds kWaitTimeout{1000};

private:
    VDKQueue(std::unique_ptr<FileEventSource> source, MainQueue& mainQueue);
    void watcherThread();
    void deliver(const std::vector<std::string>& names, const std::string& path);

    VDKQueueDelegate* delegate_ = nullptr;
    bool alwaysPostNotifications_ = false;
    std::unique_ptr<FileEventSource> coreQueue_;
    std::map<std::string, std::unique_ptr<VDKQueuePathEntry>> watchedPathEntries_;
    std::atomic<bool> keepWatcherThreadRunning_{false};

    MainQueue& mainQueue_;
    NotificationPoster poster_;
    mutable std::recursive_mutex lock_;
    std::thread thread_;
    // Deliveries already on the main queue check it before touching the queue.
    LifeToken<VDKQueue> alive_;
};

} // namespace quillet::helper
