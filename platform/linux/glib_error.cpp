#include "glib_error.h"

#include <glib.h>

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

} // namespace quillet::platform
