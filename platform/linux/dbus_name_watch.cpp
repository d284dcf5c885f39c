#include "platform/linux/dbus_name_watch.h"

#include "platform/linux/glib_error.h"

#include <gio/gio.h>

namespace quillet::platform {

bool nameHasOwner(GDBusConnection* bus, const std::string& name, int timeoutMs) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "NameHasOwner", g_variant_new("(s)", name.c_str()), G_VARIANT_TYPE("(b)"),
        G_DBUS_CALL_FLAGS_NONE, timeoutMs, nullptr, nullptr);
    if (reply == nullptr) {
        return false;
    }
    gboolean owned = FALSE;
    g_variant_get(reply, "(b)", &owned);
    g_variant_unref(reply);
    return owned;
}

bool nameIsActivatable(GDBusConnection* bus, const std::string& name) {
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "ListActivatableNames", nullptr, G_VARIANT_TYPE("(as)"), G_DBUS_CALL_FLAGS_NONE, -1,
        nullptr, nullptr);
    if (reply == nullptr) {
        return false;
    }
    bool found = false;
    GVariantIter* names = nullptr;
    const gchar* listed = nullptr;
    g_variant_get(reply, "(as)", &names);
    while (g_variant_iter_next(names, "&s", &listed)) {
        found = found || name == listed;
    }
    g_variant_iter_free(names);
    g_variant_unref(reply);
    return found;
}

Expected<GDBusConnection*> sessionBusServing(const std::string& service, const std::string& action,
                                             const std::string& missing) {
    GError* gerror = nullptr;
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &gerror);
    if (bus == nullptr) {
        return takeGError(action, "", &gerror);
    }
    if (!nameHasOwner(bus, service, -1) && !nameIsActivatable(bus, service)) {
        g_object_unref(bus);
        return Error::withDetail(action, "", missing, std::errc::operation_not_supported);
    }
    return bus;
}

struct DBusNameWatch::Subscription {
    GDBusConnection* bus = nullptr;
    guint id = 0;
};

namespace {

void onNameOwnerChanged(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
                        GVariant* parameters, gpointer data) {
    const gchar* name = nullptr;
    const gchar* oldOwner = nullptr;
    const gchar* newOwner = nullptr;
    g_variant_get(parameters, "(&s&s&s)", &name, &oldOwner, &newOwner);
    auto* callback = static_cast<BusNameWatch::Callback*>(data);
    try {
        (*callback)(name);
    } catch (...) {
        g_warning("a bus-name observer threw an exception");
    }
}

} // namespace

DBusNameWatch::~DBusNameWatch() {
    while (!subscriptions_.empty()) {
        unwatch(subscriptions_.begin()->first);
    }
}

BusNameWatch::Token DBusNameWatch::watchNamespace(const std::string& nameNamespace,
                                                  Callback callback) {
    auto* subscription = new Subscription{};
    subscription->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (subscription->bus != nullptr) {
        // GLib frees the callback after the last dispatch, even one already
        // queued when the subscription ends.
        subscription->id = g_dbus_connection_signal_subscribe(
            subscription->bus, "org.freedesktop.DBus", "org.freedesktop.DBus", "NameOwnerChanged",
            "/org/freedesktop/DBus", nameNamespace.c_str(),
            G_DBUS_SIGNAL_FLAGS_MATCH_ARG0_NAMESPACE, onNameOwnerChanged,
            new Callback(std::move(callback)),
            [](gpointer data) { delete static_cast<Callback*>(data); });
    }
    Token token = nextToken_++;
    subscriptions_[token] = subscription;
    return token;
}

void DBusNameWatch::unwatch(Token token) {
    auto it = subscriptions_.find(token);
    if (it == subscriptions_.end()) {
        return;
    }
    Subscription* subscription = it->second;
    subscriptions_.erase(it);
    if (subscription->bus != nullptr) {
        if (subscription->id != 0) {
            g_dbus_connection_signal_unsubscribe(subscription->bus, subscription->id);
        }
        g_object_unref(subscription->bus);
    }
    delete subscription;
}

} // namespace quillet::platform
