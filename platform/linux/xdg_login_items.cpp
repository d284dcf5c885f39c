#include "xdg_login_items.h"

#include "glib_error.h"

#include "shared/desktop_exec.h"
#include "shared/xdg_paths.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <sstream>

namespace quillet::platform {

namespace {

constexpr const char* kGroup = G_KEY_FILE_DESKTOP_GROUP;
constexpr const char* kAutostartEnabled = "X-GNOME-Autostart-enabled";

struct KeyFile {
    GKeyFile* file = g_key_file_new();
    KeyFile() = default;
    KeyFile(const KeyFile&) = delete;
    KeyFile& operator=(const KeyFile&) = delete;
    ~KeyFile() { g_key_file_unref(file); }

    bool load(const std::string& path) {
        return g_key_file_load_from_file(
            file, path.c_str(),
            static_cast<GKeyFileFlags>(G_KEY_FILE_KEEP_COMMENTS | G_KEY_FILE_KEEP_TRANSLATIONS),
            nullptr);
    }
    bool flag(const char* key) const {
        GError* error = nullptr;
        gboolean value = g_key_file_get_boolean(file, kGroup, key, &error);
        if (error != nullptr) {
            g_error_free(error);
            return false;
        }
        return value;
    }
    bool hasKey(const char* key) const { return g_key_file_has_key(file, kGroup, key, nullptr); }
};

bool exists(const std::string& path) {
    return g_file_test(path.c_str(), G_FILE_TEST_IS_REGULAR);
}

// XDG_CONFIG_DIRS read at each call (GLib caches its own copy for the process).
std::optional<std::string> systemEntryPath(const std::string& id) {
    const char* dirs = std::getenv("XDG_CONFIG_DIRS");
    std::istringstream list(dirs != nullptr && *dirs != '\0' ? dirs : "/etc/xdg");
    std::string dir;
    while (std::getline(list, dir, ':')) {
        if (dir.empty()) {
            continue;
        }
        std::string path = paths::appendingPathComponent(dir, "autostart/" + id + ".desktop");
        if (exists(path)) {
            return path;
        }
    }
    return std::nullopt;
}

bool runsAtLogin(const std::string& path) {
    KeyFile entry;
    if (!entry.load(path)) {
        return false; // the desktop skips an entry it cannot read
    }
    if (entry.flag(G_KEY_FILE_DESKTOP_KEY_HIDDEN)) {
        return false;
    }
    return !entry.hasKey(kAutostartEnabled) || entry.flag(kAutostartEnabled);
}

Status save(KeyFile& entry, const std::string& path) {
    const std::string dir = paths::deletingLastPathComponent(path);
    if (g_mkdir_with_parents(dir.c_str(), 0700) != 0) {
        Error failure = Error::fromErrno("create", dir);
        g_message("%s", failure.logText().c_str());
        return failure;
    }
    GError* error = nullptr;
    // Written to a temporary file and renamed: never a half-written entry.
    if (!g_key_file_save_to_file(entry.file, path.c_str(), &error)) {
        g_message("cannot write %s: %s", path.c_str(), error->message);
        return takeGError("write", path, &error);
    }
    return {};
}

} // namespace

XdgLoginItems::XdgLoginItems(std::string entryTemplate)
    : entryTemplate_(std::move(entryTemplate)) {}

std::string XdgLoginItems::userEntryPath(const std::string& id) {
    return paths::appendingPathComponent(paths::configHome(), "autostart/" + id + ".desktop");
}

bool XdgLoginItems::isRegistered(const std::string& id) const {
    const std::string user = userEntryPath(id);
    if (exists(user)) {
        return runsAtLogin(user);
    }
    auto system = systemEntryPath(id);
    return system && runsAtLogin(*system);
}

Status XdgLoginItems::setRegistered(const std::string& id, const std::string& executable,
                                    bool enabled) {
    const std::string user = userEntryPath(id);
    if (enabled) {
        // A key file holds UTF-8 only; GLib would leave Exec out and the
        // entry would start nothing.
        if (!g_utf8_validate(executable.data(), static_cast<gssize>(executable.size()), nullptr)) {
            return Error::withDetail("register the login item", executable,
                                     "the program's path is not valid UTF-8; install Quillet "
                                     "under a folder whose name is",
                                     std::errc::illegal_byte_sequence);
        }
        KeyFile entry;
        if (!entryTemplate_.empty() && exists(entryTemplate_) && !entry.load(entryTemplate_)) {
            g_message("cannot read %s; writing a plain entry", entryTemplate_.c_str());
        }
        g_key_file_set_string(entry.file, kGroup, G_KEY_FILE_DESKTOP_KEY_TYPE,
                              G_KEY_FILE_DESKTOP_TYPE_APPLICATION);
        if (!entry.hasKey(G_KEY_FILE_DESKTOP_KEY_NAME)) {
            g_key_file_set_string(entry.file, kGroup, G_KEY_FILE_DESKTOP_KEY_NAME, "Quillet");
        }
        g_key_file_set_string(entry.file, kGroup, G_KEY_FILE_DESKTOP_KEY_EXEC,
                              desktopExecForProgram(executable).c_str());
        g_key_file_set_boolean(entry.file, kGroup, kAutostartEnabled, TRUE);
        g_key_file_remove_key(entry.file, kGroup, G_KEY_FILE_DESKTOP_KEY_HIDDEN, nullptr);
        return save(entry, user);
    }

    if (g_remove(user.c_str()) != 0 && errno != ENOENT) {
        Error failure = Error::fromErrno("remove", user);
        g_message("%s", failure.logText().c_str());
        return failure;
    }
    auto system = systemEntryPath(id);
    if (!system || !runsAtLogin(*system)) {
        return {};
    }
    KeyFile mask;
    mask.load(*system);
    g_key_file_set_boolean(mask.file, kGroup, G_KEY_FILE_DESKTOP_KEY_HIDDEN, TRUE);
    g_key_file_set_boolean(mask.file, kGroup, kAutostartEnabled, FALSE);
    return save(mask, user);
}

} // namespace quillet::platform
