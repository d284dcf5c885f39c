#include "temporary_item.h"

#include "item_lookup.h"
#include "shared/xdg_paths.h"

#include <atomic>
#include <cerrno>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <filesystem>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace fs = std::filesystem;

namespace {

std::string randomTag() {
    static std::atomic<std::uint64_t> sequence{0};
    thread_local std::mt19937_64 engine{std::random_device{}()};
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%ld-%llu-%08llx", static_cast<long>(::getpid()),
                  static_cast<unsigned long long>(sequence.fetch_add(1)),
                  static_cast<unsigned long long>(engine() & 0xffffffffULL));
    return buffer;
}

// The error a file system gives for a call or flag it does not implement.
bool isUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

constexpr const char* kMoveAction = "move the new item to";

Error nameTaken(const std::string& target) {
    return {kMoveAction, target, std::make_error_code(std::errc::file_exists)};
}

// File systems without the no-replace move: a hard link claims a name just
// as atomically for files, and a fresh empty folder claims it for folders
// (renaming over our own empty folder replaces nothing of anyone).
Status claimThenMove(const std::string& temp, const std::string& target, bool isDir) {
    if (!isDir) {
        if (::link(temp.c_str(), target.c_str()) == 0) {
            ::unlink(temp.c_str());
            return {};
        }
        // Nor hard links (FAT, some network file systems): an empty file
        // made exclusively claims the name the same way.
        if (errno == EPERM || isUnsupported(errno)) {
            int fd = ::open(target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0) {
                ::close(fd);
                if (::rename(temp.c_str(), target.c_str()) == 0) {
                    return {};
                }
                Error error = Error::fromErrno(kMoveAction, target);
                ::unlink(target.c_str());
                return error;
            }
        }
    } else if (::mkdir(target.c_str(), 0700) == 0) {
        if (::rename(temp.c_str(), target.c_str()) == 0) {
            return {};
        }
        Error error = Error::fromErrno(kMoveAction, target);
        ::rmdir(target.c_str());
        return error;
    }
    if (errno == EEXIST) {
        return nameTaken(target);
    }
    return Error::fromErrno(kMoveAction, paths::deletingLastPathComponent(target));
}

} // namespace

void removeTemporaryItem(const std::string& path) {
    std::error_code ec;
    // Our own temporary folder may have been given read-only permissions.
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add | fs::perm_options::nofollow,
                    ec);
    if (isFolderItself(path)) {
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

TemporaryItem::TemporaryItem(const std::string& folder, CreationJournal* journal)
    : path_(paths::appendingPathComponent(folder.empty() ? std::string(".") : folder,
                                          kTempPrefix + randomTag())),
      journal_(journal) {
    if (journal_ != nullptr) {
        // Creation goes on without an entry: the worst outcome is a hidden
        // leftover after a crash.
        entry_ = journal_->begin(path_).valueOr(std::string());
    }
}

TemporaryItem::~TemporaryItem() {
    if (!kept_ && isNameTaken(path_).valueOr(true)) {
        removeTemporaryItem(path_);
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

Status TemporaryItem::moveWithoutReplacing(const std::string& target) {
    const bool isDir = isFolderItself(path_);
    Status moved;
    if (::renameat2(AT_FDCWD, path_.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) {
            moved = nameTaken(target);
        } else if (!isUnsupported(errno)) {
            moved = Error::fromErrno(kMoveAction, paths::deletingLastPathComponent(target));
        } else {
            moved = claimThenMove(path_, target, isDir);
        }
    }
    if (moved) {
        kept_ = true; // nothing of ours is left at path()
    }
    return moved;
}

} // namespace quillet
