#include "item_copy.h"

#include "shared/fd_io.h"
#include "shared/text_mark.h"
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

// Copies one regular file to the new path `to`, with its permission bits.
// Anything else at `from` (put there since it was looked at) is refused
// without waiting on it.
Status copyFile(const std::string& from, const std::string& to) {
    Expected<int> opened = openRegularFile(from, kCopyAction);
    if (!opened) {
        return opened.error();
    }
    const int in = *opened;
    struct stat st {};
    if (::fstat(in, &st) != 0) {
        Error error = failedAt(from);
        ::close(in);
        return error;
    }
    int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        Error error = failedAt(paths::deletingLastPathComponent(to));
        ::close(in);
        return error;
    }
    Status result = copyContent(in, out, from, to);
    if (result && ::fchmod(out, st.st_mode & 07777) != 0) {
        result = failedAt(to);
    }
    if (::close(out) != 0 && result) {
        result = failedAt(to);
    }
    ::close(in);
    return result;
}

// A template is a file or a folder; a named pipe would block the copy, a
// device (/dev/zero) never ends, and neither is a template anyone meant.
Error notATemplate(const std::string& path, mode_t mode) {
    const char* reason = N_("not a regular file or folder but a device");
    switch (mode & S_IFMT) {
    case S_IFLNK:
        reason = N_("not a regular file or folder but a symbolic link");
        break;
    case S_IFIFO:
        reason = N_("not a regular file or folder but a named pipe (FIFO)");
        break;
    case S_IFSOCK:
        reason = N_("not a regular file or folder but a socket");
        break;
    default:
        break;
    }
    return Error::withDetail(kCopyAction, path, reason, std::errc::operation_not_supported);
}

// Whether `inner` is `top` or lies below it; both canonical.
bool isWithin(const fs::path& inner, const fs::path& top) {
    auto it = inner.begin();
    for (const auto& part : top) {
        if (it == inner.end() || *it != part) {
            return false;
        }
        ++it;
    }
    return true;
}

bool isInside(const std::string& path, const std::string& folder) {
    std::error_code ec;
    const fs::path top = fs::canonical(folder, ec);
    if (ec) {
        return false;
    }
    const fs::path inner = fs::weakly_canonical(path, ec);
    return !ec && isWithin(inner, top);
}

// One copy of a template tree: its real top, and the folders being copied
// at the moment with the path of their copy. A link inside the tree to one
// of those would be copied for ever; its copy is a link to the copy instead.
struct TreeCopy {
    fs::path top;
    struct OpenFolder {
        dev_t dev;
        ino_t ino;
        std::string copy;
    };
    std::vector<OpenFolder> open;
};

Status copyEntry(const std::string& from, const std::string& to, TreeCopy& tree);

Status copyFolder(const std::string& from, const std::string& to, const struct stat& st,
                  TreeCopy& tree) {
    // Made private and writable first so the contents can go in, given the
    // original's permissions once they are.
    if (::mkdir(to.c_str(), 0700) != 0) {
        return failedAt(paths::deletingLastPathComponent(to));
    }
    DIR* dir = ::opendir(from.c_str());
    if (dir == nullptr) {
        return failedAt(from);
    }
    tree.open.push_back({st.st_dev, st.st_ino, to});
    Status result;
    while (dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") {
            continue;
        }
        result = copyEntry(paths::appendingPathComponent(from, name),
                           paths::appendingPathComponent(to, name), tree);
        if (!result) {
            break;
        }
    }
    tree.open.pop_back();
    ::closedir(dir);
    if (result && ::chmod(to.c_str(), st.st_mode & 07777) != 0) {
        result = failedAt(to);
    }
    return result;
}

Status makeLink(const std::string& text, const std::string& to) {
    if (::symlink(text.c_str(), to.c_str()) != 0) {
        return failedAt(paths::deletingLastPathComponent(to));
    }
    return {};
}

// A link inside a folder template. One that leads out of the template tree
// stays a link (to a shared resource, say), written absolute when it was
// relative, since the copy lies elsewhere; one that cannot be followed stays
// as it is. One that leads into the tree is replaced by a copy of what it
// points to, so that the new item never changes the template.
Status copyLinkEntry(const std::string& from, const std::string& to, off_t size, TreeCopy& tree) {
    std::vector<char> buffer(std::max<std::size_t>(static_cast<std::size_t>(size) + 1, 4096));
    const ssize_t n = ::readlink(from.c_str(), buffer.data(), buffer.size());
    if (n < 0) {
        return failedAt(from);
    }
    const std::string text(buffer.data(), static_cast<std::size_t>(n));
    std::error_code ec;
    const fs::path real = fs::canonical(from, ec);
    if (ec) {
        return makeLink(text, to);
    }
    if (!isWithin(real, tree.top)) {
        return makeLink(text.starts_with('/') ? text : real.string(), to);
    }
    struct stat st {};
    if (::stat(from.c_str(), &st) != 0) {
        return failedAt(from);
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(from, to);
    }
    if (!S_ISDIR(st.st_mode)) {
        return notATemplate(from, st.st_mode);
    }
    for (const auto& folder : tree.open) {
        if (folder.dev == st.st_dev && folder.ino == st.st_ino) {
            return makeLink(
                fs::path(folder.copy).lexically_relative(fs::path(to).parent_path()).string(), to);
        }
    }
    return copyFolder(from, to, st, tree);
}

Status copyEntry(const std::string& from, const std::string& to, TreeCopy& tree) {
    struct stat st {};
    if (::lstat(from.c_str(), &st) != 0) {
        return failedAt(from);
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(from, to);
    }
    if (S_ISLNK(st.st_mode)) {
        return copyLinkEntry(from, to, st.st_size, tree);
    }
    if (S_ISDIR(st.st_mode)) {
        return copyFolder(from, to, st, tree);
    }
    return notATemplate(from, st.st_mode);
}

} // namespace

Status copyNewItem(const std::string& source, const std::string& destination) {
    struct stat st {};
    // The template itself is what its path leads to, a link followed: a copy
    // of the link would make the new item the template.
    if (::stat(source.c_str(), &st) != 0) {
        return failedAt(source);
    }
    if (S_ISREG(st.st_mode)) {
        return copyFile(source, destination);
    }
    if (!S_ISDIR(st.st_mode)) {
        return notATemplate(source, st.st_mode);
    }
    // A folder copied into itself would keep finding its copy inside.
    if (isInside(destination, source)) {
        return Error::withDetail(kCopyAction, source, N_("A folder cannot be copied into itself."));
    }
    std::error_code ec;
    TreeCopy tree{fs::canonical(source, ec), {}};
    if (ec) {
        return Error(kCopyAction, source, ec);
    }
    return copyFolder(source, destination, st, tree);
}

} // namespace quillet
