#include "item_executable.h"

#include <sys/stat.h>

namespace quillet {

Status setItemExecutable(const std::string& path, bool executable) {
    const char* action = executable ? "make executable" : "clear the execute bits of";
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) {
        return Error::fromErrno(action, path);
    }
    if (S_ISLNK(own.st_mode)) {
        return Error::withDetail(action, path, "a symbolic link has no mode of its own",
                                 std::errc::operation_not_permitted);
    }
    if (S_ISDIR(own.st_mode)) {
        return Error(action, path, std::make_error_code(std::errc::is_a_directory));
    }
    mode_t mode = own.st_mode & 07777 & ~static_cast<mode_t>(0111);
    if (executable) {
        mode |= 0111;
    }
    if (::chmod(path.c_str(), mode) != 0) {
        return Error::fromErrno(action, path);
    }
    return {};
}

} // namespace quillet
