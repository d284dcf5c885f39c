#include "platform/linux/hot_key_center_factory.h"

#include "platform/linux/display.h"
#include "platform/linux/gsettings_shortcut_registry.h"
#include "platform/linux/kglobalaccel_shortcut_registry.h"
#include "platform/linux/portal_hot_key_center.h"
#include "platform/linux/xcb_hot_key_center.h"
#include "platform/linux/xfconf_shortcut_registry.h"
#include "shared/desktop_shortcuts.h"
#include "shared/text_mark.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>

namespace quillet::platform {

std::unique_ptr<HotKeyCenter> makeHotKeyCenter(MainQueue& mainQueue, const std::string& appId) {
    // Under Wayland, grabs on an Xwayland display only see keys typed into X
    // windows: no use for global shortcuts.
    const bool wayland = isWaylandSession();
    if (!wayland && hasX11Display()) {
        auto center = XcbHotKeyCenter::connect(mainQueue);
        if (center) {
            return std::move(*center);
        }
        std::fprintf(stderr, "quillet: global shortcuts: %s\n", center.error().logText().c_str());
        return std::make_unique<NullHotKeyCenter>(
            N_("Global keyboard shortcuts are unavailable: the X display cannot be reached."));
    }
    if (wayland) {
        if (PortalHotKeyCenter::isOffered()) {
            return std::make_unique<PortalHotKeyCenter>(mainQueue, appId);
        }
        return std::make_unique<NullHotKeyCenter>(
            N_("Global keyboard shortcuts are unavailable in this session: the desktop offers no "
               "global shortcuts to applications (it needs GNOME 48 or later, KDE Plasma, or an "
               "X11 session)."));
    }
    return std::make_unique<NullHotKeyCenter>(
        N_("Global keyboard shortcuts are unavailable: there is no display."));
}

namespace {

// The registry of the desktop the session names; nothing for the others.
std::optional<ShortcutRegistryKind> sessionRegistryKind() {
    const char* desktops = std::getenv("XDG_CURRENT_DESKTOP");
    std::string_view rest = desktops != nullptr ? desktops : "";
    while (!rest.empty()) {
        const auto colon = rest.find(':');
        const std::string_view name = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (name == "GNOME" || name == "GNOME-Classic" || name == "Budgie" || name == "Unity") {
            return ShortcutRegistryKind::Gnome;
        }
        if (name == "X-Cinnamon" || name == "Cinnamon") {
            return ShortcutRegistryKind::Cinnamon;
        }
        if (name == "MATE") {
            return ShortcutRegistryKind::Mate;
        }
        if (name == "XFCE") {
            return ShortcutRegistryKind::Xfce;
        }
        if (name == "KDE") {
            return ShortcutRegistryKind::Kde;
        }
    }
    return std::nullopt;
}

Expected<std::unique_ptr<ShortcutRegistry>> openRegistry(ShortcutRegistryKind kind) {
    if (kind == ShortcutRegistryKind::Xfce) {
        return XfconfShortcutRegistry::open();
    }
    if (kind == ShortcutRegistryKind::Kde) {
        return KGlobalAccelShortcutRegistry::open();
    }
    return GSettingsShortcutRegistry::open(kind);
}

} // namespace

ShortcutMechanism makeShortcutMechanism(MainQueue& mainQueue, const std::string& appId) {
    ShortcutMechanism mechanism;
    std::optional<Error> registryFailure;
    if (const auto kind = sessionRegistryKind()) {
        auto registry = openRegistry(*kind);
        if (registry) {
            mechanism.registry = std::move(*registry);
            mechanism.hotKeys = std::make_unique<RegistryHotKeyCenter>(*mechanism.registry);
            mechanism.description = registryDescription(*kind);
            return mechanism;
        }
        std::fprintf(stderr, "quillet: desktop shortcuts: %s\n",
                     registry.error().logText().c_str());
        registryFailure = registry.error();
    }
    mechanism.hotKeys = makeHotKeyCenter(mainQueue, appId);
    if (const Status available = mechanism.hotKeys->availability(); !available) {
        // The desktop's own list, when it is missing, is the first reason.
        mechanism.description =
            registryFailure ? registryFailure->reason() : available.error().reason();
    } else if (isWaylandSession()) {
        mechanism.description =
            N_("Shortcuts are registered through the desktop's global shortcuts portal.");
    } else {
        mechanism.description = N_("Shortcuts are grabbed on the X11 display.");
    }
    return mechanism;
}

std::vector<std::unique_ptr<ShortcutRegistry>> openRegistriesHoldingOurEntries() {
    std::vector<std::unique_ptr<ShortcutRegistry>> registries;
    for (auto kind :
         {ShortcutRegistryKind::Gnome, ShortcutRegistryKind::Cinnamon, ShortcutRegistryKind::Mate,
          ShortcutRegistryKind::Xfce, ShortcutRegistryKind::Kde}) {
        if (kind == ShortcutRegistryKind::Kde &&
            !std::filesystem::exists(KGlobalAccelShortcutRegistry::desktopFilePath())) {
            continue;
        }
        if (auto registry = openRegistry(kind)) {
            registries.push_back(std::move(*registry));
        }
    }
    return registries;
}

} // namespace quillet::platform
