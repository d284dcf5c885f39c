#include "platform/linux/kglobalaccel_shortcut_registry.h"

#include "platform/linux/dbus_name_watch.h"
#include "platform/linux/glib_error.h"
#include "shared/identifiers.h"
#include "shared/text_mark.h"
#include "shared/xdg_paths.h"

#include <gio/gio.h>

#include <charconv>
#include <filesystem>
#include <string_view>

namespace quillet::platform {

namespace {

constexpr const char* kService = "org.kde.kglobalaccel";
constexpr const char* kPath = "/kglobalaccel";
constexpr const char* kInterface = "org.kde.KGlobalAccel";
constexpr const char* kComponentInterface = "org.kde.kglobalaccel.Component";
// The name shown in System Settings, a product name: not translated.
constexpr const char* kComponentName = "Quillet";
// The action every desktop-file component has, which starts the program
// itself; not one of our entries.
constexpr std::string_view kLaunchAction = "_launch";
// setShortcut's flags: the action is present, and the keys given are the
// ones to keep (not those KGlobalAccel remembers from an earlier session).
constexpr guint32 kSetPresent = 2;
constexpr guint32 kNoAutoloading = 4;

constexpr const char* kReadAction = "read KDE's global shortcuts";
constexpr const char* kWriteAction = "write KDE's global shortcuts";

const std::string& componentId() {
    static const std::string id = std::string(ids::kHelper) + ".desktop";
    return id;
}

// KGlobalAccel's action id: component, action, and their shown names.
GVariant* actionId(const RegistryEntry& entry) {
    const char* parts[] = {componentId().c_str(), entry.id.c_str(), kComponentName,
                           entry.name.c_str()};
    return g_variant_new_strv(parts, 4);
}

Status writeDesktopFile() {
    const std::string path = KGlobalAccelShortcutRegistry::desktopFilePath();
    std::error_code error;
    std::filesystem::create_directories(paths::deletingLastPathComponent(path), error);
    if (error) {
        return Error("create folder", paths::deletingLastPathComponent(path), error);
    }
    GKeyFile* file = g_key_file_new();
    constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;
    g_key_file_set_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE, "Application");
    g_key_file_set_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, kComponentName);
    g_key_file_set_string(file, kGroup, G_KEY_FILE_DESKTOP_KEY_ICON, ids::kMainApp);
    // A press becomes ActivateAction on the bus name this file is named for.
    g_key_file_set_boolean(file, kGroup, G_KEY_FILE_DESKTOP_KEY_DBUS_ACTIVATABLE, TRUE);
    GError* gerror = nullptr;
    const gboolean saved = g_key_file_save_to_file(file, path.c_str(), &gerror);
    g_key_file_unref(file);
    if (!saved) {
        return takeGError("write file", path, &gerror);
    }
    return {};
}

} // namespace

std::string KGlobalAccelShortcutRegistry::desktopFilePath() {
    return paths::dataHome() + "/kglobalaccel/" + componentId();
}

Expected<std::unique_ptr<ShortcutRegistry>> KGlobalAccelShortcutRegistry::open() {
    auto bus = sessionBusServing(
        kService, "open KDE's global shortcuts",
        N_("KDE's global shortcuts are not available (kglobalaccel is not installed)."));
    if (!bus) {
        return bus.error();
    }
    return std::unique_ptr<ShortcutRegistry>(new KGlobalAccelShortcutRegistry(*bus));
}

KGlobalAccelShortcutRegistry::~KGlobalAccelShortcutRegistry() {
    g_object_unref(bus_);
}

Expected<std::vector<RegistryEntry>> KGlobalAccelShortcutRegistry::entries() {
    GError* gerror = nullptr;
    GVariant* found = g_dbus_connection_call_sync(bus_, kService, kPath, kInterface, "getComponent",
                                                  g_variant_new("(s)", componentId().c_str()),
                                                  G_VARIANT_TYPE("(o)"), G_DBUS_CALL_FLAGS_NONE, -1,
                                                  nullptr, &gerror);
    if (found == nullptr) {
        // Nothing registered yet, ever.
        if (isRemoteErrorNamed(gerror, "NoSuchComponent")) {
            g_clear_error(&gerror);
            return std::vector<RegistryEntry>{};
        }
        return takeGError(kReadAction, componentId(), &gerror);
    }
    const gchar* object = nullptr;
    g_variant_get(found, "(&o)", &object);
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, kService, object, kComponentInterface, "allShortcutInfos", nullptr,
        G_VARIANT_TYPE("(a(ssssssaiai))"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
    g_variant_unref(found);
    if (reply == nullptr) {
        return takeGError(kReadAction, componentId(), &gerror);
    }
    std::vector<RegistryEntry> entries;
    GVariantIter* infos = nullptr;
    const gchar* action = nullptr;
    const gchar* title = nullptr;
    GVariantIter* keys = nullptr;
    g_variant_get(reply, "(a(ssssssaiai))", &infos);
    while (g_variant_iter_next(infos, "(&s&s&s&s&s&sai@ai)", &action, &title, nullptr, nullptr,
                               nullptr, nullptr, &keys, nullptr)) {
        gint32 key = 0;
        std::string binding;
        // One key per action is all we set; a 0 is a key given up.
        if (g_variant_iter_next(keys, "i", &key) && key != 0) {
            binding = std::to_string(key);
        }
        g_variant_iter_free(keys);
        if (kLaunchAction != action) {
            entries.push_back({.id = action, .name = title, .binding = binding});
        }
    }
    g_variant_iter_free(infos);
    g_variant_unref(reply);
    return entries;
}

Status KGlobalAccelShortcutRegistry::apply(const RegistryChanges& changes) {
    auto call = [this](const char* method, GVariant* parameters, const GVariantType* replyType,
                       const std::string& action) -> Expected<GVariant*> {
        GError* gerror = nullptr;
        GVariant* reply =
            g_dbus_connection_call_sync(bus_, kService, kPath, kInterface, method, parameters,
                                        replyType, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
        if (reply == nullptr) {
            return takeGError(kWriteAction, action, &gerror);
        }
        return reply;
    };
    for (const auto& gone : changes.removed) {
        auto reply =
            call("unregister", g_variant_new("(ss)", componentId().c_str(), gone.id.c_str()),
                 G_VARIANT_TYPE("(b)"), gone.id);
        if (!reply) {
            return reply.error();
        }
        g_variant_unref(*reply);
    }
    if (changes.added.empty() && changes.changed.empty()) {
        return {};
    }
    // KGlobalAccel reads the file once, when it first meets the component:
    // it must be there before the first action is registered.
    if (Status written = writeDesktopFile(); !written) {
        return written;
    }
    std::optional<Error> firstFailure;
    for (const auto* list : {&changes.changed, &changes.added}) {
        for (const auto& entry : *list) {
            gint32 key = 0;
            std::from_chars(entry.binding.data(), entry.binding.data() + entry.binding.size(), key);
            auto registered =
                call("doRegister", g_variant_new("(@as)", actionId(entry)), nullptr, entry.id);
            if (!registered) {
                return registered.error();
            }
            g_variant_unref(*registered);
            const gint32 keys[] = {key};
            auto set = call("setShortcut",
                            g_variant_new("(@as@aiu)", actionId(entry),
                                          g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, keys, 1,
                                                                    sizeof(gint32)),
                                          kSetPresent | kNoAutoloading),
                            G_VARIANT_TYPE("(ai)"), entry.id);
            if (!set) {
                return set.error();
            }
            // KGlobalAccel answers with the keys it kept: a key another
            // program holds comes back as 0. The other entries still go in.
            GVariant* kept = g_variant_get_child_value(*set, 0);
            gsize count = 0;
            const auto* keptKeys =
                static_cast<const gint32*>(g_variant_get_fixed_array(kept, &count, sizeof(gint32)));
            if ((count == 0 || keptKeys[0] != key) && !firstFailure) {
                firstFailure = Error::withDetail(kWriteAction, entry.id,
                                                 "another program holds the combination",
                                                 std::errc::file_exists);
            }
            g_variant_unref(kept);
            g_variant_unref(*set);
        }
    }
    if (firstFailure) {
        return *firstFailure;
    }
    return {};
}

Expected<std::vector<RegistryEntry>>
KGlobalAccelShortcutRegistry::entriesUsing(const std::string& binding) {
    gint32 key = 0;
    std::from_chars(binding.data(), binding.data() + binding.size(), key);
    GError* gerror = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(bus_, kService, kPath, kInterface, "action",
                                                  g_variant_new("(i)", key), G_VARIANT_TYPE("(as)"),
                                                  G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
    if (reply == nullptr) {
        return takeGError(kReadAction, binding, &gerror);
    }
    gchar** holder = nullptr;
    g_variant_get(reply, "(^as)", &holder);
    g_variant_unref(reply);
    std::vector<RegistryEntry> entries;
    // component, action, and their shown names; empty when nobody holds it.
    if (g_strv_length(holder) >= 4) {
        const bool ours = componentId() == holder[0];
        // "Dolphin" for a program's own launch key, "KWin: Close Window".
        std::string name = holder[2];
        if (ours || name == holder[3]) {
            name = holder[3];
        } else {
            name.append(": ").append(holder[3]);
        }
        entries.push_back(
            {.id = holder[1], .name = std::move(name), .binding = binding, .builtIn = !ours});
    }
    g_strfreev(holder);
    return entries;
}

Status KGlobalAccelShortcutRegistry::removeLeftovers() {
    GError* gerror = nullptr;
    GVariant* reply = g_dbus_connection_call_sync(
        bus_, kService, kPath, kInterface, "unregister",
        g_variant_new("(ss)", componentId().c_str(), std::string(kLaunchAction).c_str()),
        G_VARIANT_TYPE("(b)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, &gerror);
    if (reply == nullptr) {
        return takeGError(kWriteAction, componentId(), &gerror);
    }
    g_variant_unref(reply);
    const std::string path = desktopFilePath();
    std::error_code error;
    std::filesystem::remove(path, error);
    if (error) {
        return Error("remove file", path, error);
    }
    return {};
}

} // namespace quillet::platform
