#include "platform/linux/bus_application.h"

#include <gio/gio.h>

#include <exception>

namespace quillet::platform {

struct BusApplication::Impl {
    GApplication* app = nullptr;
    GMainLoop* loop = nullptr;
    OpenHandler handler;
    ActivateHandler activateHandler;

    static void onOpen(GApplication*, GFile** files, gint count, gchar*, gpointer data) {
        auto* self = static_cast<Impl*>(data);
        auto* uris = new std::vector<std::string>();
        for (gint i = 0; i < count; ++i) {
            gchar* uri = g_file_get_uri(files[i]);
            if (uri != nullptr) {
                uris->emplace_back(uri);
                g_free(uri);
            }
        }
        // Answer the call first; the work may show a modal alert.
        struct Pending {
            Impl* self;
            std::vector<std::string>* uris;
        };
        g_idle_add_full(
            G_PRIORITY_DEFAULT,
            [](gpointer p) -> gboolean {
                auto* pending = static_cast<Pending*>(p);
                // Nothing may unwind through GLib: that would end the
                // program in a way none of its own rules allows.
                try {
                    if (pending->self->handler) {
                        pending->self->handler(*pending->uris);
                    }
                } catch (const std::exception& e) {
                    g_warning("%s: request not handled: %s", g_get_prgname(), e.what());
                } catch (...) {
                    g_warning("%s: request not handled", g_get_prgname());
                }
                return G_SOURCE_REMOVE;
            },
            new Pending{self, uris},
            [](gpointer p) {
                auto* pending = static_cast<Pending*>(p);
                delete pending->uris;
                delete pending;
            });
    }

    static void onActivate(GApplication*, gpointer data) {
        // A start without a request: the program decides what that means.
        auto* self = static_cast<Impl*>(data);
        if (self->activateHandler) {
            self->activateHandler();
        }
    }
};

BusApplication::BusApplication(const std::string& id, bool handlesOpen)
    : impl_(std::make_unique<Impl>()) {
    impl_->app = g_application_new(id.c_str(), handlesOpen ? G_APPLICATION_HANDLES_OPEN
                                                           : G_APPLICATION_DEFAULT_FLAGS);
    g_signal_connect(impl_->app, "open", G_CALLBACK(&Impl::onOpen), impl_.get());
    g_signal_connect(impl_->app, "activate", G_CALLBACK(&Impl::onActivate), impl_.get());
    impl_->loop = g_main_loop_new(nullptr, FALSE);
}

BusApplication::~BusApplication() {
    g_main_loop_unref(impl_->loop);
    g_object_unref(impl_->app);
}

BusApplication::Role BusApplication::registerOnBus(std::string& error) {
    GError* gerror = nullptr;
    if (!g_application_register(impl_->app, nullptr, &gerror)) {
        error = gerror != nullptr ? gerror->message : "unknown error";
        g_clear_error(&gerror);
        return Role::Unregistered;
    }
    if (g_application_get_dbus_connection(impl_->app) == nullptr) {
        error = "no session bus";
        return Role::Unregistered;
    }
    return g_application_get_is_remote(impl_->app) ? Role::Remote : Role::Primary;
}

void BusApplication::setOpenHandler(OpenHandler handler) {
    impl_->handler = std::move(handler);
}

void BusApplication::setActivateHandler(ActivateHandler handler) {
    impl_->activateHandler = std::move(handler);
}

void BusApplication::forward(const std::vector<std::string>& uris) {
    if (uris.empty()) {
        g_application_activate(impl_->app);
    } else {
        std::vector<GFile*> files;
        for (const auto& uri : uris) {
            files.push_back(g_file_new_for_commandline_arg(uri.c_str()));
        }
        g_application_open(impl_->app, files.data(), static_cast<gint>(files.size()), "");
        for (GFile* file : files) {
            g_object_unref(file);
        }
    }
    if (GDBusConnection* bus = g_application_get_dbus_connection(impl_->app)) {
        g_dbus_connection_flush_sync(bus, nullptr, nullptr);
    }
}

void BusApplication::run() {
    g_main_loop_run(impl_->loop);
}

void BusApplication::quit() {
    g_main_loop_quit(impl_->loop);
}

} // namespace quillet::platform
