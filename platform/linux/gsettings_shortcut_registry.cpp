#include "platform/linux/gsettings_shortcut_registry.h"

#include "platform/linux/runtime_library.h"
#include "shared/desktop_shortcuts.h"

#define G_SETTINGS_ENABLE_BACKEND
#include <dconf.h>
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include <algorithm>
#include <array>
#include <string_view>

namespace quillet::platform {

struct GSettingsShortcutRegistry::Layout {
    ShortcutRegistryKind kind;
    const char* desktop;                       // in the error's words
    const char* listSchema;                    // the key that lists the entries; none on MATE
    const char* listKey;                       //
    bool listHoldsPaths;                       // GNOME lists whole paths, Cinnamon folder names
    const char* entrySchema;                   // relocatable
    const char* entryDir;                      // the folder holding one folder per entry
    const char* commandKey;                    // "command", MATE's "action"
    std::array<const char*, 4> builtInSchemas; // read for "taken by"; null ends
};

namespace {

using Layout = GSettingsShortcutRegistry::Layout;

const Layout kGnome{
    .kind = ShortcutRegistryKind::Gnome,
    .desktop = "GNOME",
    .listSchema = "org.gnome.settings-daemon.plugins.media-keys",
    .listKey = "custom-keybindings",
    .listHoldsPaths = true,
    .entrySchema = "org.gnome.settings-daemon.plugins.media-keys.custom-keybinding",
    .entryDir = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/",
    .commandKey = "command",
    .builtInSchemas = {"org.gnome.settings-daemon.plugins.media-keys",
                       "org.gnome.desktop.wm.keybindings", "org.gnome.shell.keybindings",
                       "org.gnome.mutter.keybindings"},
};

const Layout kCinnamon{
    .kind = ShortcutRegistryKind::Cinnamon,
    .desktop = "Cinnamon",
    .listSchema = "org.cinnamon.desktop.keybindings",
    .listKey = "custom-list",
    .listHoldsPaths = false,
    .entrySchema = "org.cinnamon.desktop.keybindings.custom-keybinding",
    .entryDir = "/org/cinnamon/desktop/keybindings/custom-keybindings/",
    .commandKey = "command",
    .builtInSchemas = {"org.cinnamon.desktop.keybindings", "org.cinnamon.desktop.keybindings.wm",
                       "org.cinnamon.desktop.keybindings.media-keys", nullptr},
};

const Layout kMate{
    .kind = ShortcutRegistryKind::Mate,
    .desktop = "MATE",
    .listSchema = nullptr,
    .listKey = nullptr,
    .listHoldsPaths = false,
    .entrySchema = "org.mate.control-center.keybinding",
    .entryDir = "/org/mate/desktop/keybindings/",
    .commandKey = "action",
    .builtInSchemas = {"org.mate.Marco.global-keybindings",
                       "org.mate.SettingsDaemon.plugins.media-keys", nullptr, nullptr},
};

struct ObjectUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
using SettingsPtr = std::unique_ptr<GSettings, ObjectUnref>;

// The desktop's settings live in dconf. The programs keep GIO from scanning
// its module folder (see gio_local_vfs), which would leave GSettings on its
// in-memory backend and every write lost: the dconf module is loaded alone,
// before GSettings picks its default backend (the one g_settings_sync waits
// for).
GSettingsBackend* desktopBackend() {
    static GSettingsBackend* backend = [] {
        (void)g_vfs_get_default(); // GIO's module scan, as the program set it up
        GIOExtensionPoint* point =
            g_io_extension_point_lookup(G_SETTINGS_BACKEND_EXTENSION_POINT_NAME);
        const bool scanned =
            point != nullptr && g_io_extension_point_get_extension_by_name(point, "dconf");
        const std::string module = std::string(QUILLET_GIO_MODULE_DIR) + "/libdconfsettings.so";
        if (!scanned && g_getenv("GSETTINGS_BACKEND") == nullptr &&
            g_file_test(module.c_str(), G_FILE_TEST_EXISTS)) {
            // Kept for the process's life, as GIO keeps its modules.
            g_type_module_use(G_TYPE_MODULE(g_io_module_new(module.c_str())));
        }
        return g_settings_backend_get_default();
    }();
    return backend;
}

GSettingsSchema* lookupSchema(const char* id) {
    GSettingsSchemaSource* source = g_settings_schema_source_get_default();
    return source != nullptr ? g_settings_schema_source_lookup(source, id, TRUE) : nullptr;
}

// Settings of an installed schema (at `path` when relocatable); null when
// the schema is not installed.
SettingsPtr settingsFor(const char* schemaId, const char* path = nullptr) {
    GSettingsSchema* schema = lookupSchema(schemaId);
    if (schema == nullptr) {
        return nullptr;
    }
    SettingsPtr settings(g_settings_new_full(schema, desktopBackend(), path));
    g_settings_schema_unref(schema);
    return settings;
}

std::vector<std::string> strings(GVariant* value) {
    std::vector<std::string> out;
    if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
        out.emplace_back(g_variant_get_string(value, nullptr));
    } else if (g_variant_is_of_type(value, G_VARIANT_TYPE_STRING_ARRAY)) {
        gsize length = 0;
        const gchar** items = g_variant_get_strv(value, &length);
        out.assign(items, items + length);
        g_free(items);
    }
    return out;
}

std::vector<std::string> stringsOf(GSettings* settings, const char* key) {
    GVariant* value = g_settings_get_value(settings, key);
    auto out = strings(value);
    g_variant_unref(value);
    return out;
}

std::string entryPath(const Layout& layout, const std::string& id) {
    return std::string(layout.entryDir) + id + "/";
}

// The entry's folder name from an element of the list.
std::string idOfListed(const Layout& layout, std::string element) {
    if (!layout.listHoldsPaths) {
        return element;
    }
    while (element.ends_with('/')) {
        element.pop_back();
    }
    return element.substr(element.rfind('/') + 1);
}

std::string listElement(const Layout& layout, const std::string& id) {
    return layout.listHoldsPaths ? entryPath(layout, id) : id;
}

// The folders under the entry folder, for MATE, which lists them nowhere.
Expected<std::vector<std::string>> entryFolders(const Layout& layout) {
    // dconf's client library, opened here: only MATE needs it.
    static void* const library = openRuntimeLibrary("libdconf.so.1");
    decltype(dconf_client_new)* clientNew = nullptr;
    decltype(dconf_client_list)* clientList = nullptr;
    if (!bindFunction(library, "dconf_client_new", clientNew) ||
        !bindFunction(library, "dconf_client_list", clientList)) {
        return Error::withDetail("read the desktop's shortcuts", layout.entryDir,
                                 "the dconf library (libdconf.so.1) cannot be loaded",
                                 std::errc::operation_not_supported);
    }
    std::vector<std::string> ids;
    DConfClient* client = clientNew();
    gint length = 0;
    gchar** names = clientList(client, layout.entryDir, &length);
    for (gint i = 0; i < length; ++i) {
        std::string_view name(names[i]);
        if (name.ends_with('/')) {
            ids.emplace_back(name.substr(0, name.size() - 1));
        }
    }
    g_strfreev(names);
    g_object_unref(client);
    std::sort(ids.begin(), ids.end());
    return ids;
}

void readBuiltIns(const char* schemaId, std::vector<RegistryEntry>& out, const char* skipKey) {
    GSettingsSchema* schema = schemaId != nullptr ? lookupSchema(schemaId) : nullptr;
    if (schema == nullptr) {
        return;
    }
    SettingsPtr settings(g_settings_new_full(schema, desktopBackend(), nullptr));
    gchar** keys = g_settings_schema_list_keys(schema);
    for (gchar** key = keys; *key != nullptr; ++key) {
        if (skipKey != nullptr && g_strcmp0(*key, skipKey) == 0) {
            continue;
        }
        GSettingsSchemaKey* schemaKey = g_settings_schema_get_key(schema, *key);
        const GVariantType* type = g_settings_schema_key_get_value_type(schemaKey);
        if (g_variant_type_equal(type, G_VARIANT_TYPE_STRING) ||
            g_variant_type_equal(type, G_VARIANT_TYPE_STRING_ARRAY)) {
            // The key's name, not its summary: GLib reads summaries from the
            // schemas' XML sources, every one of them, which takes seconds.
            for (auto& binding : stringsOf(settings.get(), *key)) {
                out.push_back(
                    {.id = *key, .name = *key, .binding = std::move(binding), .builtIn = true});
            }
        }
        g_settings_schema_key_unref(schemaKey);
    }
    g_strfreev(keys);
    g_settings_schema_unref(schema);
}

} // namespace

GSettingsShortcutRegistry::GSettingsShortcutRegistry(const Layout& layout) : layout_(layout) {}

Expected<std::unique_ptr<ShortcutRegistry>>
GSettingsShortcutRegistry::open(ShortcutRegistryKind kind) {
    const Layout* layout = kind == ShortcutRegistryKind::Gnome      ? &kGnome
                           : kind == ShortcutRegistryKind::Cinnamon ? &kCinnamon
                           : kind == ShortcutRegistryKind::Mate     ? &kMate
                                                                    : nullptr;
    if (layout == nullptr) {
        return Error::withDetail("open the desktop's keyboard settings", "",
                                 "this desktop keeps its shortcuts elsewhere",
                                 std::errc::operation_not_supported);
    }
    for (const char* schema : {layout->listSchema, layout->entrySchema}) {
        if (schema == nullptr) {
            continue;
        }
        GSettingsSchema* found = lookupSchema(schema);
        if (found == nullptr) {
            return Error::withDetail("open the desktop's keyboard settings", "",
                                     std::string(layout->desktop) +
                                         "'s keyboard settings are not available (" + schema +
                                         " is not installed).",
                                     std::errc::operation_not_supported);
        }
        g_settings_schema_unref(found);
    }
    return std::unique_ptr<ShortcutRegistry>(new GSettingsShortcutRegistry(*layout));
}

ShortcutRegistryKind GSettingsShortcutRegistry::kind() const {
    return layout_.kind;
}

Expected<std::vector<RegistryEntry>> GSettingsShortcutRegistry::entries() {
    std::vector<std::string> ids;
    if (layout_.listSchema != nullptr) {
        SettingsPtr list = settingsFor(layout_.listSchema);
        for (auto& element : stringsOf(list.get(), layout_.listKey)) {
            ids.push_back(idOfListed(layout_, std::move(element)));
        }
    } else {
        auto folders = entryFolders(layout_);
        if (!folders) {
            return folders.error();
        }
        ids = std::move(*folders);
    }
    std::vector<RegistryEntry> out;
    for (const auto& id : ids) {
        if (id.empty()) {
            continue;
        }
        const std::string path = entryPath(layout_, id);
        SettingsPtr entry = settingsFor(layout_.entrySchema, path.c_str());
        const auto names = stringsOf(entry.get(), "name");
        const auto commands = stringsOf(entry.get(), layout_.commandKey);
        const auto bindings = stringsOf(entry.get(), "binding"); // Cinnamon: a list
        out.push_back({
            .id = id,
            .name = names.empty() ? std::string() : names.front(),
            .command = commands.empty() ? std::string() : commands.front(),
            .binding = bindings.empty() ? std::string() : bindings.front(),
        });
    }
    for (const char* schema : layout_.builtInSchemas) {
        readBuiltIns(schema, out, layout_.listKey);
    }
    return out;
}

Status GSettingsShortcutRegistry::apply(const RegistryChanges& changes) {
    auto write = [this](const RegistryEntry& wanted) {
        const std::string path = entryPath(layout_, wanted.id);
        SettingsPtr entry = settingsFor(layout_.entrySchema, path.c_str());
        g_settings_delay(entry.get());
        g_settings_set_string(entry.get(), "name", wanted.name.c_str());
        g_settings_set_string(entry.get(), layout_.commandKey, wanted.command.c_str());
        if (layout_.kind == ShortcutRegistryKind::Cinnamon) {
            const gchar* bindings[] = {wanted.binding.c_str(), nullptr};
            g_settings_set_strv(entry.get(), "binding", bindings);
        } else {
            g_settings_set_string(entry.get(), "binding", wanted.binding.c_str());
        }
        g_settings_apply(entry.get());
    };
    for (const auto& entry : changes.changed) {
        write(entry);
    }
    for (const auto& entry : changes.added) {
        write(entry);
    }
    for (const auto& gone : changes.removed) {
        const std::string path = entryPath(layout_, gone.id);
        SettingsPtr entry = settingsFor(layout_.entrySchema, path.c_str());
        for (const char* key : {"name", layout_.commandKey, "binding"}) {
            g_settings_reset(entry.get(), key);
        }
    }
    if (layout_.listSchema != nullptr && (!changes.added.empty() || !changes.removed.empty())) {
        // Read again just before writing, and touch our elements only: the
        // user's entries and their order stay.
        SettingsPtr list = settingsFor(layout_.listSchema);
        std::vector<std::string> elements = stringsOf(list.get(), layout_.listKey);
        std::erase_if(elements, [&](const std::string& element) {
            const std::string id = idOfListed(layout_, element);
            return std::any_of(changes.removed.begin(), changes.removed.end(),
                               [&](const RegistryEntry& gone) { return gone.id == id; });
        });
        for (const auto& added : changes.added) {
            const std::string element = listElement(layout_, added.id);
            if (std::find(elements.begin(), elements.end(), element) == elements.end()) {
                elements.push_back(element);
            }
        }
        std::vector<const gchar*> raw;
        for (const auto& element : elements) {
            raw.push_back(element.c_str());
        }
        raw.push_back(nullptr);
        if (!g_settings_set_strv(list.get(), layout_.listKey, raw.data())) {
            return Error::withDetail("write the desktop's keyboard settings", layout_.listKey,
                                     "the list of custom shortcuts cannot be written",
                                     std::errc::read_only_file_system);
        }
    }
    // The desktop reads what reached the settings daemon: wait for it.
    g_settings_sync();
    return {};
}

} // namespace quillet::platform
