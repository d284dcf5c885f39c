// Global shortcuts through the desktop's org.freedesktop.portal.GlobalShortcuts
// (Wayland sessions whose desktop offers it). One portal session holds every
// shortcut; each is bound with its combination as the preferred trigger, and
// the desktop may let the user change it. A change of the set of hot keys
// binds the whole set again in a fresh session; Activated runs the action of
// the hot key with that identifier.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/ports/main_queue.h"

#include <memory>
#include <string>

namespace quillet::platform {

class PortalHotKeyCenter final : public HotKeyCenter {
public:
    // Whether the session bus offers the portal interface.
    static bool isOffered();
    // `appId` names the program to the desktop.
    PortalHotKeyCenter(MainQueue& mainQueue, std::string appId);
    ~PortalHotKeyCenter() override;
    PortalHotKeyCenter(const PortalHotKeyCenter&) = delete;
    PortalHotKeyCenter& operator=(const PortalHotKeyCenter&) = delete;

    // Always true: the desktop, not the program, settles conflicts.
    Status registerHotKey(std::shared_ptr<HotKey> hotKey) override;
    void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) override;
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override;

    struct Impl;

private:
    std::shared_ptr<Impl> impl_;
};

} // namespace quillet::platform
