#include "platform/linux/posix_script_runner.h"

#include "shared/fd_io.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillet::platform {

namespace {

std::string describe(const std::string& path, int error) {
    return path + ": " + std::strerror(error);
}

} // namespace

std::optional<std::string> PosixScriptRunner::run(const std::string& scriptPath,
                                                  const std::vector<std::string>& arguments,
                                                  Completion completion) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        return describe(scriptPath, errno);
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
        return describe(scriptPath, rc);
    }

    const int readEnd = pipeFds[0];
    std::thread([readEnd, pid, scriptPath, completion = std::move(completion)] {
        ScriptOutcome outcome;
        if (!readAll(readEnd, outcome.standardOutput)) {
            outcome.error = describe(scriptPath, errno);
        }
        ::close(readEnd);
        int status = 0;
        pid_t waited;
        do {
            waited = ::waitpid(pid, &status, 0);
        } while (waited < 0 && errno == EINTR);
        if (waited < 0) {
            outcome.error = describe(scriptPath, errno);
        } else if (WIFSIGNALED(status)) {
            outcome.error = scriptPath + " was ended by signal " + std::to_string(WTERMSIG(status));
        } else if (WIFEXITED(status) && WEXITSTATUS(status) != 0) {
            outcome.error =
                scriptPath + " ended with status " + std::to_string(WEXITSTATUS(status));
        }
        if (completion) {
            completion(std::move(outcome));
        }
    }).detach();
    return std::nullopt;
}

} // namespace quillet::platform
