#include "platform/linux/portal_hot_key_center.h"

#include "shared/shortcut.h"
#include "shared/while_alive.h"

#include <gio/gio.h>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace quillet::platform {

namespace {

constexpr const char* kPortalName = "org.freedesktop.portal.Desktop";
constexpr const char* kPortalPath = "/org/freedesktop/portal/desktop";
constexpr const char* kInterface = "org.freedesktop.portal.GlobalShortcuts";
constexpr const char* kRequestInterface = "org.freedesktop.portal.Request";
constexpr int kCallTimeoutMs = 5000;

// The path the portal gives the request of a call made with this token.
std::string requestPath(GDBusConnection* bus, const std::string& token) {
    std::string sender = g_dbus_connection_get_unique_name(bus) + 1; // without ':'
    std::replace(sender.begin(), sender.end(), '.', '_');
    return std::string(kPortalPath) + "/request/" + sender + "/" + token;
}

} // namespace

struct PortalHotKeyCenter::Impl : std::enable_shared_from_this<Impl> {
    MainQueue& mainQueue;
    std::string appId;
    GDBusConnection* bus = nullptr;
    std::vector<std::shared_ptr<HotKey>> hotKeys;
    std::string sessionHandle;
    guint activatedSubscription = 0;
    guint responseSubscription = 0;
    unsigned tokenCounter = 0;
    bool rebindPending = false;

    Impl(MainQueue& queue, std::string id) : mainQueue(queue), appId(std::move(id)) {}

    ~Impl() {
        if (bus == nullptr) {
            return;
        }
        closeSession();
        if (activatedSubscription != 0) {
            g_dbus_connection_signal_unsubscribe(bus, activatedSubscription);
        }
        if (responseSubscription != 0) {
            g_dbus_connection_signal_unsubscribe(bus, responseSubscription);
        }
        g_object_unref(bus);
    }

    bool connect() {
        GError* error = nullptr;
        bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &error);
        if (bus == nullptr) {
            std::fprintf(stderr, "quillet: no session bus for shortcuts: %s\n", error->message);
            g_error_free(error);
            return false;
        }
        // Programs outside a sandbox name themselves to the portal (where the
        // portal knows how); an older portal simply lacks the call.
        g_dbus_connection_call(bus, kPortalName, kPortalPath,
                               "org.freedesktop.host.portal.Registry", "Register",
                               g_variant_new("(sa{sv})", appId.c_str(), nullptr), nullptr,
                               G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr, nullptr);
        activatedSubscription = g_dbus_connection_signal_subscribe(
            bus, kPortalName, kInterface, "Activated", kPortalPath, nullptr,
            G_DBUS_SIGNAL_FLAGS_NONE, &Impl::onActivated, this, nullptr);
        return true;
    }

    static void onActivated(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                            const gchar*, GVariant* parameters, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        const gchar* session = nullptr;
        const gchar* id = nullptr;
        g_variant_get(parameters, "(&o&sta{sv})", &session, &id, nullptr, nullptr);
        if (session == nullptr || id == nullptr || self->sessionHandle != session) {
            return;
        }
        for (const auto& hotKey : self->hotKeys) {
            if (hotKey->identifier == id) {
                std::shared_ptr<HotKey> key = hotKey;
                self->mainQueue.post([key] {
                    if (key->action) {
                        key->action(*key);
                    }
                });
                return;
            }
        }
    }

    std::string nextToken() { return "quillet" + std::to_string(++tokenCounter); }

    void closeSession() {
        if (sessionHandle.empty()) {
            return;
        }
        g_dbus_connection_call(bus, kPortalName, sessionHandle.c_str(),
                               "org.freedesktop.portal.Session", "Close", nullptr, nullptr,
                               G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr, nullptr, nullptr);
        sessionHandle.clear();
    }

    // Calls a portal method that answers through a Request object, and runs
    // `then` with the Response's results (only for response 0, success).
    void callWithResponse(const char* method, GVariant* parameters, const std::string& token,
                          void (*then)(Impl&, GVariant* results)) {
        if (responseSubscription != 0) {
            g_dbus_connection_signal_unsubscribe(bus, responseSubscription);
        }
        using Pending = std::function<bool(guint32 code, GVariant * results)>;
        auto* pending = new Pending(
            whileAlive(weak_from_this(), [then](Impl& impl, guint32 code, GVariant* results) {
                if (code == 0) {
                    then(impl, results);
                } else {
                    std::fprintf(stderr, "quillet: the desktop refused the shortcuts (%u)\n", code);
                }
            }));
        // Subscribed before the call, so that a quick answer is not missed.
        responseSubscription = g_dbus_connection_signal_subscribe(
            bus, kPortalName, kRequestInterface, "Response", requestPath(bus, token).c_str(),
            nullptr, G_DBUS_SIGNAL_FLAGS_NONE,
            [](GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar*,
               GVariant* response, gpointer data) {
                guint32 code = 2;
                GVariant* results = nullptr;
                g_variant_get(response, "(u@a{sv})", &code, &results);
                (*static_cast<Pending*>(data))(code, results);
                if (results != nullptr) {
                    g_variant_unref(results);
                }
            },
            pending, [](gpointer data) { delete static_cast<Pending*>(data); });
        g_dbus_connection_call(
            bus, kPortalName, kPortalPath, kInterface, method, parameters, nullptr,
            G_DBUS_CALL_FLAGS_NONE, kCallTimeoutMs, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer) {
                GError* error = nullptr;
                GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
                if (reply == nullptr) {
                    std::fprintf(stderr, "quillet: shortcuts portal: %s\n", error->message);
                    g_error_free(error);
                    return;
                }
                g_variant_unref(reply);
            },
            nullptr);
    }

    void scheduleRebind() {
        if (rebindPending) {
            return;
        }
        rebindPending = true;
        // One rebinding for a whole run of registrations.
        mainQueue.post(whileAlive(weak_from_this(), [](Impl& self) {
            self.rebindPending = false;
            self.rebind();
        }));
    }

    void rebind() {
        closeSession();
        if (hotKeys.empty()) {
            return;
        }
        const std::string token = nextToken();
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token",
                              g_variant_new_string(token.c_str()));
        g_variant_builder_add(&options, "{sv}", "session_handle_token",
                              g_variant_new_string(nextToken().c_str()));
        callWithResponse("CreateSession", g_variant_new("(a{sv})", &options), token,
                         [](Impl& self, GVariant* results) {
                             const gchar* handle = nullptr;
                             if (g_variant_lookup(results, "session_handle", "&s", &handle) ||
                                 g_variant_lookup(results, "session_handle", "&o", &handle)) {
                                 self.sessionHandle = handle;
                                 self.bindAll();
                             }
                         });
    }

    void bindAll() {
        GVariantBuilder shortcuts;
        g_variant_builder_init(&shortcuts, G_VARIANT_TYPE("a(sa{sv})"));
        for (const auto& hotKey : hotKeys) {
            GVariantBuilder properties;
            g_variant_builder_init(&properties, G_VARIANT_TYPE_VARDICT);
            auto shortcut = Shortcut::fromDictionary(hotKey->keyCombo);
            std::string description = "Quillet: new file (" +
                                      (shortcut ? shortcutText(*shortcut) : hotKey->identifier) +
                                      ")";
            g_variant_builder_add(&properties, "{sv}", "description",
                                  g_variant_new_string(description.c_str()));
            if (shortcut) {
                g_variant_builder_add(&properties, "{sv}", "preferred_trigger",
                                      g_variant_new_string(portalTrigger(*shortcut).c_str()));
            }
            g_variant_builder_add(&shortcuts, "(sa{sv})", hotKey->identifier.c_str(), &properties);
        }
        const std::string token = nextToken();
        GVariantBuilder options;
        g_variant_builder_init(&options, G_VARIANT_TYPE_VARDICT);
        g_variant_builder_add(&options, "{sv}", "handle_token",
                              g_variant_new_string(token.c_str()));
        callWithResponse(
            "BindShortcuts",
            g_variant_new("(oa(sa{sv})sa{sv})", sessionHandle.c_str(), &shortcuts, "", &options),
            token, [](Impl&, GVariant*) {});
    }
};

bool PortalHotKeyCenter::isOffered() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    if (bus == nullptr) {
        return false;
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, kPortalName, kPortalPath, "org.freedesktop.DBus.Properties", "Get",
        g_variant_new("(ss)", kInterface, "version"), G_VARIANT_TYPE("(v)"), G_DBUS_CALL_FLAGS_NONE,
        2000, nullptr, nullptr);
    g_object_unref(bus);
    if (reply == nullptr) {
        return false;
    }
    g_variant_unref(reply);
    return true;
}

PortalHotKeyCenter::PortalHotKeyCenter(MainQueue& mainQueue, std::string appId)
    : impl_(std::make_shared<Impl>(mainQueue, std::move(appId))) {
    impl_->connect();
}

PortalHotKeyCenter::~PortalHotKeyCenter() = default;

Status PortalHotKeyCenter::registerHotKey(std::shared_ptr<HotKey> hotKey) {
    constexpr const char* kAction = "register the shortcut";
    if (!hotKey) {
        return Error(kAction, "", std::make_error_code(std::errc::invalid_argument));
    }
    if (impl_->bus == nullptr) {
        return Error::withDetail(kAction, hotKey->identifier, "no session bus",
                                 std::errc::not_connected);
    }
    impl_->hotKeys.push_back(std::move(hotKey));
    impl_->scheduleRebind();
    return {};
}

void PortalHotKeyCenter::unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) {
    auto before = impl_->hotKeys.size();
    std::erase(impl_->hotKeys, hotKey);
    if (impl_->hotKeys.size() != before) {
        impl_->scheduleRebind();
    }
}

std::vector<std::shared_ptr<HotKey>> PortalHotKeyCenter::allHotKeys() const {
    return impl_->hotKeys;
}

} // namespace quillet::platform
