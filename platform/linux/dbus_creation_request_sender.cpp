#include "dbus_creation_request_sender.h"

#include "shared/identifiers.h"

#include <gio/gio.h>

#include <deque>
#include <optional>
#include <string>
#include <utility>

namespace quillet::platform {

namespace {

constexpr const char* kApplicationInterface = "org.freedesktop.Application";

// Errors after which the helper cannot have taken the request: it answers
// Open before doing anything, so no answer means it never got that far.
bool wasNotTaken(const GError* error) {
    static constexpr GDBusError kNotTaken[] = {
        G_DBUS_ERROR_NO_REPLY,
        G_DBUS_ERROR_SERVICE_UNKNOWN,
        G_DBUS_ERROR_NAME_HAS_NO_OWNER,
        G_DBUS_ERROR_UNKNOWN_METHOD,
        G_DBUS_ERROR_UNKNOWN_OBJECT,
        G_DBUS_ERROR_UNKNOWN_INTERFACE,
        G_DBUS_ERROR_SPAWN_EXEC_FAILED,
        G_DBUS_ERROR_SPAWN_FORK_FAILED,
        G_DBUS_ERROR_SPAWN_FAILED,
        G_DBUS_ERROR_SPAWN_SETUP_FAILED,
        G_DBUS_ERROR_SPAWN_CHILD_EXITED,
        G_DBUS_ERROR_SPAWN_CHILD_SIGNALED,
        G_DBUS_ERROR_SPAWN_CONFIG_INVALID,
        G_DBUS_ERROR_SPAWN_SERVICE_INVALID,
        G_DBUS_ERROR_SPAWN_SERVICE_NOT_FOUND,
        G_DBUS_ERROR_SPAWN_PERMISSIONS_INVALID,
        G_DBUS_ERROR_SPAWN_FILE_INVALID,
        G_DBUS_ERROR_SPAWN_NO_MEMORY,
    };
    for (GDBusError code : kNotTaken) {
        if (g_error_matches(error, G_DBUS_ERROR, code)) {
            return true;
        }
    }
    return false;
}

} // namespace

// One call to the helper: Open with a creation request URL, or the
// "shortcut" action with a template's index.
struct DBusCreationRequestSender::Request {
    std::string url;                      // Open; also what logs and the user are told
    std::optional<std::int64_t> shortcut; // ActivateAction("shortcut", [index]) instead

    // `fileManager`: the sender's file manager, which the helper shows the
    // new item in; senders outside a file manager leave it out.
    GVariant* parameters(const std::string& fileManager) const {
        GVariantBuilder platformData;
        g_variant_builder_init(&platformData, G_VARIANT_TYPE("a{sv}"));
        if (!fileManager.empty()) {
            g_variant_builder_add(&platformData, "{sv}", ids::kFileManagerPlatformDataKey,
                                  g_variant_new_string(fileManager.c_str()));
        }
        if (shortcut) {
            GVariantBuilder index;
            g_variant_builder_init(&index, G_VARIANT_TYPE("av"));
            g_variant_builder_add(&index, "v", g_variant_new_int32(static_cast<gint32>(*shortcut)));
            return g_variant_new("(sava{sv})", "shortcut", &index, &platformData);
        }
        GVariantBuilder uris;
        g_variant_builder_init(&uris, G_VARIANT_TYPE("as"));
        g_variant_builder_add(&uris, "s", url.c_str());
        return g_variant_new("(asa{sv})", &uris, &platformData);
    }
};

// Shared by the sender and every call in flight: a call may outlive the sender.
struct DBusCreationRequestSender::State {
    std::string busName;
    std::string objectPath;
    Translator translate;
    std::string fileManager;
    GDBusConnection* bus = nullptr;
    bool connecting = false;
    // Sent before the connection was there, with what to run once settled.
    std::deque<std::pair<Request, std::function<void()>>> waiting;

    ~State() {
        if (bus != nullptr) {
            g_object_unref(bus);
        }
    }

    std::string text(const char* english) const { return translate ? translate(english) : english; }
};

namespace {

using State = DBusCreationRequestSender::State;
using Request = DBusCreationRequestSender::Request;

// Runs its task once, when the last owner lets go: a call ends (answered,
// given up or reported) when it is destroyed, not when it is moved.
class OnSettled {
public:
    OnSettled(std::function<void()> task = nullptr) : task_(std::move(task)) {}
    OnSettled(OnSettled&& other) noexcept : task_(std::exchange(other.task_, nullptr)) {}
    OnSettled& operator=(OnSettled&&) = delete;
    ~OnSettled() {
        if (task_) {
            task_();
        }
    }

private:
    std::function<void()> task_;
};

struct Call {
    std::shared_ptr<State> state;
    Request request;
    int attempt = 0;
    OnSettled settled;
};

void notifyUndelivered(const std::shared_ptr<State>& state, const std::string& url,
                       const std::string& reason) {
    g_warning("creation request %s not delivered: %s", url.c_str(), reason.c_str());
    if (state->bus == nullptr) {
        return; // no bus, no notification server either: the warning is all
    }
    const std::string body =
        state->text("Quillet's helper could not be reached, so no file was created.") + "\n" +
        reason;
    GVariantBuilder hints;
    g_variant_builder_init(&hints, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&hints, "{sv}", "urgency", g_variant_new_byte(2));
    g_dbus_connection_call(
        state->bus, "org.freedesktop.Notifications", "/org/freedesktop/Notifications",
        "org.freedesktop.Notifications", "Notify",
        g_variant_new("(susssasa{sv}i)", "Quillet", 0u, "dialog-error",
                      state->text("Unable to create file!").c_str(), body.c_str(), nullptr, &hints,
                      -1),
        G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
        [](GObject* source, GAsyncResult* result, gpointer) {
            GError* error = nullptr;
            if (GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error)) {
                g_variant_unref(reply);
            } else {
                g_warning("no desktop notification: %s", error->message);
                g_error_free(error);
            }
        },
        nullptr);
}

void callOpen(std::unique_ptr<Call> call);

void onOpenReturned(GObject* source, GAsyncResult* result, gpointer data) {
    std::unique_ptr<Call> call(static_cast<Call*>(data));
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (reply != nullptr) {
        g_variant_unref(reply);
        return;
    }
    const std::string reason = error->message;
    const bool notTaken = wasNotTaken(error);
    g_error_free(error);
    if (notTaken && call->attempt == 0) {
        ++call->attempt;
        callOpen(std::move(call));
    } else if (notTaken) {
        notifyUndelivered(call->state, call->request.url, reason);
    } else {
        // A time-out or the like: the helper may be working on it, and a
        // second call could make a second file.
        g_warning("creation request %s: %s", call->request.url.c_str(), reason.c_str());
    }
}

void callOpen(std::unique_ptr<Call> call) {
    const State& state = *call->state;
    // Both before the call takes ownership (arguments have no order).
    const char* method = call->request.shortcut ? "ActivateAction" : "Open";
    GVariant* parameters = call->request.parameters(state.fileManager);
    // The call may start the helper: the bus activates it from its service file.
    g_dbus_connection_call(state.bus, state.busName.c_str(), state.objectPath.c_str(),
                           kApplicationInterface, method, parameters, nullptr,
                           G_DBUS_CALL_FLAGS_NONE, -1, nullptr, onOpenReturned, call.release());
}

void onBus(GObject*, GAsyncResult* result, gpointer data) {
    std::unique_ptr<std::shared_ptr<State>> held(static_cast<std::shared_ptr<State>*>(data));
    const std::shared_ptr<State>& state = *held;
    state->connecting = false;
    GError* error = nullptr;
    state->bus = g_bus_get_finish(result, &error);
    std::deque<std::pair<Request, std::function<void()>>> waiting;
    waiting.swap(state->waiting);
    if (state->bus == nullptr) {
        for (const auto& [request, settled] : waiting) {
            notifyUndelivered(state, request.url, error->message);
            if (settled) {
                settled();
            }
        }
        g_error_free(error);
        return;
    }
    for (auto& [request, settled] : waiting) {
        callOpen(std::make_unique<Call>(Call{state, std::move(request), 0, std::move(settled)}));
    }
}

} // namespace

DBusCreationRequestSender::DBusCreationRequestSender(Translator translate, std::string fileManager)
    : DBusCreationRequestSender(ids::kHelper, ids::kHelperObjectPath, std::move(translate),
                                std::move(fileManager)) {}

DBusCreationRequestSender::DBusCreationRequestSender(std::string busName, std::string objectPath,
                                                     Translator translate, std::string fileManager)
    : state_(std::make_shared<State>()) {
    state_->busName = std::move(busName);
    state_->objectPath = std::move(objectPath);
    state_->translate = std::move(translate);
    state_->fileManager = std::move(fileManager);
}

DBusCreationRequestSender::~DBusCreationRequestSender() = default;

void DBusCreationRequestSender::send(const std::string& url) {
    send(url, nullptr);
}

void DBusCreationRequestSender::send(const std::string& url, std::function<void()> settled) {
    sendRequest(Request{url, std::nullopt}, std::move(settled));
}

void DBusCreationRequestSender::activateShortcut(std::int64_t index) {
    sendRequest(Request{"shortcut " + std::to_string(index), index}, nullptr);
}

void DBusCreationRequestSender::sendRequest(Request request, std::function<void()> settled) {
    if (state_->bus != nullptr) {
        callOpen(std::make_unique<Call>(Call{state_, std::move(request), 0, std::move(settled)}));
        return;
    }
    // Until the connection is there requests wait in order, so that two
    // choices made in a row reach the helper in that order.
    state_->waiting.emplace_back(std::move(request), std::move(settled));
    if (!state_->connecting) {
        state_->connecting = true;
        g_bus_get(G_BUS_TYPE_SESSION, nullptr, onBus, new std::shared_ptr<State>(state_));
    }
}

} // namespace quillet::platform
