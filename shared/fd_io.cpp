#include "fd_io.h"

#include "shared/text_mark.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

Expected<std::string> readAll(int fd) {
    std::string out;
    char buf[65536];
    for (;;) {
        ssize_t n = ::read(fd, buf, sizeof buf);
        if (n == 0) {
            return out;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Error::fromErrno("read", "");
        }
        out.append(buf, static_cast<std::size_t>(n));
    }
}

Status writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            return Error::fromErrno("write", "");
        }
        // A write that moves nothing would loop for ever.
        if (n == 0) {
            return Error("write", "", std::make_error_code(std::errc::io_error));
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return {};
}

Expected<std::string> readFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return Error::fromErrno("read", path);
    }
    Expected<std::string> content = readAll(fd);
    ::close(fd);
    if (!content) {
        return Error("read", path, content.error().code());
    }
    return content;
}

const char* notARegularFileReason(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFDIR:
        return N_("not a regular file but a folder");
    case S_IFLNK:
        return N_("not a regular file but a symbolic link");
    case S_IFIFO:
        return N_("not a regular file but a named pipe (FIFO)");
    case S_IFSOCK:
        return N_("not a regular file but a socket");
    default:
        return N_("not a regular file but a device");
    }
}

Error notARegularFile(const std::string& action, const std::string& path, mode_t mode) {
    return Error::withDetail(action, path, notARegularFileReason(mode),
                             S_ISDIR(mode) ? std::errc::is_a_directory
                                           : std::errc::operation_not_supported);
}

Expected<int> openRegularFile(const std::string& path, const std::string& action) {
    struct stat st {};
    // A look that opens nothing: opening some devices already does something.
    if (::stat(path.c_str(), &st) != 0) {
        return Error::fromErrno(action, path);
    }
    if (!S_ISREG(st.st_mode)) {
        return notARegularFile(action, path, st.st_mode);
    }
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return Error::fromErrno(action, path);
    }
    // What was opened may have been put there after the look.
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const Error error = S_ISREG(st.st_mode) ? Error::fromErrno(action, path)
                                                : notARegularFile(action, path, st.st_mode);
        ::close(fd);
        return error;
    }
    return fd;
}

} // namespace quillet
