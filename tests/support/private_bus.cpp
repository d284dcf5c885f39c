#include "private_bus.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillet::test {

PrivateBusDaemon::PrivateBusDaemon(const std::string& workDir, const std::string& serviceDir) {
    std::error_code ec;
    std::filesystem::create_directories(workDir, ec);
    ::chmod(workDir.c_str(), 0700);
    const std::string config = workDir + "/session.conf";
    std::ofstream(config)
        << "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir="
        << workDir
        << "</listen>\n"
           "  <servicedir>"
        << serviceDir
        << "</servicedir>\n"
           "  <policy context=\"default\">\n"
           "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
           "    <allow eavesdrop=\"true\"/>\n"
           "    <allow own=\"*\"/>\n"
           "  </policy>\n"
           "</busconfig>\n";

    int pipeFds[2];
    if (::pipe(pipeFds) != 0) {
        return;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], 1);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);
    std::string configArg = "--config-file=" + config;
    char program[] = "dbus-daemon";
    char printAddress[] = "--print-address=1";
    char noFork[] = "--nofork";
    char* argv[] = {program, configArg.data(), printAddress, noFork, nullptr};
    // Kept as our child, so that ending it here also reaps it.
    const int rc = ::posix_spawnp(&pid_, program, &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(pipeFds[1]);
    if (rc != 0) {
        pid_ = -1;
        ::close(pipeFds[0]);
        return;
    }
    // The daemon prints its address once it listens.
    char c = 0;
    while (::read(pipeFds[0], &c, 1) == 1 && c != '\n') {
        address_.push_back(c);
    }
    ::close(pipeFds[0]);
    if (!address_.empty()) {
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }
}

PrivateBusDaemon::~PrivateBusDaemon() {
    if (pid_ > 0) {
        ::kill(pid_, SIGTERM);
        ::waitpid(pid_, nullptr, 0);
    }
}

} // namespace quillet::test
