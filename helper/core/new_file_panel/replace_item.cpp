#include "helper/core/new_file_panel/replace_item.h"

#include "shared/xdg_paths.h"

#include <cerrno>
#include <cstdio> // renameat2
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::helper {

namespace fs = std::filesystem;

namespace {

std::error_code errnoError(int err) {
    return {err, std::generic_category()};
}
std::error_code lastError() {
    return errnoError(errno);
}

// The error a file system gives for a rename flag it does not implement.
bool isUnsupported(int err) {
    return err == EINVAL || err == ENOSYS || err == EOPNOTSUPP;
}

bool existsNoFollow(const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) == 0) {
        return true;
    }
    // Anything but "not there" (no permission to look, say) counts as taken, so
    // that a name is never treated as free when we merely cannot see it.
    return errno != ENOENT && errno != ENOTDIR;
}

bool isDirectoryNoFollow(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

int exchange(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
}

struct SplitPath {
    std::string folder;
    std::string path; // folder joined with the name, trailing slashes gone
};

std::optional<SplitPath> splitTarget(const std::string& wanted) {
    const std::string target = paths::withoutTrailingSlashes(wanted);
    const auto slash = target.rfind('/');
    if (slash == std::string::npos) {
        return std::nullopt; // only absolute paths are accepted
    }
    const std::string name = target.substr(slash + 1);
    if (name.empty() || name == "." || name == "..") {
        return std::nullopt;
    }
    return SplitPath{slash == 0 ? std::string("/") : target.substr(0, slash), target};
}

// For file systems that cannot exchange two names: move the old item aside,
// then the new one into place, and move the old one back if that fails.
PlaceResult replaceByMovingAside(TemporaryItem& staged, const std::string& folder,
                                 const std::string& target) {
    // Out of the journal: until the new item is in place, what goes aside is
    // the user's data, which no later start may remove.
    TemporaryItem aside(folder, nullptr);
    if (::rename(target.c_str(), aside.path().c_str()) != 0) {
        return {PlaceResult::Failure::RemovingExisting, lastError()};
    }
    aside.keep();
    const CreateResult moved = staged.moveWithoutReplacing(target);
    if (!moved.ok()) {
        if (::rename(aside.path().c_str(), target.c_str()) != 0) {
            // The old item stays under its hidden name: never deleted.
        }
        return {PlaceResult::Failure::Creating, moved.error};
    }
    // The replacement the user confirmed is done: the new item has the name.
    // Should part of the old one resist deletion, it stays hidden beside it
    // rather than the new item going without its finishing steps.
    std::error_code ec;
    fs::remove_all(aside.path(), ec);
    return {};
}

} // namespace

PlaceResult createItemWithoutReplacing(const std::string& source, const std::string& target,
                                       CreationJournal* journal, const CopyStep& copy) {
    const auto split = splitTarget(target);
    if (!split) {
        return {PlaceResult::Failure::Creating, errnoError(EINVAL)};
    }
    const CreateResult created =
        copyItemWithoutReplacing(source, split->path, NameRule::Exact, journal, copy);
    if (!created.ok()) {
        return {PlaceResult::Failure::Creating, created.error};
    }
    return {};
}

PlaceResult replaceItem(const std::string& source, const std::string& target,
                        CreationJournal* journal, const CopyStep& copy) {
    const auto split = splitTarget(target);
    if (!split) {
        return {PlaceResult::Failure::Creating, errnoError(EINVAL)};
    }
    if (::access(split->folder.c_str(), W_OK | X_OK) != 0) {
        // The folder cannot be changed, so the old item cannot go either.
        return {PlaceResult::Failure::RemovingExisting, lastError()};
    }
    TemporaryItem staged(split->folder, journal);
    if (auto ec = copy(source, staged.path())) {
        return {PlaceResult::Failure::Creating, ec};
    }
    const std::string& path = split->path;
    if (!existsNoFollow(path)) {
        const CreateResult moved = staged.moveWithoutReplacing(path);
        if (!moved.ok()) {
            return {PlaceResult::Failure::Creating, moved.error};
        }
        return {};
    }
    if (!isDirectoryNoFollow(staged.path()) && !isDirectoryNoFollow(path)) {
        // Neither is a folder: rename replaces the old name in one step.
        if (::rename(staged.path().c_str(), path.c_str()) != 0) {
            return {PlaceResult::Failure::RemovingExisting, lastError()};
        }
        return {};
    }
    // A folder is involved, which rename cannot put over a non-empty folder
    // (nor a file over a folder): swap the two names instead.
    if (exchange(staged.path(), path) != 0) {
        const int err = errno;
        if (isUnsupported(err)) {
            return replaceByMovingAside(staged, split->folder, path);
        }
        return {PlaceResult::Failure::RemovingExisting, errnoError(err)};
    }
    // The old item now sits at the temporary name; should the helper end
    // here, the next start removes it, as the user asked.
    std::error_code ec;
    fs::remove_all(staged.path(), ec);
    if (ec) {
        // Part of it could not be deleted: put back what is left rather than
        // leave it hidden, and report that it could not be removed.
        if (exchange(staged.path(), path) != 0) {
            staged.keep();
        }
        return {PlaceResult::Failure::RemovingExisting, ec};
    }
    return {};
}

} // namespace quillet::helper
