// System-wide keyboard shortcuts.
#pragma once

#include "../value.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet {

struct HotKey {
    std::string identifier;
    Value::Dictionary keyCombo; // the shortcut dictionary, taken unchanged
    std::function<void(const HotKey&)> action;
};

class HotKeyCenter {
public:
    virtual ~HotKeyCenter() = default;
    // Makes the combination system-wide; false when it is taken or cannot be grabbed.
    virtual bool registerHotKey(std::shared_ptr<HotKey> hotKey) = 0;
    // The combination stops reacting at once.
    virtual void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) = 0;
    // A snapshot: stays valid while keys are unregistered.
    virtual std::vector<std::shared_ptr<HotKey>> allHotKeys() const = 0;
};

// A center that registers nothing, for desktops without global shortcuts.
class NullHotKeyCenter final : public HotKeyCenter {
public:
    bool registerHotKey(std::shared_ptr<HotKey>) override { return false; }
    void unregisterHotKey(const std::shared_ptr<HotKey>&) override {}
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override { return {}; }
};

} // namespace quillet
