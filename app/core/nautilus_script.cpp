#include "nautilus_script.h"

#include "shared/desktop_exec.h"
#include "shared/fd_io.h"
#include "shared/files/item_lookup.h"
#include "shared/item_executable.h"
#include "shared/xdg_paths.h"

#include <cstdio>
#include <fcntl.h>
#include <filesystem>
#include <unistd.h>

namespace quillet::app {

namespace {

// The line that tells our script from one of the user's own.
constexpr const char* kMarker = "# Written by Quillet: a new file from a template.";

} // namespace

std::string nautilusScriptPath() {
    return paths::appendingPathComponent(paths::dataHome(),
                                         "nautilus/scripts/New File from Template");
}

std::string nautilusScriptText(const std::string& shareExecutable) {
    return std::string("#!/bin/sh\n") + kMarker +
           "\n"
           "# Nautilus runs it in the open folder with the selected items as arguments.\n"
           "if [ \"$#\" -eq 0 ]; then\n"
           "  set -- \"$NAUTILUS_SCRIPT_CURRENT_URI\"\n"
           "fi\n"
           "exec " +
           shellQuoted(shareExecutable) + " \"$@\"\n";
}

Status installNautilusScript(const std::string& shareExecutable) {
    constexpr const char* kAction = "install the file manager script";
    const std::string path = nautilusScriptPath();
    const std::string text = nautilusScriptText(shareExecutable);
    // What cannot be looked at is not known to be free: it is left alone.
    if (isNameTaken(path).valueOr(true)) {
        // An unreadable script is not known to be ours: it stays.
        const std::string existing = readFile(path).valueOr(std::string());
        if (existing.find(kMarker) == std::string::npos) {
            return Error::withDetail(kAction, path, "a script of the user's own has that name",
                                     std::errc::file_exists);
        }
        if (existing == text) {
            return {};
        }
    }
    const std::string dir = paths::deletingLastPathComponent(path);
    std::error_code error;
    std::filesystem::create_directories(dir, error);
    // Written beside and renamed over: never a half-written script.
    const std::string temp =
        paths::appendingPathComponent(dir, ".quillet-script-" + std::to_string(::getpid()));
    const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0755);
    if (fd < 0) {
        return Error::fromErrno(kAction, temp);
    }
    Status written = writeAll(fd, text);
    if (!written) {
        ::close(fd);
        std::remove(temp.c_str());
        return written.error().during(kAction);
    }
    if (::close(fd) != 0) {
        Error failed = Error::fromErrno(kAction, temp);
        std::remove(temp.c_str());
        return failed;
    }
    if (Status executable = setItemExecutable(temp, true); !executable) {
        std::remove(temp.c_str());
        return executable.error().during(kAction);
    }
    if (std::rename(temp.c_str(), path.c_str()) != 0) {
        Error failed = Error::fromErrno(kAction, path);
        std::remove(temp.c_str());
        return failed;
    }
    return {};
}

Status removeNautilusScript() {
    const std::string path = nautilusScriptPath();
    if (!isNameTaken(path).valueOr(true)) {
        return {};
    }
    auto existing = readFile(path);
    if (!existing) {
        return existing.error().during("remove the file manager script");
    }
    if (existing->find(kMarker) == std::string::npos) {
        return {};
    }
    if (std::remove(path.c_str()) != 0) {
        return Error::fromErrno("remove the file manager script", path);
    }
    return {};
}

} // namespace quillet::app
