#include "platform/linux/hot_key_center_factory.h"

#include "platform/linux/display.h"
#include "platform/linux/portal_hot_key_center.h"
#include "platform/linux/xcb_hot_key_center.h"
#include "shared/text_mark.h"

#include <cstdio>

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

} // namespace quillet::platform
