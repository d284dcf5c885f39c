// Global shortcuts on X11: passive key grabs on the root window through a
// connection of our own. Each combination is grabbed with its CapsLock and
// NumLock variants, so that it works whatever the lock keys are; a grab that
// another client holds (BadAccess) makes the registration fail. Keyboard
// mapping changes regrab every key; presses run the hot key's action on the
// main queue.
#pragma once

#include "shared/ports/hot_key_center.h"
#include "shared/ports/main_queue.h"

#include <memory>
#include <string>

namespace quillet::platform {

class XcbHotKeyCenter final : public HotKeyCenter {
public:
    // Nothing when the display cannot be reached; `error` says why.
    static Expected<std::unique_ptr<XcbHotKeyCenter>> connect(MainQueue& mainQueue);
    ~XcbHotKeyCenter() override;
    XcbHotKeyCenter(const XcbHotKeyCenter&) = delete;
    XcbHotKeyCenter& operator=(const XcbHotKeyCenter&) = delete;

    Status registerHotKey(std::shared_ptr<HotKey> hotKey) override;
    void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) override;
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override;

    struct Impl;

private:
    explicit XcbHotKeyCenter(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

} // namespace quillet::platform
