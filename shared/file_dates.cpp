#include "file_dates.h"

#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <sys/stat.h>
#include <vector>

namespace quillet {

namespace fs = std::filesystem;

namespace {

constexpr const char* kAction = "set the date of";

struct timespec toTimespec(FileClock::time_point date) {
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

} // namespace

Status updateDateForFile(FileClock::time_point date, const std::string& path) {
    struct timespec ts = toTimespec(date);
    struct timespec times[2] = {ts, ts};
    if (::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
        return Error::fromErrno(kAction, path);
    }
    return {};
}

Status updateDateForPath(FileClock::time_point date, const std::string& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Error::fromErrno(kAction, path);
    }
    // The items are listed before any date is set: reading a folder would
    // otherwise move its access time again.
    std::vector<std::string> items{path};
    if (S_ISDIR(st.st_mode)) {
        std::error_code ec;
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied,
                                            ec);
        for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
            items.push_back(it->path().string());
        }
    }
    std::optional<Error> first;
    for (const auto& item : items) {
        if (Status dated = updateDateForFile(date, item); !dated && !first) {
            first = dated.error();
        }
    }
    if (first) {
        return *first;
    }
    return {};
}

} // namespace quillet
