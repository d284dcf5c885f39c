#include "platform/linux/posix_script_runner.h"

#include "shared/fd_io.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillet::platform {

namespace {

constexpr const char* kAction = kScriptRunAction;

// A script that ran and failed: its end is the detail (see scriptFailureText).
Error endedBadly(const std::string& scriptPath, std::string how) {
    return Error::withDetail(kScriptFinishAction, scriptPath, std::move(how), std::errc::io_error);
}

} // namespace

Status PosixScriptRunner::run(const std::string& scriptPath,
                              const std::vector<std::string>& arguments, Completion completion) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return Error::fromErrno(kAction, scriptPath);
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(scriptPath.c_str()));
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    // glibc's posix_spawn reports a failed exec (missing file, no execute
    // permission, no interpreter) as its result, so "cannot be started" is
    // told apart from "ran and failed".
    pid_t pid = -1;
    int rc = ::posix_spawn(&pid, scriptPath.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        ::close(pipeFds[0]);
        return Error(kAction, scriptPath, std::error_code(rc, std::generic_category()));
    }

    const int readEnd = pipeFds[0];
    std::thread([readEnd, pid, scriptPath, completion = std::move(completion)] {
        Expected<std::string> output = readAll(readEnd);
        if (!output) {
            output = Error(kAction, scriptPath, output.error().code());
        }
        ::close(readEnd);
        int status = 0;
        pid_t waited;
        do {
            waited = ::waitpid(pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
        if (waited < 0) {
            output = Error::fromErrno(kAction, scriptPath);
        } else if (WIFSIGNALED(status)) {
            output =
                endedBadly(scriptPath, "was ended by signal " + std::to_string(WTERMSIG(status)));
        } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
            output =
                endedBadly(scriptPath, "ended with status " + std::to_string(WEXITSTATUS(status)));
        }
        if (completion) {
            completion(std::move(output));
        }
    }).detach();
    return {};
}

} // namespace quillet::platform
