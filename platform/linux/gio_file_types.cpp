#include "gio_file_types.h"

#include <gio/gio.h>

namespace quillet::platform {

std::string GioFileTypes::contentTypeForExtension(const std::string& ext) {
    std::string name = "x." + ext;
    gchar* type = g_content_type_guess(name.c_str(), nullptr, 0, nullptr);
    std::string result = type != nullptr ? type : "";
    g_free(type);
    return result;
}

std::optional<std::string> GioFileTypes::descriptionForExtension(const std::string& ext) const {
    if (ext.empty()) {
        return std::nullopt;
    }
    std::string type = contentTypeForExtension(ext);
    if (type.empty() || g_content_type_is_unknown(type.c_str())) {
        return std::nullopt;
    }
    gchar* description = g_content_type_get_description(type.c_str());
    if (description == nullptr) {
        return std::nullopt;
    }
    std::string text = description;
    g_free(description);
    // A type without a comment in the database gets GIO's made-up "<type> type".
    gchar* madeUp = g_strdup_printf(g_dgettext("glib20", "%s type"), type.c_str());
    bool invented = text == madeUp;
    g_free(madeUp);
    if (text.empty() || invented) {
        return std::nullopt;
    }
    return text;
}

std::optional<std::string> GioFileTypes::iconNameForExtension(const std::string& ext) const {
    std::string type = contentTypeForExtension(ext);
    if (type.empty()) {
        return std::nullopt;
    }
    GIcon* icon = g_content_type_get_icon(type.c_str());
    std::optional<std::string> result;
    if (icon != nullptr && G_IS_THEMED_ICON(icon)) {
        const gchar* const* names = g_themed_icon_get_names(G_THEMED_ICON(icon));
        if (names != nullptr && names[0] != nullptr) {
            result = names[0];
        }
    }
    if (icon != nullptr) {
        g_object_unref(icon);
    }
    return result;
}

} // namespace quillet::platform
