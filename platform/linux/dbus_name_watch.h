// Owners of well-known names coming and going, from the bus's own
// NameOwnerChanged signal, matched by namespace on the bus side. Callbacks
// run on GLib's default main context. Without a bus nothing is ever reported.
#pragma once

#include "shared/ports/bus_name_watch.h"

#include <map>
#include <string>

typedef struct _GDBusConnection GDBusConnection;

namespace quillet::platform {

// Whether the name has an owner now; false too when the bus does not answer
// within timeoutMs.
bool nameHasOwner(GDBusConnection* bus, const std::string& name, int timeoutMs);

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
