#include "item_copy.h"

#include "shared/fd_io.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillet {

namespace fs = std::filesystem;

namespace {

enum class Links { Keep, Follow };

Error failedAt(const std::string& path) {
    return Error::fromErrno(kCopyAction, path);
}

// The error a file system gives for a call it does not implement.
bool isUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

// Copies the bytes [offset, offset + length) of `in` to the same place in
// `out`: the file system shares or copies the blocks itself where it can,
// plain reads and writes cover the file systems that refuse it.
Status copyRange(int in, int out, off_t offset, off_t length, bool& tryRange,
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
                return {}; // the file got shorter meanwhile
            }
            if (errno == EINTR) {
                continue;
            }
            if (errno != EXDEV && !isUnsupported(errno) && errno != EBADF && errno != EPERM) {
                return failedAt(to);
            }
            tryRange = false;
        }
        ssize_t n = ::pread(in, buffer, std::min(want, sizeof buffer), inOffset);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return failedAt(from);
        }
        if (n == 0) {
            return {};
        }
        if (::lseek(out, outOffset, SEEK_SET) < 0) {
            return failedAt(to);
        }
        if (Status written = writeAll(out, std::string_view(buffer, static_cast<std::size_t>(n)));
            !written) {
            return Error(kCopyAction, to, written.error().code());
        }
        inOffset += n;
        outOffset += n;
    }
    return {};
}

// Copies the data of an open file into the new file `out`: a clone of its
// blocks where the file system shares them (btrfs, XFS), otherwise only its
// data, so that the holes of a sparse file stay holes.
Status copyContent(int in, int out, const std::string& from, const std::string& to) {
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        return failedAt(from);
    }
    if (::ioctl(out, FICLONE, in) == 0) {
        return {};
    }
    bool tryRange = true;
    off_t data = 0;
    // Data extents one after the other; a file system that cannot tell
    // holes answers with the whole file as one extent.
    while (data < st.st_size) {
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
        if (Status copied = copyRange(in, out, start, hole - start, tryRange, from, to); !copied) {
            return copied;
        }
        data = hole;
    }
    // A trailing hole has no data to copy: the size makes it.
    if (::ftruncate(out, st.st_size) != 0) {
        return failedAt(to);
    }
    return {};
}

// Copies one regular file to the new path `to`, with the given permission bits.
Status copyFile(const std::string& from, const std::string& to, mode_t mode) {
    int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return failedAt(from);
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        Error error = failedAt(paths::deletingLastPathComponent(to));
        ::close(in);
        return error;
    }
    Status result = copyContent(in, out, from, to);
    if (result && ::fchmod(out, mode & 07777) != 0) {
        result = failedAt(to);
    }
    if (::close(out) != 0 && result) {
        result = failedAt(to);
    }
    ::close(in);
    return result;
}

Status copyLink(const std::string& from, const std::string& to, off_t size) {
    std::vector<char> target(std::max<std::size_t>(static_cast<std::size_t>(size) + 1, 4096));
    ssize_t n = ::readlink(from.c_str(), target.data(), target.size());
    if (n < 0) {
        return failedAt(from);
    }
    std::string text(target.data(), static_cast<std::size_t>(n));
    if (::symlink(text.c_str(), to.c_str()) != 0) {
        return failedAt(paths::deletingLastPathComponent(to));
    }
    return {};
}

Status copyAnyItem(const std::string& from, const std::string& to, Links links);

Status copyFolder(const std::string& from, const std::string& to, mode_t mode) {
    // Made private and writable first so the contents can go in, given the
    // original's permissions once they are.
    if (::mkdir(to.c_str(), 0700) != 0) {
        return failedAt(paths::deletingLastPathComponent(to));
    }
    DIR* dir = ::opendir(from.c_str());
    if (dir == nullptr) {
        return failedAt(from);
    }
    Status result;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        // Links inside are kept as links: following them could lead back up
        // into the folder being copied.
        result = copyAnyItem(paths::appendingPathComponent(from, name),
                             paths::appendingPathComponent(to, name), Links::Keep);
        if (!result) {
            break;
        }
    }
    ::closedir(dir);
    if (result && ::chmod(to.c_str(), mode & 07777) != 0) {
        result = failedAt(to);
    }
    return result;
}

// Copies one item of any supported kind to the new path `to`.
Status copyAnyItem(const std::string& from, const std::string& to, Links links) {
    struct stat st {};
    const int looked =
        links == Links::Follow ? ::stat(from.c_str(), &st) : ::lstat(from.c_str(), &st);
    if (looked != 0) {
        return failedAt(from);
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(from, to, st.st_mode);
    }
    if (S_ISLNK(st.st_mode)) {
        return copyLink(from, to, st.st_size);
    }
    if (S_ISDIR(st.st_mode)) {
        return copyFolder(from, to, st.st_mode);
    }
    // Devices, pipes and sockets are not templates.
    return Error(kCopyAction, from, std::make_error_code(std::errc::not_supported));
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

Status copyTopItem(const std::string& source, const std::string& destination, Links links) {
    struct stat st {};
    const int looked =
        links == Links::Follow ? ::stat(source.c_str(), &st) : ::lstat(source.c_str(), &st);
    // A folder copied into itself would keep finding its copy inside.
    if (looked == 0 && S_ISDIR(st.st_mode) && isInside(destination, source)) {
        return Error::withDetail(kCopyAction, source, "A folder cannot be copied into itself.");
    }
    return copyAnyItem(source, destination, links);
}

} // namespace

Status copyNewItem(const std::string& source, const std::string& destination) {
    return copyTopItem(source, destination, Links::Keep);
}

Status copyNewItemFollowingLinks(const std::string& source, const std::string& destination) {
    return copyTopItem(source, destination, Links::Follow);
}

} // namespace quillet
