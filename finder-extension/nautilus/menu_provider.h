// The GObject the file manager asks for menu items. It is a dynamic type of
// the module's GTypeModule, so the module could be unloaded safely.
#pragma once

#include <glib-object.h>

namespace quillet::nautilus {

void registerMenuProviderType(GTypeModule* module);
GType menuProviderType();

} // namespace quillet::nautilus
