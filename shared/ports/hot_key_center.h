// System-wide keyboard shortcuts.
#pragma once

#include "../error.h"
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
    // Makes the combination system-wide; an error when it is taken or cannot
    // be grabbed.
    [[nodiscard]] virtual Status registerHotKey(std::shared_ptr<HotKey> hotKey) = 0;
    // The combination stops reacting at once.
    virtual void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) = 0;
    // A snapshot: stays valid while keys are unregistered.
    virtual std::vector<std::shared_ptr<HotKey>> allHotKeys() const = 0;
    // Whether global shortcuts can work in this session; when not, the
    // error's reason says why (an English sentence, translated where it is
    // shown).
    [[nodiscard]] virtual Status availability() const { return {}; }
};

// A center that registers nothing, for sessions without global shortcuts; it
// says why.
class NullHotKeyCenter final : public HotKeyCenter {
public:
    explicit NullHotKeyCenter(
        std::string reason = "Global keyboard shortcuts are unavailable in this session.")
        : reason_(std::move(reason)) {}
    Status registerHotKey(std::shared_ptr<HotKey>) override { return availability(); }
    void unregisterHotKey(const std::shared_ptr<HotKey>&) override {}
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override { return {}; }
    Status availability() const override {
        return Error::withDetail("register global shortcuts", "", reason_,
                                 std::errc::operation_not_supported);
    }

private:
    std::string reason_;
};

} // namespace quillet
