#include "glib_error.h"

#include <gio/gio.h>

#include <cstring>

namespace quillet::platform {

Error takeGError(std::string action, std::string path, GError** error) {
    if (error == nullptr || *error == nullptr) {
        return Error(std::move(action), std::move(path), std::make_error_code(std::errc::io_error));
    }
    Error converted = Error::withDetail(std::move(action), std::move(path), (*error)->message,
                                        std::errc::io_error);
    g_clear_error(error);
    return converted;
}

bool isRemoteErrorNamed(const GError* error, const char* namePart) {
    if (error == nullptr || !g_dbus_error_is_remote_error(error)) {
        return false;
    }
    gchar* name = g_dbus_error_get_remote_error(error);
    const bool named = name != nullptr && std::strstr(name, namePart) != nullptr;
    g_free(name);
    return named;
}

} // namespace quillet::platform
