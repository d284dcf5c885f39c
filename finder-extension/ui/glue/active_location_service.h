// The module's object on the bus: the folder of the file manager's most
// recently active window, for the shortcut's script, as the properties
// ActiveLocation (s) and ActiveSince (t) of org.quillet.QuilletExtension at
// /org/quillet/QuilletExtension, under the bus name the module owns.
#pragma once

#include "finder-extension/core/active_location.h"

#include <gio/gio.h>

namespace quillet::module {

class ActiveLocationService {
public:
    ActiveLocationService() = default;
    ~ActiveLocationService();
    ActiveLocationService(const ActiveLocationService&) = delete;
    ActiveLocationService& operator=(const ActiveLocationService&) = delete;

    // Serves the object on the connection (once the module has it).
    void exportOn(GDBusConnection* bus);
    // The new value; announced with PropertiesChanged when exported.
    void publish(const ActiveLocation& location);

private:
    static GVariant* property(GDBusConnection*, const gchar*, const gchar*, const gchar*,
                              const gchar* name, GError** error, gpointer self);

    ActiveLocation published_;
    GDBusConnection* bus_ = nullptr;
    guint registration_ = 0;
};

} // namespace quillet::module
