// Owners of well-known names coming and going, from the bus's own
// NameOwnerChanged signal, matched by namespace on the bus side. Callbacks
// run on GLib's default main context. Without a bus nothing is ever reported.
#pragma once

#include "shared/error.h"
#include "shared/ports/bus_name_watch.h"

#include <map>
#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace quillet::platform {

// Whether the name has an owner now; false too when the bus does not answer
// within timeoutMs.
bool nameHasOwner(GDBusConnection* bus, const std::string& name, int timeoutMs);
// Whether the bus can start a program for the name when nobody owns it yet
// (it has a service file); false too when the bus does not answer.
bool nameIsActivatable(GDBusConnection* bus, const std::string& name);
// The session bus (a reference of the caller's), when `service` runs on it or
// the bus can start it; otherwise an error of `action` whose reason is
// `missing`.
[[nodiscard]] Expected<GDBusConnection*> sessionBusServing(const std::string& service,
                                                           const std::string& action,
                                                           const std::string& missing);

class DBusNameWatch final : public BusNameWatch {
public:
    DBusNameWatch() = default;
    ~DBusNameWatch() override;
    DBusNameWatch(const DBusNameWatch&) = delete;
    DBusNameWatch& operator=(const DBusNameWatch&) = delete;

    Token watchNamespace(const std::string& nameNamespace, Callback callback) override;
    void unwatch(Token token) override;

private:
    struct Subscription;
    std::map<Token, Subscription*> subscriptions_;
    Token nextToken_ = 1;
};

} // namespace quillet::platform
