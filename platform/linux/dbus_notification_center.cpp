#include "dbus_notification_center.h"

#include "shared/identifiers.h"

#include <gio/gio.h>

namespace quillet::platform {

namespace {

struct Subscription {
    std::string name;
    NotificationCenter::Observer observer;
};

// D-Bus strings must be UTF-8; a name or object that is not is sent repaired
// rather than dropped.
std::string validUtf8(const std::string& text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return text;
    }
    gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
    std::string result(fixed);
    g_free(fixed);
    return result;
}

void onPosted(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
              GVariant* parameters, gpointer userData) {
    auto* subscription = static_cast<Subscription*>(userData);
    if (!g_variant_is_of_type(parameters, G_VARIANT_TYPE("(ss)"))) {
        return;
    }
    const gchar* name = nullptr;
    const gchar* object = nullptr;
    g_variant_get(parameters, "(&s&s)", &name, &object);
    if (subscription->name != name) {
        return;
    }
    try {
        subscription->observer(name, object);
    } catch (...) {
        // An exception must not unwind through the main loop's C frames.
        g_warning("a notification observer threw an exception");
    }
}

void freeSubscription(gpointer userData) {
    delete static_cast<Subscription*>(userData);
}

} // namespace

struct DBusNotificationCenter::Impl {
    GDBusConnection* connection = nullptr;
    std::map<Token, guint> subscriptions;
    Token nextToken = 1;
};

DBusNotificationCenter::DBusNotificationCenter() : impl_(std::make_unique<Impl>()) {
    GError* error = nullptr;
    impl_->connection = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
    if (impl_->connection == nullptr) {
        g_message("no session bus, notifications are off: %s",
                  error != nullptr ? error->message : "unknown error");
        g_clear_error(&error);
    }
}

DBusNotificationCenter::~DBusNotificationCenter() {
    if (impl_->connection != nullptr) {
        for (const auto& [token, id] : impl_->subscriptions) {
            g_dbus_connection_signal_unsubscribe(impl_->connection, id);
        }
        g_object_unref(impl_->connection);
    }
}

bool DBusNotificationCenter::isConnected() const {
    return impl_->connection != nullptr && !g_dbus_connection_is_closed(impl_->connection);
}

void DBusNotificationCenter::post(const std::string& name, const std::string& object) {
    if (!isConnected()) {
        return;
    }
    GError* error = nullptr;
    std::string n = validUtf8(name);
    std::string o = validUtf8(object);
    if (!g_dbus_connection_emit_signal(impl_->connection, nullptr, ids::kNotificationsPath,
                                       ids::kNotificationsInterface, ids::kNotificationsSignal,
                                       g_variant_new("(ss)", n.c_str(), o.c_str()), &error)) {
        g_message("cannot post notification %s: %s", n.c_str(), error->message);
        g_clear_error(&error);
        return;
    }
    // A program often posts and then quits (the quit notification, a tool):
    // the signal must have left the process by the time post returns.
    g_dbus_connection_flush_sync(impl_->connection, nullptr, nullptr);
}

NotificationCenter::Token DBusNotificationCenter::addObserver(const std::string& name,
                                                              Observer observer) {
    Token token = impl_->nextToken++;
    if (!isConnected() || !observer) {
        return token;
    }
    auto* subscription = new Subscription{name, std::move(observer)};
    std::string arg0 = validUtf8(name);
    // GDBus calls back in the thread-default context of the subscribing
    // thread; observers are promised the main context whichever thread asks.
    g_main_context_push_thread_default(g_main_context_default());
    guint id = g_dbus_connection_signal_subscribe(
        impl_->connection, nullptr, ids::kNotificationsInterface, ids::kNotificationsSignal,
        ids::kNotificationsPath, arg0.c_str(), G_DBUS_SIGNAL_FLAGS_NONE, onPosted, subscription,
        freeSubscription);
    g_main_context_pop_thread_default(g_main_context_default());
    impl_->subscriptions[token] = id;
    return token;
}

void DBusNotificationCenter::removeObserver(Token token) {
    auto it = impl_->subscriptions.find(token);
    if (it == impl_->subscriptions.end()) {
        return;
    }
    g_dbus_connection_signal_unsubscribe(impl_->connection, it->second);
    impl_->subscriptions.erase(it);
}

} // namespace quillet::platform
