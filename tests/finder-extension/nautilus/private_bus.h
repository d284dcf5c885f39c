// A session bus of the test's own, whose service folder the test chooses, so
// that bus activation starts programs from the build tree.
#pragma once

#include <gio/gio.h>

#include <functional>
#include <string>
#include <sys/types.h>

namespace quillet::test {

class PrivateSessionBus {
public:
    // Starts dbus-daemon and points DBUS_SESSION_BUS_ADDRESS at it. The
    // daemon (and what it activates) gets this process's environment.
    PrivateSessionBus(const std::string& workDir, const std::string& serviceDir);
    // Stops the daemon.
    ~PrivateSessionBus();

    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    bool running() const { return pid_ > 0 && !address_.empty(); }
    const std::string& address() const { return address_; }
    // A connection of its own, as another program would have.
    GDBusConnection* newConnection() const;

    // Asks the bus; false when it cannot tell.
    bool nameHasOwner(const std::string& name) const;
    // Makes the bus read its service folder again.
    bool reloadConfig() const;
    // Sends SIGTERM to the process owning the name, if any.
    void stopOwnerOf(const std::string& name) const;

private:
    pid_t pid_ = -1;
    std::string address_;
    GDBusConnection* control_ = nullptr;
};

// Runs the default main context until the condition holds or the time is up.
bool spinUntil(const std::function<bool()>& condition, int timeoutMs);

} // namespace quillet::test
