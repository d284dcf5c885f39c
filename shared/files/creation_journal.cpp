#include "creation_journal.h"

#include "item_lookup.h"
#include "shared/fd_io.h"
#include "shared/xdg_paths.h"
#include "temporary_item.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <signal.h>
#include <unistd.h>

namespace quillet {

namespace fs = std::filesystem;

namespace {

bool processAlive(long pid) {
    if (pid <= 0) {
        return false;
    }
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

// Only an absolute path whose last name is one of ours: a damaged entry must
// never make us delete the user's files.
bool isOurTemporaryPath(const std::string& path) {
    return path.starts_with("/") && paths::lastPathComponent(path).starts_with(kTempPrefix) &&
           path.find('\0') == std::string::npos && path.find("/../") == std::string::npos;
}

} // namespace

CreationJournal::CreationJournal(std::string dir) : dir_(std::move(dir)) {}

Expected<std::string> CreationJournal::begin(const std::string& tempPath) {
    std::error_code ec;
    fs::create_directories(dir_, ec);
    std::string entry = paths::appendingPathComponent(
        dir_, std::to_string(::getpid()) + "-" + std::to_string(counter_.fetch_add(1)) + ".entry");
    int fd = ::open(entry.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0) {
        return Error::fromErrno("record the temporary item in", entry);
    }
    Status written = writeAll(fd, tempPath);
    ::close(fd);
    if (!written) {
        ::unlink(entry.c_str());
        return written.error().during("record the temporary item in");
    }
    return entry;
}

void CreationJournal::end(const std::string& entry) {
    if (!entry.empty()) {
        ::unlink(entry.c_str());
    }
}

std::size_t CreationJournal::cleanLeftovers() {
    std::size_t removed = 0;
    std::error_code ec;
    for (auto it = fs::directory_iterator(dir_, ec); !ec && it != fs::directory_iterator();
         it.increment(ec)) {
        const std::string entry = it->path().string();
        const std::string name = it->path().filename().string();
        if (!name.ends_with(".entry")) {
            continue;
        }
        long pid = std::strtol(name.c_str(), nullptr, 10);
        if (pid == static_cast<long>(::getpid()) || processAlive(pid)) {
            continue; // still being made by a running process
        }
        // An unreadable entry names nothing to remove.
        const std::string tempPath = readFile(entry).valueOr(std::string());
        if (isOurTemporaryPath(tempPath) && isNameTaken(tempPath).valueOr(false)) {
            removeTemporaryItem(tempPath);
            ++removed;
        }
        ::unlink(entry.c_str());
    }
    return removed;
}

} // namespace quillet
