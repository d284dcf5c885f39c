// What differs between the file managers for the module's tests. Each test
// executable links exactly one implementation (nautilus_driver.cpp, ...), as a
// file manager loads its own module only; the cases speak GObject and the
// properties and signal every file manager's menu items share.
#pragma once

#include <gio/gio.h>

#include <string>
#include <string_view>

namespace quillet::test::driver {

// The name the module owns on the session bus while loaded.
const char* extensionBusName();

// Loads the built module as the file manager does; empty on success, else
// what went wrong. What this machine cannot do for any module (not a fault
// of the module) starts with kUnavailable, and skips the tests.
std::string loadModule();
inline constexpr std::string_view kUnavailable = "unavailable here: ";
void unloadModule();

// The file manager's menu provider interface, and a provider as the file
// manager gets one (a new reference).
GType menuProviderInterface();
GObject* newMenuProvider();

// The file manager's FileInfo interface, and the function that fills its
// table for the harness's file-info objects (harness_file_info.h).
GType fileInfoInterface();
void initFileInfoInterface(gpointer iface, gpointer data);

// The items (a new list of new references) for a right click on a folder's
// background, and on selected items (a list of file-info objects).
GList* backgroundItems(GObject* provider, GObject* folder);
GList* fileItems(GObject* provider, GList* files);
// The items of a submenu, as an item's "menu" property holds it.
GList* submenuItems(GObject* menu);

} // namespace quillet::test::driver
