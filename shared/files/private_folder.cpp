#include "private_folder.h"

#include "shared/xdg_paths.h"

#include <cstdlib>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace {
constexpr const char* kMakeAction = "make a private folder";
} // namespace

Status checkPrivateFolder(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        return Error::fromErrno(kMakeAction, path);
    }
    if (!S_ISDIR(st.st_mode)) {
        return Error::withDetail(kMakeAction, path, "it is not a folder",
                                 std::errc::not_a_directory);
    }
    if (st.st_uid != ::geteuid()) {
        return Error::withDetail(kMakeAction, path, "it belongs to another user",
                                 std::errc::operation_not_permitted);
    }
    if ((st.st_mode & 077) != 0) {
        return Error::withDetail(kMakeAction, path, "other users can enter it",
                                 std::errc::operation_not_permitted);
    }
    return {};
}

Expected<std::string> makePrivateFolder(const std::string& parent, const std::string& prefix) {
    std::error_code error;
    std::filesystem::create_directories(parent, error);
    if (error) {
        return Error(kMakeAction, parent, error);
    }
    std::string folder = paths::appendingPathComponent(parent, prefix + "XXXXXX");
    if (::mkdtemp(folder.data()) == nullptr) {
        return Error::fromErrno(kMakeAction, folder);
    }
    if (Status checked = checkPrivateFolder(folder); !checked) {
        return checked.error();
    }
    return folder;
}

} // namespace quillet
