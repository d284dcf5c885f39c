#include "settings_store.h"

#include "fd_io.h"
#include "plist_json.h"
#include "xdg_paths.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {

std::int64_t toNs(const timespec& ts) {
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

// Errors name the folder asked for, whichever ancestor failed.
bool makeDirs(const std::string& dir) {
    if (dir.empty()) {
        return true;
    }
    struct stat st {};
    if (::stat(dir.c_str(), &st) == 0) {
        if (!S_ISDIR(st.st_mode)) {
            errno = ENOTDIR;
            return false;
        }
        return true;
    }
    std::string parent = paths::deletingLastPathComponent(dir);
    if (parent != dir && !makeDirs(parent)) {
        return false;
    }
    return ::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST;
}

// Holds the exclusive lock on "<file>.lock" for the lifetime of the object.
class WriteLock {
public:
    explicit WriteLock(const std::string& lockPath) {
        fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (fd_ < 0) {
            error_ = errno;
            return;
        }
        while (::flock(fd_, LOCK_EX) != 0) {
            if (errno != EINTR) {
                error_ = errno;
                ::close(fd_);
                fd_ = -1;
                return;
            }
        }
    }
    ~WriteLock() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;
    bool held() const { return fd_ >= 0; }
    int error() const { return error_; }

private:
    int fd_ = -1;
    int error_ = 0;
};

std::string timestampForName() {
    std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::gmtime_r(&now, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y%m%dT%H%M%SZ", &tm);
    return buf;
}

// The file a write must replace: the store itself, or, when it is a symbolic
// link (a dotfiles repository linking ~/.config/quillet/...), the file at the
// end of the chain. Replacing the link would leave the linked file stale.
// The chain's end need not exist yet; a loop is an error (ELOOP).
Expected<std::string> resolveWriteTarget(const std::string& path) {
    namespace fs = std::filesystem;
    constexpr const char* kAction = "follow the link";
    fs::path current = path;
    for (int hops = 0; hops <= 40; ++hops) {
        std::error_code ec;
        if (!fs::is_symlink(fs::symlink_status(current, ec))) {
            return current.string();
        }
        fs::path next = fs::read_symlink(current, ec);
        if (ec) {
            return Error(kAction, path, ec);
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    return Error(kAction, path, std::make_error_code(std::errc::too_many_symbolic_link_levels));
}

// The copy of an unreadable store file kept as "<file>.corrupt-<time>": a
// second link to the same file, so that nothing is copied and a failure at
// any point leaves the file where it was. A copy made earlier (by the main
// app when it said so, or by an earlier write) is found and reused rather
// than made again.
struct AsideCopy {
    std::string path;
    bool made = false; // made by this call
};

Expected<AsideCopy> keepAside(const std::string& target) {
    constexpr const char* kAction = "keep aside the unreadable";
    struct stat st {};
    if (::stat(target.c_str(), &st) != 0) {
        return Error::fromErrno(kAction, target);
    }
    const std::string dir = paths::deletingLastPathComponent(target);
    const std::string asidePrefix = paths::lastPathComponent(target) + ".corrupt-";
    if (DIR* d = ::opendir(dir.c_str())) {
        std::string found;
        while (dirent* e = ::readdir(d)) {
            struct stat other {};
            if (std::string_view(e->d_name).starts_with(asidePrefix) &&
                ::fstatat(::dirfd(d), e->d_name, &other, AT_SYMLINK_NOFOLLOW) == 0 &&
                other.st_dev == st.st_dev && other.st_ino == st.st_ino) {
                found = paths::appendingPathComponent(dir, e->d_name);
                break;
            }
        }
        ::closedir(d);
        if (!found.empty()) {
            return AsideCopy{found, false};
        }
    }
    const std::string stem = target + ".corrupt-" + timestampForName();
    std::string aside = stem;
    for (int n = 1; ::access(aside.c_str(), F_OK) == 0; ++n) {
        aside = stem + "-" + std::to_string(n);
    }
    if (::link(target.c_str(), aside.c_str()) != 0) {
        return Error::fromErrno(kAction, target);
    }
    return AsideCopy{aside, true};
}

// Runs `step` on the file a write replaces (the link's end, for a linked
// store) while holding the write lock, as every writer does.
template <class Step>
auto underWriteLock(const std::string& path, Step step) -> decltype(step(std::string())) {
    Expected<std::string> resolved = resolveWriteTarget(path);
    if (!resolved) {
        return resolved.error();
    }
    WriteLock writeLock(*resolved + ".lock");
    if (!writeLock.held()) {
        return Error("lock", *resolved,
                     std::error_code(writeLock.error(), std::generic_category()));
    }
    return step(*resolved);
}

} // namespace

SettingsStore::SettingsStore(const std::string& suiteName)
    : SettingsStore(PrivateTag{}, paths::storeFile(suiteName)) {}

SettingsStore::SettingsStore(PrivateTag, std::string filePath)
    : path_(std::move(filePath)), watch_(path_) {}

SettingsStore SettingsStore::atPath(const std::string& filePath) {
    return SettingsStore(PrivateTag{}, filePath);
}

SettingsStore::SettingsStore(SettingsStore&& other) noexcept : watch_(std::move(other.watch_)) {
    std::lock_guard lock(other.mutex_);
    path_ = std::move(other.path_);
    cache_ = std::move(other.cache_);
    identity_ = other.identity_;
    loaded_ = other.loaded_;
    reportedCorrupt_ = other.reportedCorrupt_;
    readError_ = std::move(other.readError_);
    generation_ = other.generation_;
    defaults_ = std::move(other.defaults_);
}

void SettingsStore::registerDefaults(const Value::Dictionary& defaults) {
    std::lock_guard lock(mutex_);
    for (const auto& [key, value] : defaults) {
        defaults_[key] = value;
    }
    ++generation_;
}

void SettingsStore::refreshLocked() const {
    // A file that failed to read is looked at again at every read, as it
    // always was; one read well is kept until its watch sees a change.
    if (loaded_ && !readError_ && watch_.unchangedSinceLastLook()) {
        return;
    }
    watch_.aboutToLook();
    struct stat st {};
    if (::stat(path_.c_str(), &st) != 0) {
        if (identity_.exists || !loaded_) {
            ++generation_;
        }
        readError_.reset();
        if (errno != ENOENT) {
            readError_ = Error::fromErrno("read", path_);
        }
        cache_.clear();
        identity_ = FileIdentity{};
        loaded_ = true;
        return;
    }
    FileIdentity seen{true, st.st_dev, st.st_ino, st.st_size, toNs(st.st_mtim), toNs(st.st_ctim)};
    if (loaded_ && seen == identity_) {
        return;
    }
    ++generation_;
    // A link to a named pipe or a device is no store: reading it would block
    // every reader (the module inside the file manager among them).
    Expected<int> opened = openRegularFile(path_, "read");
    if (!opened) {
        readError_ = opened.error();
        cache_.clear();
        identity_ = FileIdentity{};
        loaded_ = true;
        return;
    }
    const int fd = *opened;
    // The identity of what was actually read, in case the file was replaced
    // between the stat and the open.
    if (::fstat(fd, &st) == 0) {
        seen = FileIdentity{true,       st.st_dev,        st.st_ino,
                            st.st_size, toNs(st.st_mtim), toNs(st.st_ctim)};
    }
    Expected<std::string> text = readAll(fd);
    ::close(fd);
    if (!text) {
        // Keep the previous view; the next read retries.
        readError_ = Error("read", path_, text.error().code());
        return;
    }
    Expected<Value::Dictionary> parsed = parseSettingsText(*text);
    if (parsed) {
        readError_.reset();
        cache_ = std::move(*parsed);
    } else {
        readError_ = Error::withDetail("read", path_, parsed.error().reason());
        cache_.clear();
        if (!(reportedCorrupt_ == seen)) {
            reportedCorrupt_ = seen;
            std::fprintf(stderr,
                         "quillet: ignoring settings file %s (%s); it is kept aside at the next "
                         "write\n",
                         path_.c_str(), parsed.error().reason().c_str());
        }
    }
    identity_ = seen;
    loaded_ = true;
}

Value SettingsStore::lookupLocked(const std::string& key) const {
    refreshLocked();
    if (auto it = cache_.find(key); it != cache_.end()) {
        return it->second;
    }
    if (auto it = defaults_.find(key); it != defaults_.end()) {
        return it->second;
    }
    return Value();
}

Value SettingsStore::objectForKey(const std::string& key) const {
    std::lock_guard lock(mutex_);
    return lookupLocked(key);
}

bool SettingsStore::boolForKey(const std::string& key) const {
    return objectForKey(key).asBool().value_or(false);
}

std::int64_t SettingsStore::integerForKey(const std::string& key) const {
    return objectForKey(key).asInteger().value_or(0);
}

std::optional<std::string> SettingsStore::stringForKey(const std::string& key) const {
    Value v = objectForKey(key);
    if (const std::string* s = v.asString()) {
        return *s;
    }
    return std::nullopt;
}

std::optional<Value::Array> SettingsStore::arrayForKey(const std::string& key) const {
    Value v = objectForKey(key);
    if (Value::Array* a = v.asArray()) {
        return std::move(*a);
    }
    return std::nullopt;
}

std::optional<Value::Dictionary> SettingsStore::dictionaryForKey(const std::string& key) const {
    Value v = objectForKey(key);
    if (Value::Dictionary* d = v.asDictionary()) {
        return std::move(*d);
    }
    return std::nullopt;
}

Value::Dictionary SettingsStore::storedValues() const {
    std::lock_guard lock(mutex_);
    refreshLocked();
    return cache_;
}

Status SettingsStore::readStatus() const {
    std::lock_guard lock(mutex_);
    refreshLocked();
    if (readError_) {
        return *readError_;
    }
    return {};
}

std::uint64_t SettingsStore::generation() const {
    std::lock_guard lock(mutex_);
    refreshLocked();
    return generation_;
}

void SettingsStore::synchronize() {
    std::lock_guard lock(mutex_);
    refreshLocked();
}

Status SettingsStore::setObject(const std::string& key, const Value& value) {
    std::lock_guard lock(mutex_);
    auto fail = [](std::string action, const std::string& path, int err) -> Status {
        return Error(std::move(action), path, std::error_code(err, std::generic_category()));
    };
    // Everything below (lock, temporary file, aside copy, rename) happens
    // beside the file the link points to: a rename is atomic only within one
    // folder, and every writer, linked or not, must take the same lock.
    Expected<std::string> resolved = resolveWriteTarget(path_);
    if (!resolved) {
        return resolved.error();
    }
    const std::string target = std::move(*resolved);
    const std::string dir = paths::deletingLastPathComponent(target);
    const std::string base = paths::lastPathComponent(target);

    if (!makeDirs(dir)) {
        return fail("create", dir, errno);
    }
    WriteLock writeLock(target + ".lock");
    if (!writeLock.held()) {
        return fail("lock", target, writeLock.error());
    }

    // Temporary files of a writer that died mid-write: nobody else writes
    // while we hold the lock, so any that remain are stale.
    if (DIR* d = ::opendir(dir.c_str())) {
        const std::string tmpPrefix = base + ".tmp-";
        while (dirent* e = ::readdir(d)) {
            if (std::string_view(e->d_name).starts_with(tmpPrefix)) {
                ::unlinkat(::dirfd(d), e->d_name, 0);
            }
        }
        ::closedir(d);
    }

    // Start from what is on disk now, so keys other processes wrote since our
    // last read survive; only our own key changes.
    Value::Dictionary current;
    bool fileExists = false;
    std::optional<std::string> unreadableReason;
    // Only a regular file is read and replaced: a link to a device or a
    // named pipe is refused, never replaced by a file or waited on.
    Expected<int> opened = openRegularFile(path_, "read");
    if (opened) {
        fileExists = true;
        Expected<std::string> text = readAll(*opened);
        ::close(*opened);
        if (!text) {
            return Error("read", path_, text.error().code());
        }
        Expected<Value::Dictionary> parsed = parseSettingsText(*text);
        if (parsed) {
            current = std::move(*parsed);
        } else {
            // Never overwrite an unreadable file in place: the user may want
            // it. It gets its aside name only once the new file is ready.
            unreadableReason = parsed.error().reason();
        }
    } else if (opened.error().code() != std::errc::no_such_file_or_directory) {
        return opened.error();
    }

    Value::Dictionary next = current;
    if (value.isNull()) {
        next.erase(key);
    } else {
        next[key] = value;
    }
    if (fileExists && !unreadableReason && next == current) {
        cache_ = std::move(next);
        loaded_ = false; // re-stat on the next read
        ++generation_;
        return {};
    }

    const Expected<std::string> text = serializeSettings(next);
    if (!text) {
        return text.error().during("store \"" + key + "\"");
    }
    std::string tmpPath = target + ".tmp-XXXXXX";
    int tfd = ::mkostemp(tmpPath.data(), O_CLOEXEC);
    if (tfd < 0) {
        return fail("write in", dir, errno);
    }
    auto discard = [&](std::string action, const std::string& path, int err) {
        ::close(tfd);
        ::unlink(tmpPath.c_str());
        return fail(std::move(action), path, err);
    };
    if (::fchmod(tfd, 0600) != 0) {
        return discard("set permissions of", tmpPath, errno);
    }
    if (Status written = writeAll(tfd, *text); !written) {
        return discard("write", path_, written.error().code().value());
    }
    if (::fsync(tfd) != 0) {
        return discard("flush", path_, errno);
    }
    if (::close(tfd) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        return fail("write", path_, err);
    }
    // The unreadable file keeps its content under the aside name (a second
    // link) while the new file takes its place, so a failure at any point
    // leaves it where it was.
    AsideCopy aside;
    if (unreadableReason) {
        Expected<AsideCopy> kept = keepAside(target);
        if (!kept) {
            ::unlink(tmpPath.c_str());
            return Error(kept.error().action(), path_, kept.error().code());
        }
        aside = std::move(*kept);
    }
    if (::rename(tmpPath.c_str(), target.c_str()) != 0) {
        int err = errno;
        ::unlink(tmpPath.c_str());
        if (aside.made) {
            ::unlink(aside.path.c_str());
        }
        return fail("replace", path_, err);
    }
    if (unreadableReason) {
        std::fprintf(stderr,
                     "quillet: settings file %s could not be read (%s); kept it as %s and "
                     "started a new one\n",
                     path_.c_str(), unreadableReason->c_str(), aside.path.c_str());
    }
    // Make the rename itself durable.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }

    cache_ = std::move(next);
    ++generation_;
    struct stat st {};
    if (::stat(path_.c_str(), &st) == 0) {
        identity_ = FileIdentity{true,       st.st_dev,        st.st_ino,
                                 st.st_size, toNs(st.st_mtim), toNs(st.st_ctim)};
        loaded_ = true;
    } else {
        loaded_ = false;
    }
    readError_.reset(); // what is there now was written from a good view
    return {};
}

Expected<std::string> SettingsStore::keepUnreadableAside() {
    std::lock_guard lock(mutex_);
    return underWriteLock(path_, [this](const std::string& target) -> Expected<std::string> {
        Expected<int> opened = openRegularFile(path_, "read");
        if (!opened) {
            return opened.error();
        }
        Expected<std::string> text = readAll(*opened);
        ::close(*opened);
        if (!text) {
            return Error("read", path_, text.error().code());
        }
        if (parseSettingsText(*text)) {
            return Error::withDetail("keep aside", path_, "the file can be read");
        }
        Expected<AsideCopy> kept = keepAside(target);
        if (!kept) {
            return kept.error();
        }
        return kept->path;
    });
}

Status SettingsStore::discardUnreadable(const std::string& aside) {
    std::lock_guard lock(mutex_);
    loaded_ = false;
    ++generation_;
    return underWriteLock(path_, [&aside](const std::string& target) -> Status {
        struct stat current {};
        struct stat kept {};
        if (::lstat(aside.c_str(), &kept) != 0) {
            return Error::fromErrno("find the copy kept aside", aside);
        }
        // Only the very file that was kept aside goes; one written meanwhile
        // (the user mended it, another program started afresh) stays.
        if (::lstat(target.c_str(), &current) == 0 && current.st_dev == kept.st_dev &&
            current.st_ino == kept.st_ino && ::unlink(target.c_str()) != 0) {
            return Error::fromErrno("remove", target);
        }
        return {};
    });
}

} // namespace quillet
