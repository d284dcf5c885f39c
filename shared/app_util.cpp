#include "app_util.h"

#include "fd_io.h"
#include "request_url.h"
#include "xdg_paths.h"

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet {

namespace fs = std::filesystem;

namespace {

// "Something is there" for the unique-name rule: a dangling symbolic link
// still occupies the name, so lstat, not stat.
bool occupied(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0;
}

// Existence as the file manager means it elsewhere: symbolic links followed.
bool exists(const std::string& path, struct stat* out = nullptr) {
    struct stat st {};
    bool ok = ::stat(path.c_str(), &st) == 0;
    if (ok && out != nullptr) {
        *out = st;
    }
    return ok;
}

void setError(std::error_code* error, std::error_code ec) {
    if (error != nullptr) {
        *error = ec;
    }
}

// Writes the content to a temporary file beside the destination and renames
// it into place, so the destination is either absent or complete.
bool writeAtomically(const std::string& path, const std::string& content) {
    std::string dir = paths::deletingLastPathComponent(path);
    std::string name = paths::lastPathComponent(path);
    std::string temp =
        paths::appendingPathComponent(dir.empty() ? "." : dir, "." + name + ".XXXXXX");
    int fd = ::mkstemp(temp.data());
    if (fd < 0) {
        return false;
    }
    bool ok = static_cast<bool>(writeAll(fd, content));
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

// A bookmark may be handed a file URL as well as a path.
std::string pathFromFolderArgument(const std::string& folder) {
    if (folder.starts_with("file://")) {
        std::string rest = folder.substr(7);
        auto slash = rest.find('/');
        return slash == std::string::npos ? std::string() : percentDecode(rest.substr(slash));
    }
    return folder;
}

} // namespace

std::string AppUtil::genNewPathForPath(const std::string& path) {
    if (!occupied(path)) {
        return path;
    }
    const std::string folder = paths::deletingLastPathComponent(path);
    const std::string name = paths::lastPathComponent(path);
    const std::string extension = paths::pathExtension(name);
    const std::string base = paths::deletingPathExtension(name);
    // No upper bound: a folder cannot hold more names than the counter reaches.
    for (long long n = 1;; ++n) {
        std::string candidate = extension.empty()
                                    ? base + "-" + std::to_string(n)
                                    : base + "-" + std::to_string(n) + "." + extension;
        std::string candidatePath = paths::appendingPathComponent(folder, candidate);
        if (!occupied(candidatePath)) {
            return candidatePath;
        }
    }
}

bool AppUtil::copyItemAtPath(const std::string& source, const std::string& destination,
                             std::error_code* error) {
    if (paths::standardizedPath(source) == paths::standardizedPath(destination)) {
        return false;
    }
    if (occupied(destination)) {
        std::error_code ec;
        fs::remove_all(destination, ec);
        if (ec) {
            setError(error, ec);
            return false;
        }
    }
    struct stat st {};
    if (!exists(source, &st)) {
        return true;
    }
    if (!S_ISDIR(st.st_mode)) {
        Expected<std::string> content = readFile(source);
        if (!content || !writeAtomically(destination, *content)) {
            return false;
        }
        copyFilePermissionsAtPath(source, destination);
        return true;
    }

    std::error_code ec;
    fs::create_directories(destination, ec);
    if (ec) {
        // Reported, but the walk below finds out whether anything can be copied.
        setError(error, ec);
    }
    fs::recursive_directory_iterator it(source, ec);
    if (ec) {
        setError(error, ec);
        return false;
    }
    for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (ec) {
            setError(error, ec);
            return false;
        }
        const std::string itemSource = it->path().string();
        const std::string relative = it->path().lexically_relative(source).string();
        const std::string itemDestination = paths::appendingPathComponent(destination, relative);
        struct stat item {};
        if (exists(itemSource, &item) && S_ISDIR(item.st_mode)) {
            std::error_code mk;
            fs::create_directories(itemDestination, mk);
            if (mk) {
                setError(error, mk);
                return false;
            }
        } else {
            Expected<std::string> content = readFile(itemSource);
            if (!content || !writeAtomically(itemDestination, *content)) {
                return false;
            }
        }
        copyFilePermissionsAtPath(itemSource, itemDestination);
    }
    if (ec) {
        setError(error, ec);
        return false;
    }
    return true;
}

bool AppUtil::copyFilePermissionsAtPath(const std::string& source, const std::string& destination) {
    struct stat st {};
    if (!exists(source, &st)) {
        return false;
    }
    return ::chmod(destination.c_str(), st.st_mode & 07777) == 0;
}

bool AppUtil::isDir(const std::string& path) {
    struct stat st {};
    return exists(path, &st) && S_ISDIR(st.st_mode);
}

std::string AppUtil::pathFromStoredLocation(const std::string& stored) {
    return pathFromFolderArgument(stored);
}

} // namespace quillet
