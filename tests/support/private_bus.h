// A session bus of the test's own, whose service folder the test chooses, so
// that bus activation starts programs from the build tree.
#pragma once

#include <string>
#include <sys/types.h>

namespace quillet::test {

class PrivateBusDaemon {
public:
    // Writes the bus configuration into `workDir` (its socket goes there
    // too), starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS at it. The
    // daemon, and what it activates, gets this process's environment.
    PrivateBusDaemon(const std::string& workDir, const std::string& serviceDir);
    // Stops the daemon.
    ~PrivateBusDaemon();

    PrivateBusDaemon(const PrivateBusDaemon&) = delete;
    PrivateBusDaemon& operator=(const PrivateBusDaemon&) = delete;

    bool running() const { return pid_ > 0 && !address_.empty(); }
    const std::string& address() const { return address_; }

private:
    pid_t pid_ = -1;
    std::string address_;
};

} // namespace quillet::test
