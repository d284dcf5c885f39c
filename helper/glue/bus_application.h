// The helper on the session bus as a D-Bus-activatable application: it owns
// org.quillet.QuilletHelper and serves org.freedesktop.Application (Open and
// Activate) at /org/quillet/QuilletHelper, through GLib's GApplication.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet::helper {

class BusApplication {
public:
    using OpenHandler = std::function<void(const std::vector<std::string>& uris)>;

    enum class Role {
        Primary,      // we own the name and serve requests
        Remote,       // another instance owns it: forward and leave
        Unregistered, // no bus: serve only what the command line brings
    };

    BusApplication();
    ~BusApplication();
    BusApplication(const BusApplication&) = delete;
    BusApplication& operator=(const BusApplication&) = delete;

    // Takes the name, or finds its owner. `error` says why there is no bus.
    Role registerOnBus(std::string& error);

    // URIs of Open calls; runs on the main context after the call has been
    // answered, so a sender never waits for a dialog.
    void setOpenHandler(OpenHandler handler);

    // Remote role: hands the URIs to the running instance (Open), or just
    // activates it when there are none, and waits until the bus has them.
    void forward(const std::vector<std::string>& uris);

    // Runs GLib's main loop (which runs Qt's events too, once Qt is started)
    // until quit().
    void run();
    void quit();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillet::helper
