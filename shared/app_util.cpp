#include "app_util.h"

#include "fd_io.h"
#include "identifiers.h"
#include "request_url.h"
#include "xdg_paths.h"

#include <nlohmann/json.hpp>

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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
    bool ok = writeAll(fd, content);
    ok = ok && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    ok = ok && ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
    }
    return ok;
}

struct timespec toTimespec(AppUtil::Clock::time_point date) {
    auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(date.time_since_epoch()).count();
    auto sec = ns / 1000000000;
    auto rem = ns % 1000000000;
    if (rem < 0) {
        rem += 1000000000;
        --sec;
    }
    struct timespec ts {};
    ts.tv_sec = static_cast<time_t>(sec);
    ts.tv_nsec = static_cast<long>(rem);
    return ts;
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

std::optional<std::string>
AppUtil::humanReadableFileTypeForFileExtension(const FileTypes& types,
                                               const std::string& extension) {
    return types.descriptionForExtension(extension);
}

bool AppUtil::makeItemExecutableAtPath(const std::string& path) {
    return makeItemExecutable(true, path);
}

bool AppUtil::removeExecutableFlagAtPath(const std::string& path) {
    return makeItemExecutable(false, path);
}

bool AppUtil::makeItemExecutable(bool flag, const std::string& path) {
    struct stat st {};
    if (!exists(path, &st) || S_ISDIR(st.st_mode)) {
        return false;
    }
    // A link has no mode of its own on Linux: chmod would change the file it
    // points to, which lies outside the item that was just created.
    struct stat own {};
    if (::lstat(path.c_str(), &own) != 0 || S_ISLNK(own.st_mode)) {
        return false;
    }
    mode_t mode = st.st_mode & 07777 & ~static_cast<mode_t>(0111);
    if (flag) {
        mode |= 0111;
    }
    return ::chmod(path.c_str(), mode) == 0;
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
        std::string content;
        if (!readFile(source, content) || !writeAtomically(destination, content)) {
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
            std::string content;
            if (!readFile(itemSource, content) || !writeAtomically(itemDestination, content)) {
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

void AppUtil::showAlert(Alerts& alerts, const std::optional<std::string>& title,
                        const std::optional<std::string>& message) {
    showAlert(alerts, title, message, AlertStyle::Informational);
}

void AppUtil::showAlert(Alerts& alerts, const std::optional<std::string>& title,
                        const std::optional<std::string>& message, AlertStyle style) {
    alerts.showAlert(title, message, style);
}

std::optional<Value::Data> AppUtil::bookmarkFromURL(const std::string& folderPath) {
    std::string path = pathFromFolderArgument(folderPath);
    struct stat st {};
    if (path.empty() || path.front() != '/' || !exists(path, &st) || !S_ISDIR(st.st_mode)) {
        return std::nullopt;
    }
    nlohmann::json bookmark = {{"path", path},
                               {"dev", static_cast<std::uint64_t>(st.st_dev)},
                               {"ino", static_cast<std::uint64_t>(st.st_ino)}};
    std::string text;
    try {
        text = bookmark.dump();
    } catch (const nlohmann::json::exception&) {
        // A path that is not UTF-8 cannot be kept in the store's JSON.
        return std::nullopt;
    }
    return Value::Data(text.begin(), text.end());
}

std::optional<std::string> AppUtil::urlFromBookmark(const Value::Data& bookmark) {
    nlohmann::json parsed = nlohmann::json::parse(bookmark.begin(), bookmark.end(), nullptr, false);
    if (!parsed.is_object()) {
        return std::nullopt;
    }
    auto path = parsed.find("path");
    auto dev = parsed.find("dev");
    auto ino = parsed.find("ino");
    if (path == parsed.end() || dev == parsed.end() || ino == parsed.end() || !path->is_string() ||
        !dev->is_number_unsigned() || !ino->is_number_unsigned()) {
        return std::nullopt;
    }
    const std::string& folder = path->get_ref<const std::string&>();
    struct stat st {};
    // The same folder must still be there: a folder re-created under the same
    // name is another folder and was never granted.
    if (folder.empty() || !exists(folder, &st) || !S_ISDIR(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_dev) != dev->get<std::uint64_t>() ||
        static_cast<std::uint64_t>(st.st_ino) != ino->get<std::uint64_t>()) {
        return std::nullopt;
    }
    return folder;
}

void AppUtil::postRefreshNotification(NotificationCenter& center, const std::string& key) {
    center.post(ids::kSuiteName, key);
}

std::error_code AppUtil::writabilityError(const std::string& path, std::string* answeredBy) {
    // One buffer shortened in place: a path of n components costs n probes
    // and no copy of the path per step, however long a caller's path is.
    std::string p = path;
    while (p.size() >= 2 && !exists(p)) {
        const auto end = p.find_last_not_of('/');
        if (end == std::string::npos) {
            p.resize(1); // only slashes: the root folder
            break;
        }
        const auto slash = p.rfind('/', end);
        if (slash == std::string::npos) {
            p.clear(); // a relative name without a folder
            break;
        }
        const auto keep = p.find_last_not_of('/', slash);
        p.resize(keep == std::string::npos ? 1 : keep + 1);
    }
    if (!p.empty() && !p.ends_with("/") && isDir(p)) {
        p += "/";
    }
    if (answeredBy != nullptr) {
        *answeredBy = p;
    }
    if (::access(p.c_str(), W_OK) == 0) {
        return {};
    }
    const std::error_code error(errno, std::generic_category());
    // A caller may hand over the path of a URL still carrying its escapes.
    if (p.find('%') != std::string::npos && ::access(percentDecode(p).c_str(), W_OK) == 0) {
        return {};
    }
    return error;
}

bool AppUtil::isWritableFileAtPath(const std::optional<std::string>& path) {
    return path && !writabilityError(*path);
}

void AppUtil::updateDateForPath(Clock::time_point date, const std::string& path) {
    if (!exists(path)) {
        return;
    }
    // The items are listed before any date is set: reading a folder would
    // otherwise move its access time again.
    std::vector<std::string> items{path};
    if (isDir(path)) {
        std::error_code ec;
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied,
                                            ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            items.push_back(it->path().string());
        }
    }
    for (const auto& item : items) {
        updateDateForFile(date, item);
    }
}

void AppUtil::updateDateForFile(Clock::time_point date, const std::string& path) {
    // Linux keeps a creation (birth) time but offers no call that sets it, so
    // "now" goes to the modification and access times; failures are ignored.
    struct timespec ts = toTimespec(date);
    struct timespec times[2] = {ts, ts};
    // The item itself: a link's dates, not those of the file it points to.
    (void)::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
}

bool AppUtil::isDir(const std::string& path) {
    struct stat st {};
    return exists(path, &st) && S_ISDIR(st.st_mode);
}

std::string AppUtil::pathFromStoredLocation(const std::string& stored) {
    return pathFromFolderArgument(stored);
}

} // namespace quillet
