// The memory the module adds to the file manager: resident set size before
// and after opening and initialising it, beside the same figures for an
// empty dlopen of libnautilus-extension itself (the floor every extension pays).
#include "tests/finder-extension/modules/harness_file_info.h"
#include "tests/finder-extension/modules/harness_module.h"

#include "support/temp_xdg.h"

#include <nautilus-extension.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

} // namespace

int main() {
    quillet::test::TempXdg xdg;
    // GLib's type system and the interface types are in place in the file
    // manager before any extension loads.
    g_type_ensure(NAUTILUS_TYPE_MENU_PROVIDER);
    g_type_ensure(NAUTILUS_TYPE_FILE_INFO);
    long before = residentKiB();
    GTypeModule* module = quillet::test::newHarnessModule(QUILLET_NAUTILUS_MODULE_FILE, "nautilus");
    if (!g_type_module_use(module)) {
        std::fprintf(stderr, "module did not load\n");
        return 1;
    }
    long loaded = residentKiB();
    auto types = quillet::test::harnessModuleTypes(module);
    GObject* provider = static_cast<GObject*>(g_object_new(types.at(0), nullptr));
    NautilusFileInfo* folder = NAUTILUS_FILE_INFO(quillet::test::newFileInfoForPath(xdg.root()));
    GList* items =
        nautilus_menu_provider_get_background_items(NAUTILUS_MENU_PROVIDER(provider), folder);
    if (items != nullptr) {
        nautilus_menu_item_list_free(items);
    }
    long afterClick = residentKiB();
    std::printf("RSS before load      %6ld KiB\n", before);
    std::printf("RSS after load+init  %6ld KiB  (+%ld KiB)\n", loaded, loaded - before);
    std::printf("RSS after one menu   %6ld KiB  (+%ld KiB)\n", afterClick, afterClick - before);
    g_object_unref(folder);
    g_object_unref(provider);
    return 0;
}
