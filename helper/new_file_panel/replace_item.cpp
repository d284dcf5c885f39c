#include "helper/new_file_panel/replace_item.h"

#include <cerrno>
#include <cstdio> // renameat2
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::helper {

namespace fs = std::filesystem;

namespace {

class PlaceErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "quillet.place"; }
    std::string message(int) const override { return "A folder cannot be copied into itself."; }
};

std::error_code folderIntoItselfError() {
    static const PlaceErrorCategory category;
    return {1, category};
}

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

int exchange(const std::string& a, const std::string& b) {
    return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE);
}

struct SplitPath {
    std::string folder;
    std::string path; // folder joined with the name, trailing slashes gone
};

std::optional<SplitPath> splitTarget(std::string target) {
    while (target.size() > 1 && target.back() == '/') {
        target.pop_back();
    }
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

// A private folder (mode 0700, unique name) next to the target. The copy is
// built inside it, so no other program sees a half-made item under the
// user's name, and the final move never crosses file systems.
class StagingFolder {
public:
    explicit StagingFolder(const std::string& folder) {
        std::string pattern = (folder == "/" ? std::string() : folder) + "/.quillet-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            error_ = lastError();
            return;
        }
        path_ = pattern;
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    ~StagingFolder() {
        if (!path_.empty() && !keep_) {
            std::error_code ec;
            fs::remove_all(path_, ec);
        }
    }

    const std::error_code& error() const { return error_; }
    std::string newItem() const { return path_ + "/new"; }
    std::string oldItem() const { return path_ + "/old"; }
    // Called when what is inside may be the user's data that could not be
    // put back: better a hidden leftover than a deletion.
    void keep() { keep_ = true; }

private:
    std::string path_;
    std::error_code error_;
    bool keep_ = false;
};

// Moves the staged item to `target` while the name is free; EEXIST otherwise.
std::error_code moveToFreeName(const std::string& staged, const std::string& target) {
    if (::renameat2(AT_FDCWD, staged.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) == 0) {
        return {};
    }
    int err = errno;
    if (!isUnsupported(err)) {
        return errnoError(err);
    }
    // File systems without the flag: a hard link cannot overwrite either.
    if (!isDirectoryNoFollow(staged)) {
        if (::link(staged.c_str(), target.c_str()) == 0) {
            ::unlink(staged.c_str());
            return {};
        }
        err = errno;
        if (err != EPERM && !isUnsupported(err)) {
            return errnoError(err);
        }
    }
    // Last resort for file systems with neither: check, then rename.
    if (existsNoFollow(target)) {
        return errnoError(EEXIST);
    }
    if (::rename(staged.c_str(), target.c_str()) == 0) {
        return {};
    }
    return lastError();
}

// For file systems that cannot exchange two names: move the old item into
// the staging folder, then the new one into place, and move the old one back
// if that fails.
PlaceResult replaceByMovingAside(StagingFolder& staging, const std::string& target) {
    const std::string aside = staging.oldItem();
    if (::rename(target.c_str(), aside.c_str()) != 0) {
        return {PlaceResult::Failure::RemovingExisting, lastError()};
    }
    if (auto ec = moveToFreeName(staging.newItem(), target)) {
        if (::rename(aside.c_str(), target.c_str()) != 0) {
            staging.keep();
        }
        return {PlaceResult::Failure::Creating, ec};
    }
    std::error_code ec;
    fs::remove_all(aside, ec);
    if (ec) {
        staging.keep();
        return {PlaceResult::Failure::RemovingExisting, ec};
    }
    return {};
}

} // namespace

std::error_code copyTemplateItem(const std::string& source, const std::string& destination) {
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(source, ec);
    if (status.type() == fs::file_type::not_found) {
        return std::make_error_code(std::errc::no_such_file_or_directory);
    }
    if (ec) {
        return ec;
    }
    switch (status.type()) {
    case fs::file_type::symlink:
        fs::copy_symlink(source, destination, ec);
        return ec;
    case fs::file_type::directory:
        // Copying a folder into itself would never end.
        if (isInside(destination, source)) {
            return folderIntoItselfError();
        }
        fs::copy(source, destination, fs::copy_options::recursive | fs::copy_options::copy_symlinks,
                 ec);
        return ec;
    case fs::file_type::regular:
        fs::copy_file(source, destination, ec);
        return ec;
    default:
        return std::make_error_code(std::errc::operation_not_supported);
    }
}

PlaceResult createItemWithoutReplacing(const std::string& source, const std::string& target,
                                       const CopyStep& copy) {
    const auto split = splitTarget(target);
    if (!split) {
        return {PlaceResult::Failure::Creating, errnoError(EINVAL)};
    }
    StagingFolder staging(split->folder);
    if (staging.error()) {
        return {PlaceResult::Failure::Creating, staging.error()};
    }
    if (auto ec = copy(source, staging.newItem())) {
        return {PlaceResult::Failure::Creating, ec};
    }
    if (auto ec = moveToFreeName(staging.newItem(), split->path)) {
        return {PlaceResult::Failure::Creating, ec};
    }
    return {};
}

PlaceResult replaceItem(const std::string& source, const std::string& target,
                        const CopyStep& copy) {
    const auto split = splitTarget(target);
    if (!split) {
        return {PlaceResult::Failure::Creating, errnoError(EINVAL)};
    }
    StagingFolder staging(split->folder);
    if (staging.error()) {
        // The folder cannot be changed, so the old item cannot go either.
        return {PlaceResult::Failure::RemovingExisting, staging.error()};
    }
    const std::string staged = staging.newItem();
    if (auto ec = copy(source, staged)) {
        return {PlaceResult::Failure::Creating, ec};
    }
    const std::string& path = split->path;
    if (!existsNoFollow(path)) {
        if (auto ec = moveToFreeName(staged, path)) {
            return {PlaceResult::Failure::Creating, ec};
        }
        return {};
    }
    if (!isDirectoryNoFollow(staged) && !isDirectoryNoFollow(path)) {
        // Neither is a folder: rename replaces the old name in one step.
        if (::rename(staged.c_str(), path.c_str()) != 0) {
            return {PlaceResult::Failure::RemovingExisting, lastError()};
        }
        return {};
    }
    // A folder is involved, which rename cannot put over a non-empty folder
    // (nor a file over a folder): swap the two names instead.
    if (exchange(staged, path) != 0) {
        const int err = errno;
        if (isUnsupported(err)) {
            return replaceByMovingAside(staging, path);
        }
        return {PlaceResult::Failure::RemovingExisting, errnoError(err)};
    }
    // The old item now sits in the staging folder.
    std::error_code ec;
    fs::remove_all(staged, ec);
    if (ec) {
        // Part of it could not be deleted: put back what is left rather than
        // leave it in a hidden folder, and report that it could not be removed.
        if (exchange(staged, path) != 0) {
            staging.keep();
        }
        return {PlaceResult::Failure::RemovingExisting, ec};
    }
    return {};
}

} // namespace quillet::helper
