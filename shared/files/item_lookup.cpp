#include "item_lookup.h"

#include <cerrno>
#include <sys/stat.h>

namespace quillet {

Expected<bool> isNameTaken(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        return true;
    }
    if (errno == ENOENT) {
        return false;
    }
    return Error::fromErrno("look for an item at", path);
}

bool isFolder(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool isFolderItself(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace quillet
