// A program of the suite on the session bus as a single-instance,
// D-Bus-activatable application: it owns its id as a well-known name and
// serves org.freedesktop.Application (Open, Activate, ActivateAction) at the
// object path derived from the id. A second start finds the owner and hands
// it its URIs, or just activates it.
//
// The interface is served here on GDBus rather than through GApplication, so
// that the program sees the URI strings exactly as they were sent
// (GApplication turns them into files first, which rewrites them), and so
// that the name can be given up before the end: a request sent after that
// starts a new instance, and every request that reached this one is served.
#pragma once

#include "shared/error.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::platform {

class BusApplication {
public:
    // `fileManager`: the file manager the request comes from, as its
    // platform data names it (ids::kFileManagerPlatformDataKey); "" when the
    // sender did not say.
    using OpenHandler =
        std::function<void(const std::vector<std::string>& uris, const std::string& fileManager)>;
    using ActivateHandler = std::function<void()>;
    // An action's name and its parameter, when it has one of type int32.
    using ActionHandler =
        std::function<void(const std::string& name, std::optional<std::int32_t> parameter)>;

    enum class Role {
        Primary, // we own the name and serve requests
        Remote,  // another instance owns it: forward and leave
    };

    // `id` is the bus name; `handlesOpen`: the program takes URIs (Open).
    BusApplication(const std::string& id, bool handlesOpen);
    ~BusApplication();
    BusApplication(const BusApplication&) = delete;
    BusApplication& operator=(const BusApplication&) = delete;

    // Takes the name, or finds its owner. An error when there is no bus (the
    // program then serves only what its command line brings); its reason
    // says why.
    [[nodiscard]] Expected<Role> registerOnBus();

    // URIs of Open calls, as sent; runs on the main context after the call
    // has been answered, so a sender never waits for a dialog.
    void setOpenHandler(OpenHandler handler);
    // Activate calls (a second start without URIs); runs on the main context.
    void setActivateHandler(ActivateHandler handler);
    // ActivateAction calls; runs on the main context after the call has
    // been answered.
    void setActionHandler(ActionHandler handler);

    // Remote role: hands the URIs as they are to the running instance (Open),
    // or just activates it when there are none. A call that finds the name
    // gone (its owner was quitting) is sent once more, which starts a new
    // instance. An error when the request was not delivered.
    [[nodiscard]] Status forward(const std::vector<std::string>& uris);
    // Remote role, or no role yet: activates the action, with its int32
    // parameter when it takes one, on the instance; the bus starts one when
    // none runs. An error when the call was not delivered.
    [[nodiscard]] Status forwardAction(const std::string& name,
                                       std::optional<std::int32_t> parameter = std::nullopt);

    // Runs GLib's main loop (which runs Qt's events too, once Qt is started)
    // until quit(). A program that runs Qt's own loop need not call it: Qt's
    // loop dispatches GLib's default context, and with it the bus.
    void run();
    // Gives up the bus name at once, then ends run(). Safe to call from
    // inside a nested loop.
    void quit();
    // After run(): serves every request that reached this process before the
    // name was given up.
    void serveReceived();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillet::platform
