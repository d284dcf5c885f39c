#include "helper/core/creation/safe_create.h"

#include "shared/fd_io.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <random>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillet::helper {

namespace fs = std::filesystem;

namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

class CopyErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "quillet.copy"; }
    std::string message(int) const override { return "A folder cannot be copied into itself."; }
};

std::error_code folderIntoItselfError() {
    static const CopyErrorCategory category;
    return {1, category};
}

// The error a file system gives for a call or flag it does not implement.
bool isUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

struct Failure {
    std::error_code error;
    std::string path;
};

bool occupied(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

std::string randomTag() {
    static std::atomic<std::uint64_t> sequence{0};
    thread_local std::mt19937_64 engine{std::random_device{}()};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%ld-%llu-%08llx", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(sequence.fetch_add(1)),
                  static_cast<unsigned long long>(engine() & 0xffffffffULL));
    return buffer;
}

// Copies the bytes [offset, offset + length) of `in` to the same place in
// `out`: the file system shares or copies the blocks itself where it can,
// plain reads and writes cover the file systems that refuse it.
bool copyRange(int in, int out, off_t offset, off_t length, bool& tryRange, Failure& failure,
               const std::string& from, const std::string& to) {
    char buffer[65536];
    off_t inOffset = offset;
    off_t outOffset = offset;
    const off_t end = offset + length;
    while (inOffset < end) {
        const auto want = static_cast<std::size_t>(std::min<off_t>(end - inOffset, 1 << 30));
        if (tryRange) {
            ssize_t n = ::copy_file_range(in, &inOffset, out, &outOffset, want, 0);
            if (n > 0) {
                continue;
            }
            if (n == 0) {
                return true; // the file got shorter meanwhile
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EXDEV && !isUnsupported(errno) && errno != EBADF && errno != EPERM) {
                failure = {lastError(), to};
                return false;
            }
            tryRange = false;
        }
        ssize_t n = ::pread(in, buffer, std::min(want, sizeof buffer), inOffset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            failure = {lastError(), from};
            return false;
        }
        if (n == 0) {
            return true;
        }
        if (::lseek(out, outOffset, SEEK_SET) < 0 ||
            !writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n)))) {
            failure = {lastError(), to};
            return false;
        }
        inOffset += n;
        outOffset += n;
    }
    return true;
}

// Copies the content of one regular file into a new file at `to`: a clone
// of its blocks where the file system shares them (btrfs, XFS), otherwise
// only its data, so that the holes of a sparse file stay holes.
bool copyFile(const std::string& from, const std::string& to, mode_t mode, Failure& failure) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        failure = {lastError(), from};
        return false;
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        failure = {lastError(), paths::deletingLastPathComponent(to)};
        ::close(in);
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(in, &st) == 0;
    if (!ok) {
        failure = {lastError(), from};
    } else if (::ioctl(out, FICLONE, in) != 0) {
        bool tryRange = true;
        off_t data = 0;
        // Data extents one after the other; a file system that cannot tell
        // holes answers with the whole file as one extent.
        while (ok && data < st.st_size) {
            off_t start = ::lseek(in, data, SEEK_DATA);
            if (start < 0) {
                if (errno == ENXIO) {
                    break; // nothing but a hole up to the end
                }
                start = data;
            }
            off_t hole = ::lseek(in, start, SEEK_HOLE);
            if (hole < 0 || hole <= start) {
                hole = st.st_size;
            }
            ok = copyRange(in, out, start, hole - start, tryRange, failure, from, to);
            data = hole;
        }
        // A trailing hole has no data to copy: the size makes it.
        if (ok && ::ftruncate(out, st.st_size) != 0) {
            failure = {lastError(), to};
            ok = false;
        }
    }
    if (ok && ::fchmod(out, mode & 07777) != 0) {
        failure = {lastError(), to};
        ok = false;
    }
    if (::close(out) != 0 && ok) {
        failure = {lastError(), to};
        ok = false;
    }
    ::close(in);
    return ok;
}

bool copyTree(const std::string& from, const std::string& to, Failure& failure);

// Copies one item of any supported kind to the new path `to`.
bool copyItem(const std::string& from, const std::string& to, Failure& failure) {
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) {
        failure = {lastError(), from};
        return false;
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(from, to, st.st_mode, failure);
    }
    if (S_ISLNK(st.st_mode)) {
        std::vector<char> target(static_cast<std::size_t>(st.st_size) + 1 > 4096
                                     ? static_cast<std::size_t>(st.st_size) + 1
                                     : 4096);
        ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
        if (n < 0) {
            failure = {lastError(), from};
            return false;
        }
        std::string text(target.data(), static_cast<std::size_t>(n));
        if (::symlink(text.c_str(), to.c_str()) != 0) {
            failure = {lastError(), paths::deletingLastPathComponent(to)};
            return false;
        }
        return true;
    }
    if (S_ISDIR(st.st_mode)) {
        // Made private and writable first so the contents can go in, given
        // the original's permissions once they are.
        if (::mkdir(to.c_str(), 0700) != 0) {
            failure = {lastError(), paths::deletingLastPathComponent(to)};
            return false;
        }
        if (!copyTree(from, to, failure)) {
            return false;
        }
        if (::chmod(to.c_str(), st.st_mode & 07777) != 0) {
            failure = {lastError(), to};
            return false;
        }
        return true;
    }
    // Devices, pipes and sockets are not templates.
    failure = {std::make_error_code(std::errc::not_supported), from};
    return false;
}

bool copyTree(const std::string& from, const std::string& to, Failure& failure) {
    DIR* dir = ::opendir(from.c_str());
    if (dir == nullptr) {
        failure = {lastError(), from};
        return false;
    }
    bool ok = true;
    while (dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        if (!copyItem(from + "/" + name, to + "/" + name, failure)) {
            ok = false;
            break;
        }
    }
    ::closedir(dir);
    return ok;
}

bool isInside(const std::string& path, const std::string& folder) {
    std::error_code ec;
    const fs::path top = fs::canonical(folder, ec);
    if (ec) {
        return false;
    }
    const fs::path inner = fs::weakly_canonical(path, ec);
    if (ec) {
        return false;
    }
    auto it = inner.begin();
    for (const auto& part : top) {
        if (it == inner.end() || *it != part) {
            return false;
        }
        ++it;
    }
    return true;
}

// copyItem for a whole template: a folder is never copied into itself (the
// copy would keep finding itself inside the original).
bool copyTemplate(const std::string& from, const std::string& to, Failure& failure) {
    struct stat st {};
    if (::lstat(from.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && isInside(to, from)) {
        failure = {folderIntoItselfError(), from};
        return false;
    }
    return copyItem(from, to, failure);
}

void removeTree(const std::string& path) {
    std::error_code ec;
    // Our own temporary folder may have been given read-only permissions.
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow,
                    ec);
    if (fs::is_directory(fs::symlink_status(path, ec))) {
        for (auto it = fs::recursive_directory_iterator(
                 path, fs::directory_options::skip_permission_denied, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            if (it->is_directory(ec) && !it->is_symlink(ec)) {
                fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
            }
        }
    }
    fs::remove_all(path, ec);
}

enum class MoveOutcome { Moved, Taken, Failed };

// Moves the finished temporary item to `target` unless something is there.
MoveOutcome moveIntoPlace(const std::string& temp, const std::string& target, bool isDir,
                          Failure& failure) {
    if (::renameat2(AT_FDCWD, temp.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return MoveOutcome::Moved;
    }
    if (errno == EEXIST) {
        return MoveOutcome::Taken;
    }
    if (!isUnsupported(errno)) {
        failure = {lastError(), paths::deletingLastPathComponent(target)};
        return MoveOutcome::Failed;
    }
    // File systems without the no-replace move: a hard link claims a name
    // just as atomically for files, and a fresh empty folder claims it for
    // folders (renaming over our own empty folder replaces nothing of anyone).
    if (!isDir) {
        if (::link(temp.c_str(), target.c_str()) == 0) {
            ::unlink(temp.c_str());
            return MoveOutcome::Moved;
        }
        // Nor hard links (FAT, some network file systems): an empty file
        // made exclusively claims the name the same way.
        if (errno == EPERM || isUnsupported(errno)) {
            int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                ::close(fd);
                if (::rename(temp.c_str(), target.c_str()) == 0) {
                    return MoveOutcome::Moved;
                }
                failure = {lastError(), target};
                ::unlink(target.c_str());
                return MoveOutcome::Failed;
            }
        }
    } else if (::mkdir(target.c_str(), 0700) == 0) {
        if (::rename(temp.c_str(), target.c_str()) == 0) {
            return MoveOutcome::Moved;
        }
        failure = {lastError(), target};
        ::rmdir(target.c_str());
        return MoveOutcome::Failed;
    }
    if (errno == EEXIST) {
        return MoveOutcome::Taken;
    }
    failure = {lastError(), paths::deletingLastPathComponent(target)};
    return MoveOutcome::Failed;
}

bool processAlive(long pid) {
    if (pid <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

} // namespace

std::string CreateResult::description() const {
    if (!error) {
        return {};
    }
    std::string text = error.message();
    if (!failedPath.empty()) {
        text += " (" + failedPath + ")";
    }
    return text;
}

std::string uniqueNameCandidate(const std::string& wantedPath, std::uint64_t n) {
    if (n == 0) {
        return wantedPath;
    }
    const std::string folder = paths::deletingLastPathComponent(wantedPath);
    const std::string name = paths::lastPathComponent(wantedPath);
    const std::string extension = paths::pathExtension(name);
    const std::string base = paths::deletingPathExtension(name);
    std::string candidate = base + "-" + std::to_string(n);
    if (!extension.empty()) {
        candidate += "." + extension;
    }
    return paths::appendingPathComponent(folder, candidate);
}

std::error_code copyTemplateItem(const std::string& source, const std::string& destination) {
    Failure failure;
    if (!copyTemplate(source, destination, failure)) {
        return failure.error;
    }
    return {};
}

TemporaryItem::TemporaryItem(const std::string& folder, CreationJournal* journal)
    : path_(paths::appendingPathComponent(folder.empty() ? std::string(".") : folder,
                                          kTempPrefix + randomTag())),
      journal_(journal) {
    if (journal_ != nullptr) {
        entry_ = journal_->begin(path_);
    }
}

TemporaryItem::~TemporaryItem() {
    if (!kept_ && occupied(path_)) {
        removeTree(path_);
    }
    if (journal_ != nullptr) {
        journal_->end(entry_);
    }
}

void TemporaryItem::keep() {
    kept_ = true;
    if (journal_ != nullptr) {
        journal_->end(entry_);
        entry_.clear();
    }
}

CreateResult TemporaryItem::moveWithoutReplacing(const std::string& target) {
    CreateResult result;
    struct stat st {};
    const bool isDir = ::lstat(path_.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
    Failure failure;
    switch (moveIntoPlace(path_, target, isDir, failure)) {
    case MoveOutcome::Moved:
        result.path = target;
        kept_ = true; // nothing of ours is left at path()
        break;
    case MoveOutcome::Taken:
        result.error = std::make_error_code(std::errc::file_exists);
        result.failedPath = target;
        break;
    case MoveOutcome::Failed:
        result.error = failure.error;
        result.failedPath = failure.path;
        break;
    }
    return result;
}

namespace {

CreateResult placeCopy(const std::string& wantedPath, NameRule rule, CreationJournal* journal,
                       const std::function<bool(const std::string& temp, Failure&)>& copyTo) {
    CreateResult result;
    TemporaryItem temp(paths::deletingLastPathComponent(wantedPath), journal);
    Failure failure;
    if (!copyTo(temp.path(), failure)) {
        result.error = failure.error;
        result.failedPath = failure.path;
        return result;
    }
    for (std::uint64_t n = 0;; ++n) {
        const std::string candidate = uniqueNameCandidate(wantedPath, n);
        // A cheap look first: most taken names are seen here without a move.
        if (!occupied(candidate)) {
            result = temp.moveWithoutReplacing(candidate);
            if (result.error != std::errc::file_exists) {
                return result;
            }
        }
        if (rule == NameRule::Exact) {
            result.error = std::make_error_code(std::errc::file_exists);
            result.failedPath = candidate;
            return result;
        }
    }
}

} // namespace

CreateResult copyItemWithoutReplacing(const std::string& source, const std::string& wantedPath,
                                      NameRule rule, CreationJournal* journal) {
    return placeCopy(wantedPath, rule, journal, [&](const std::string& temp, Failure& failure) {
        return copyTemplate(source, temp, failure);
    });
}

CreateResult copyItemWithoutReplacing(const std::string& source, const std::string& wantedPath,
                                      NameRule rule, CreationJournal* journal,
                                      const CopyStep& copy) {
    return placeCopy(wantedPath, rule, journal, [&](const std::string& temp, Failure& failure) {
        failure = {copy(source, temp), {}};
        return !failure.error;
    });
}

CreationJournal::CreationJournal(std::string dir) : dir_(std::move(dir)) {}

std::string CreationJournal::begin(const std::string& tempPath) {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    std::string entry = dir_ + "/" + std::to_string(::getpid()) + "-" +
                        std::to_string(counter_.fetch_add(1)) + ".entry";
    int fd = ::open(entry.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return {};
    }
    const bool ok = writeAll(fd, tempPath).ok();
    ::close(fd);
    if (!ok) {
        ::unlink(entry.c_str());
        return {};
    }
    return entry;
}

void CreationJournal::end(const std::string& entry) {
    if (!entry.empty()) {
        ::unlink(entry.c_str());
    }
}

std::size_t CreationJournal::cleanLeftovers() {
    std::size_t removed = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir_, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string entry = it->path().string();
        const std::string name = it->path().filename().string();
        if (!name.ends_with(".entry")) {
            continue;
        }
        long pid = std::strtol(name.c_str(), nullptr, 10);
        if (pid == static_cast<long>(::getpid()) || processAlive(pid)) {
            continue; // still being made by a running helper
        }
        std::string tempPath;
        if (FILE* file = std::fopen(entry.c_str(), "rb")) {
            char buffer[4096];
            std::size_t n = std::fread(buffer, 1, sizeof buffer, file);
            tempPath.assign(buffer, n);
            std::fclose(file);
        }
        // Only an absolute path whose last name is one of ours is removed: a
        // damaged entry must never make us delete the user's files.
        const std::string last = paths::lastPathComponent(tempPath);
        if (tempPath.starts_with("/") && last.starts_with(kTempPrefix) &&
            tempPath.find('\0') == std::string::npos &&
            tempPath.find("/../") == std::string::npos && occupied(tempPath)) {
            removeTree(tempPath);
            ++removed;
        }
        ::unlink(entry.c_str());
    }
    return removed;
}

} // namespace quillet::helper
