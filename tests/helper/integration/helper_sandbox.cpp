#include "helper_sandbox.h"

#include "shared/identifiers.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace quillet::test {

namespace {

using namespace std::chrono_literals;

std::vector<char*> argvOf(const std::vector<std::string>& argv) {
    std::vector<char*> out;
    for (const auto& arg : argv) {
        out.push_back(const_cast<char*>(arg.c_str()));
    }
    out.push_back(nullptr);
    return out;
}

} // namespace

std::string HelperSandbox::helperExecutable() {
    return QUILLET_HELPER_EXE;
}

HelperSandbox::HelperSandbox() {
    // The helper is to run without a display here (alerts go to standard
    // error), and its bus is ours alone.
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM",
                             "DBUS_SESSION_BUS_ADDRESS", "XDG_DATA_DIRS"}) {
        const char* old = std::getenv(name);
        savedEnv_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        ::unsetenv(name);
    }
    store_.emplace(ids::kSuiteName);

    bus_.emplace(xdg_.root() + "/bus", QUILLET_SERVICES_DIR);
    if (!bus_->running()) {
        throw std::runtime_error("dbus-daemon did not start");
    }
    // Programs the bus starts get the sandbox's folders, not the user's.
    int status = 0;
    run({"dbus-update-activation-environment", "HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME",
         "XDG_CACHE_HOME"},
        &status);
    if (status != 0) {
        throw std::runtime_error("cannot set the bus's activation environment");
    }
}

HelperSandbox::~HelperSandbox() {
    // Anything still running is ours to end.
    if (helperOnBus()) {
        postNotification(ids::kHelper, ids::kQuitObject);
        waitForHelperGone(5s);
    }
    for (pid_t pid : children_) {
        if (::waitpid(pid, nullptr, WNOHANG) == 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    bus_.reset();
    for (const auto& [name, value] : savedEnv_) {
        if (value) {
            ::setenv(name.c_str(), value->c_str(), 1);
        } else {
            ::unsetenv(name.c_str());
        }
    }
}

Child HelperSandbox::spawn(const std::vector<std::string>& argv) {
    static int counter = 0;
    Child child;
    child.stderrPath = xdg_.root() + "/stderr-" + std::to_string(counter++) + ".txt";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, child.stderrPath.c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    auto args = argvOf(argv);
    if (::posix_spawnp(&child.pid, args[0], &actions, nullptr, args.data(), environ) != 0) {
        child.pid = -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    if (child.pid > 0) {
        children_.push_back(child.pid);
    }
    return child;
}

std::optional<int> HelperSandbox::waitExit(Child& child, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    do {
        int status = 0;
        pid_t r = ::waitpid(child.pid, &status, WNOHANG);
        if (r == child.pid) {
            return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
        }
        std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < deadline);
    return std::nullopt;
}

std::string HelperSandbox::run(const std::vector<std::string>& argv, int* status) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    auto args = argvOf(argv);
    pid_t pid = -1;
    int rc = ::posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    std::string out;
    if (rc == 0) {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) {
            out.append(buffer, static_cast<std::size_t>(n));
        }
    }
    ::close(pipeFds[0]);
    int childStatus = -1;
    if (rc == 0) {
        ::waitpid(pid, &childStatus, 0);
    }
    if (status != nullptr) {
        *status = rc == 0 && WIFEXITED(childStatus) ? WEXITSTATUS(childStatus) : -1;
    }
    return out;
}

bool HelperSandbox::helperOnBus() {
    std::string out = run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                           "--object-path", "/org/freedesktop/DBus", "--method",
                           "org.freedesktop.DBus.NameHasOwner", ids::kHelper});
    return out.find("true") != std::string::npos;
}

bool HelperSandbox::waitForHelperOnBus(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (helperOnBus()) {
            return true;
        }
        std::this_thread::sleep_for(50ms);
    }
    return false;
}

bool HelperSandbox::waitForHelperGone(std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        if (!helperOnBus()) {
            return true;
        }
        std::this_thread::sleep_for(100ms);
    }
    return false;
}

std::optional<pid_t> HelperSandbox::helperPid() {
    std::string out = run({"gdbus", "call", "--session", "--dest", "org.freedesktop.DBus",
                           "--object-path", "/org/freedesktop/DBus", "--method",
                           "org.freedesktop.DBus.GetConnectionUnixProcessID", ids::kHelper});
    // "(uint32 1234,)": the digits after the type's name.
    auto type = out.find("uint32 ");
    auto digits = type == std::string::npos ? type : out.find_first_of("0123456789", type + 7);
    if (digits == std::string::npos) {
        return std::nullopt;
    }
    return static_cast<pid_t>(std::atol(out.c_str() + digits));
}

int HelperSandbox::callOpen(const std::vector<std::string>& uris) {
    std::string list = "[";
    for (std::size_t i = 0; i < uris.size(); ++i) {
        // GVariant text: a quoted string with backslash escapes.
        std::string quoted;
        for (char c : uris[i]) {
            if (c == '\\' || c == '\'') {
                quoted += '\\';
            }
            quoted += c;
        }
        list += (i ? ", '" : "'") + quoted + "'";
    }
    list += "]";
    int status = -1;
    run({"gdbus", "call", "--session", "--dest", ids::kHelper, "--object-path",
         ids::kHelperObjectPath, "--method", "org.freedesktop.Application.Open", list, "{}"},
        &status);
    return status;
}

void HelperSandbox::postNotification(const std::string& name, const std::string& object) {
    run({"gdbus", "emit", "--session", "--object-path", ids::kNotificationsPath, "--signal",
         std::string(ids::kNotificationsInterface) + "." + ids::kNotificationsSignal, name,
         object});
}

bool HelperSandbox::waitForPath(const std::string& path, std::chrono::milliseconds timeout) {
    auto deadline = std::chrono::steady_clock::now() + timeout;
    struct stat st {};
    while (std::chrono::steady_clock::now() < deadline) {
        if (::lstat(path.c_str(), &st) == 0) {
            return true;
        }
        std::this_thread::sleep_for(10ms);
    }
    return ::lstat(path.c_str(), &st) == 0;
}

std::string HelperSandbox::readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace quillet::test
