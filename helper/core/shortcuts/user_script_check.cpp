#include "helper/core/shortcuts/user_script_check.h"

#include "shared/files/safe_create.h"
#include "shared/files/unique_name.h"
#include "shared/text_mark.h"

#include <cerrno>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <sys/stat.h>

namespace quillet::helper {

namespace {

// Others could change what runs: the one condition that is not repaired by
// a reinstall on the user's behalf, since it may be someone else's doing.
constexpr std::errc kUnsafe = std::errc::operation_not_permitted;

Error cannotRun(const std::string& path, const char* why, std::errc reason) {
    return Error::withDetail(kUserScriptCheckAction, path, why, reason);
}

} // namespace

Expected<UserScriptPresence> checkUserScript(const std::string& path, uid_t userId) {
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0) {
        if (errno == ENOENT) {
            return UserScriptPresence::Absent;
        }
        return Error::fromErrno(kUserScriptCheckAction, path);
    }
    struct stat target = own;
    if (S_ISLNK(own.st_mode) && ::stat(path.c_str(), &target) != 0) {
        return cannotRun(path, N_("it is a link to nothing"), std::errc::no_such_file_or_directory);
    }
    if (S_ISDIR(target.st_mode)) {
        return cannotRun(path, N_("it is a folder"), std::errc::is_a_directory);
    }
    if (!S_ISREG(target.st_mode)) {
        return cannotRun(path, N_("it is not a regular file"), std::errc::permission_denied);
    }
    // The system's own files (root's) are as trusted as the helper itself.
    if (target.st_uid != userId && target.st_uid != 0) {
        return Error::withDetail(kUserScriptCheckAction, path, N_("it belongs to another user"),
                                 kUnsafe);
    }
    if ((target.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
        return Error::withDetail(kUserScriptCheckAction, path,
                                 N_("other users can change it (its permissions allow group or "
                                    "world writing)"),
                                 kUnsafe);
    }
    const mode_t runBit = target.st_uid == userId ? S_IXUSR : S_IXOTH;
    if ((target.st_mode & runBit) == 0) {
        return cannotRun(path, N_("it is not executable"), std::errc::permission_denied);
    }
    return UserScriptPresence::Runnable;
}

bool isUnsafeUserScript(const Error& error) {
    return error.action() == kUserScriptCheckAction && error.code() == kUnsafe;
}

Status installUserScript(const std::string& shippedScript, const std::string& path) {
    // The mode is set on the copy while it still has its hidden temporary
    // name, so the script never appears at its name with other permissions.
    auto copyExecutable = [](const std::string& source, const std::string& destination) -> Status {
        if (Status copied = copyNewItem(source, destination); !copied) {
            return copied;
        }
        if (::chmod(destination.c_str(), 0755) != 0) {
            return Error::fromErrno("make executable", destination);
        }
        return {};
    };
    Expected<std::string> placed =
        copyItem(shippedScript, path, WhenTaken::Fail, nullptr, copyExecutable);
    if (!placed) {
        return placed.error();
    }
    return {};
}

Expected<std::string> moveUserScriptAside(const std::string& path) {
    for (std::uint64_t n = 0;; ++n) {
        const std::string aside = uniqueNameCandidate(path + ".old", n);
        if (::renameat2(AT_FDCWD, path.c_str(), AT_FDCWD, aside.c_str(), RENAME_NOREPLACE) == 0) {
            return aside;
        }
        if (errno != EEXIST) {
            return Error::fromErrno("move the old script aside", path);
        }
    }
}

} // namespace quillet::helper
