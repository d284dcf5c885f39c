#include "platform/linux/bus_application.h"

#include "platform/linux/glib_error.h"
#include "shared/identifiers.h"

#include <gio/gio.h>

#include <exception>
#include <optional>

namespace quillet::platform {

namespace {

constexpr const char* kInterface = "org.freedesktop.Application";

constexpr const char* kIntrospection = R"(<node>
  <interface name="org.freedesktop.Application">
    <method name="Activate">
      <arg type="a{sv}" name="platform_data" direction="in"/>
    </method>
    <method name="Open">
      <arg type="as" name="uris" direction="in"/>
      <arg type="a{sv}" name="platform_data" direction="in"/>
    </method>
    <method name="ActivateAction">
      <arg type="s" name="action_name" direction="in"/>
      <arg type="av" name="parameter" direction="in"/>
      <arg type="a{sv}" name="platform_data" direction="in"/>
    </method>
  </interface>
</node>)";

// RequestName flag and answers of the bus daemon.
constexpr guint32 kDoNotQueue = 4;
constexpr guint32 kPrimaryOwner = 1;
constexpr guint32 kAlreadyOwner = 4;

} // namespace

struct BusApplication::Impl {
    std::string id;
    std::string objectPath;
    bool handlesOpen = false;
    GDBusConnection* bus = nullptr;
    GDBusNodeInfo* node = nullptr;
    guint registration = 0;
    bool ownsName = false;
    GMainLoop* loop = nullptr;
    OpenHandler handler;
    ActivateHandler activateHandler;
    ActionHandler actionHandler;

    // Runs `work` from the main context once the call has been answered, so
    // that a sender never waits for a modal alert. Nothing may unwind through
    // GLib: that would end the helper in a way none of its quit rules allows.
    // `what` names the work in the warning ("request", "action").
    static void runAfterReply(std::function<void()> work, const char* what) {
        struct Pending {
            std::function<void()> work;
            const char* what;
        };
        g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer data) -> gboolean {
                auto* pending = static_cast<Pending*>(data);
                try {
                    pending->work();
                } catch (const std::exception& e) {
                    g_warning("%s: %s not handled: %s", g_get_prgname(), pending->what, e.what());
                } catch (...) {
                    g_warning("%s: %s not handled", g_get_prgname(), pending->what);
                }
                return G_SOURCE_REMOVE;
            },
            new Pending{std::move(work), what},
            [](gpointer data) { delete static_cast<Pending*>(data); });
    }

    static void queueAction(Impl* self, GVariant* parameters) {
        const gchar* name = nullptr;
        GVariantIter* values = nullptr;
        g_variant_get(parameters, "(&sav@a{sv})", &name, &values, nullptr);
        std::optional<std::int32_t> parameter;
        GVariant* value = nullptr;
        if (g_variant_iter_next(values, "v", &value)) {
            if (g_variant_is_of_type(value, G_VARIANT_TYPE_INT32)) {
                parameter = g_variant_get_int32(value);
            }
            g_variant_unref(value);
        }
        g_variant_iter_free(values);
        runAfterReply(
            [self, action = std::string(name), parameter] {
                if (self->actionHandler) {
                    self->actionHandler(action, parameter);
                }
            },
            "action");
    }

    static void onMethodCall(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                             const gchar* method, GVariant* parameters,
                             GDBusMethodInvocation* invocation, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        if (g_strcmp0(method, "Open") == 0 && !self->handlesOpen) {
            g_dbus_method_invocation_return_dbus_error(invocation,
                                                       "org.freedesktop.DBus.Error.NotSupported",
                                                       "This application does not open URIs");
            return;
        }
        if (g_strcmp0(method, "Activate") == 0) {
            g_idle_add(
                [](gpointer p) -> gboolean {
                    auto* impl = static_cast<Impl*>(p);
                    if (impl->activateHandler) {
                        impl->activateHandler();
                    }
                    return G_SOURCE_REMOVE;
                },
                self);
        } else if (g_strcmp0(method, "Open") == 0) {
            std::vector<std::string> uris;
            GVariantIter* iter = nullptr;
            GVariant* platformData = nullptr;
            const gchar* uri = nullptr;
            g_variant_get(parameters, "(as@a{sv})", &iter, &platformData);
            while (g_variant_iter_next(iter, "&s", &uri)) {
                uris.emplace_back(uri);
            }
            g_variant_iter_free(iter);
            std::string fileManager;
            if (const gchar* named = nullptr;
                g_variant_lookup(platformData, ids::kFileManagerPlatformDataKey, "&s", &named)) {
                fileManager = named;
            }
            g_variant_unref(platformData);
            runAfterReply(
                [self, uris = std::move(uris), fileManager = std::move(fileManager)] {
                    if (self->handler) {
                        self->handler(uris, fileManager);
                    }
                },
                "request");
        } else if (g_strcmp0(method, "ActivateAction") == 0 && self->actionHandler) {
            queueAction(self, parameters);
        }
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }

    // One call to the instance that owns the name; `parameters` builds the
    // arguments afresh for each attempt.
    Status call(const char* method, const std::function<GVariant*()>& parameters) {
        std::optional<Error> failure;
        for (int attempt = 0; attempt < 2; ++attempt) {
            GError* gerror = nullptr;
            GVariant* reply = g_dbus_connection_call_sync(
                bus, id.c_str(), objectPath.c_str(), kInterface, method, parameters(), nullptr,
                G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
            if (reply != nullptr) {
                g_variant_unref(reply);
                return {};
            }
            // The owner may have given the name up between our look and our call.
            const bool again =
                g_error_matches(gerror, G_DBUS_ERROR, G_DBUS_ERROR_NO_REPLY) ||
                g_error_matches(gerror, G_DBUS_ERROR, G_DBUS_ERROR_SERVICE_UNKNOWN) ||
                g_error_matches(gerror, G_DBUS_ERROR, G_DBUS_ERROR_NAME_HAS_NO_OWNER);
            failure = takeGError("hand the request to", id, &gerror);
            if (!again) {
                break;
            }
        }
        return *failure;
    }

    void releaseName() {
        if (!ownsName || bus == nullptr) {
            return;
        }
        ownsName = false;
        // Synchronous on purpose: the bus answers after every message it
        // routed to us under the name, so once this returns those calls are
        // in our queue and nothing more will come.
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "ReleaseName", g_variant_new("(s)", id.c_str()), G_VARIANT_TYPE("(u)"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (reply != nullptr) {
            g_variant_unref(reply);
        }
    }
};

BusApplication::BusApplication(const std::string& id, bool handlesOpen)
    : impl_(std::make_unique<Impl>()) {
    impl_->id = id;
    impl_->handlesOpen = handlesOpen;
    // The path the freedesktop convention derives from the id, as
    // GApplication does: "org.quillet.Quillet" -> "/org/quillet/Quillet".
    impl_->objectPath = "/" + id;
    for (char& c : impl_->objectPath) {
        c = c == '.' ? '/' : c == '-' ? '_' : c;
    }
    impl_->loop = g_main_loop_new(nullptr, FALSE);
}

BusApplication::~BusApplication() {
    if (impl_->bus != nullptr) {
        if (impl_->registration != 0) {
            g_dbus_connection_unregister_object(impl_->bus, impl_->registration);
        }
        g_dbus_connection_flush_sync(impl_->bus, nullptr, nullptr);
        g_object_unref(impl_->bus);
    }
    if (impl_->node != nullptr) {
        g_dbus_node_info_unref(impl_->node);
    }
    g_main_loop_unref(impl_->loop);
}

Expected<BusApplication::Role> BusApplication::registerOnBus() {
    // The GError's message when there is one, else our own words.
    auto failure = [](GError** gerror, std::string action, std::string fallback) {
        if (*gerror != nullptr) {
            return takeGError(std::move(action), "", gerror);
        }
        return Error::withDetail(std::move(action), "", std::move(fallback),
                                 std::errc::not_connected);
    };
    GError* gerror = nullptr;
    impl_->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &gerror);
    if (impl_->bus == nullptr) {
        return failure(&gerror, "connect to the session bus", "no session bus");
    }
    // The object first: calls routed to us the moment we own the name must
    // find it.
    impl_->node = g_dbus_node_info_new_for_xml(kIntrospection, nullptr);
    static const GDBusInterfaceVTable vtable = {&Impl::onMethodCall, nullptr, nullptr, {}};
    impl_->registration = g_dbus_connection_register_object(
        impl_->bus, impl_->objectPath.c_str(),
        g_dbus_node_info_lookup_interface(impl_->node, kInterface), &vtable, impl_.get(), nullptr,
        &gerror);
    if (impl_->registration == 0) {
        return failure(&gerror, "export the application object",
                       "cannot export the application object");
    }
    GVariant* reply = g_dbus_connection_call_sync(
        impl_->bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "RequestName", g_variant_new("(su)", impl_->id.c_str(), kDoNotQueue), G_VARIANT_TYPE("(u)"),
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
    if (reply == nullptr) {
        return failure(&gerror, "own the name " + impl_->id, "cannot own the name " + impl_->id);
    }
    guint32 answer = 0;
    g_variant_get(reply, "(u)", &answer);
    g_variant_unref(reply);
    if (answer == kPrimaryOwner || answer == kAlreadyOwner) {
        impl_->ownsName = true;
        return Role::Primary;
    }
    g_dbus_connection_unregister_object(impl_->bus, impl_->registration);
    impl_->registration = 0;
    return Role::Remote;
}

void BusApplication::setOpenHandler(OpenHandler handler) {
    impl_->handler = std::move(handler);
}

void BusApplication::setActivateHandler(ActivateHandler handler) {
    impl_->activateHandler = std::move(handler);
}

void BusApplication::setActionHandler(ActionHandler handler) {
    impl_->actionHandler = std::move(handler);
}

Status BusApplication::forward(const std::vector<std::string>& uris) {
    return impl_->call(uris.empty() ? "Activate" : "Open", [&uris] {
        GVariantBuilder platformData;
        g_variant_builder_init(&platformData, G_VARIANT_TYPE("a{sv}"));
        if (uris.empty()) {
            return g_variant_new("(a{sv})", &platformData);
        }
        GVariantBuilder list;
        g_variant_builder_init(&list, G_VARIANT_TYPE("as"));
        for (const auto& uri : uris) {
            g_variant_builder_add(&list, "s", uri.c_str());
        }
        return g_variant_new("(asa{sv})", &list, &platformData);
    });
}

Status BusApplication::forwardAction(const std::string& name,
                                     std::optional<std::int32_t> parameter) {
    if (impl_->bus == nullptr) {
        GError* gerror = nullptr;
        impl_->bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, &gerror);
        if (impl_->bus == nullptr) {
            return takeGError("connect to the session bus", "", &gerror);
        }
    }
    return impl_->call("ActivateAction", [&name, parameter] {
        GVariantBuilder values;
        g_variant_builder_init(&values, G_VARIANT_TYPE("av"));
        if (parameter) {
            g_variant_builder_add(&values, "v", g_variant_new_int32(*parameter));
        }
        GVariantBuilder platformData;
        g_variant_builder_init(&platformData, G_VARIANT_TYPE("a{sv}"));
        return g_variant_new("(sava{sv})", name.c_str(), &values, &platformData);
    });
}

void BusApplication::run() {
    g_main_loop_run(impl_->loop);
}

void BusApplication::quit() {
    impl_->releaseName();
    g_main_loop_quit(impl_->loop);
}

void BusApplication::serveReceived() {
    impl_->releaseName();
    // Every call that reached us is now an idle source of the main context,
    // and each Open queues one more for its work: run them all.
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
    if (impl_->bus != nullptr) {
        g_dbus_connection_flush_sync(impl_->bus, nullptr, nullptr);
    }
}

} // namespace quillet::platform
