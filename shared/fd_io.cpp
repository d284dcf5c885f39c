#include "fd_io.h"

#include <cerrno>
#include <fcntl.h>
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

} // namespace quillet
