#include "fake_hot_key_center.h"

#include <algorithm>

namespace quillet::test {

namespace {
bool sameCombo(const Value::Dictionary& a, const Value::Dictionary& b) {
    return Value(a) == Value(b);
}
} // namespace

Status FakeHotKeyCenter::registerHotKey(std::shared_ptr<HotKey> hotKey) {
    ++registerCalls;
    if (!hotKey) {
        return Error("register the shortcut", "",
                     std::make_error_code(std::errc::invalid_argument));
    }
    for (const auto& combo : taken_) {
        if (sameCombo(combo, hotKey->keyCombo)) {
            return Error::withDetail("register the shortcut", hotKey->identifier,
                                     "another program holds it",
                                     std::errc::device_or_resource_busy);
        }
    }
    registered_.push_back(std::move(hotKey));
    return {};
}

void FakeHotKeyCenter::unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) {
    ++unregisterCalls;
    std::erase(registered_, hotKey);
}

void FakeHotKeyCenter::markTaken(const Value::Dictionary& combo) {
    taken_.push_back(combo);
}

void FakeHotKeyCenter::markFree(const Value::Dictionary& combo) {
    std::erase_if(taken_, [&](const Value::Dictionary& c) { return sameCombo(c, combo); });
}

bool FakeHotKeyCenter::press(const Value::Dictionary& combo) {
    bool any = false;
    for (const auto& key : allHotKeys()) {
        if (sameCombo(key->keyCombo, combo) && key->action) {
            key->action(*key);
            any = true;
        }
    }
    return any;
}

bool FakeHotKeyCenter::pressIdentifier(const std::string& identifier) {
    for (const auto& key : allHotKeys()) {
        if (key->identifier == identifier && key->action) {
            key->action(*key);
            return true;
        }
    }
    return false;
}

} // namespace quillet::test
