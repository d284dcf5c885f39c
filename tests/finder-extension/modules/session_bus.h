// The test's own session bus (see tests/support/private_bus.h), with the
// bus calls the module's tests make through GDBus.
#pragma once

#include "tests/support/private_bus.h"

#include <gio/gio.h>

#include <string>

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

    bool running() const { return daemon_.running(); }
    const std::string& address() const { return daemon_.address(); }
    // A connection of its own, as another program would have.
    GDBusConnection* newConnection() const;

    // Asks the bus; false when it cannot tell.
    bool nameHasOwner(const std::string& name) const;
    // Makes the bus read its service folder again.
    bool reloadConfig() const;
    // Sends SIGTERM to the process owning the name, if any.
    void stopOwnerOf(const std::string& name) const;

private:
    PrivateBusDaemon daemon_;
    GDBusConnection* control_ = nullptr;
};

} // namespace quillet::test
