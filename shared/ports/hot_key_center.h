// System-wide keyboard shortcuts.
#pragma once

#include "../value.h"

#include <functional>
#include <memory>
#include <optional>
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
    // Why global shortcuts cannot work in this session (an English sentence,
    // translated where it is shown); nothing when they can.
    virtual std::optional<std::string> unavailableReason() const { return std::nullopt; }
};

// A center that registers nothing, for sessions without global shortcuts; it
// says why.
class NullHotKeyCenter final : public HotKeyCenter {
public:
    explicit NullHotKeyCenter(
        std::string reason = "Global keyboard shortcuts are unavailable in this session.")
        : reason_(std::move(reason)) {}
    bool registerHotKey(std::shared_ptr<HotKey>) override { return false; }
    void unregisterHotKey(const std::shared_ptr<HotKey>&) override {}
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override { return {}; }
    std::optional<std::string> unavailableReason() const override { return reason_; }

private:
    std::string reason_;
};

} // namespace quillet
