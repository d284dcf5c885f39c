// A hot-key registry without a keyboard: registration succeeds unless the
// combination was marked as taken by another program; presses are simulated.
#pragma once

#include "shared/ports/hot_key_center.h"

#include <memory>
#include <string>
#include <vector>

namespace quillet::test {

class FakeHotKeyCenter final : public HotKeyCenter {
public:
    Status registerHotKey(std::shared_ptr<HotKey> hotKey) override;
    void unregisterHotKey(const std::shared_ptr<HotKey>& hotKey) override;
    std::vector<std::shared_ptr<HotKey>> allHotKeys() const override { return registered_; }
    Status availability() const override {
        if (unavailable) {
            return Error::withDetail("register global shortcuts", "", *unavailable,
                                     std::errc::operation_not_supported);
        }
        return {};
    }

    // Another program holds this combination: registering it fails.
    void markTaken(const Value::Dictionary& combo);
    void markFree(const Value::Dictionary& combo);

    // Presses the combination: runs the action of each hot key registered with
    // it. Returns whether any was.
    bool press(const Value::Dictionary& combo);
    // Presses the hot key registered under the identifier.
    bool pressIdentifier(const std::string& identifier);

    // Set: a session without global shortcuts, for this reason.
    std::optional<std::string> unavailable;
    int registerCalls = 0;
    int unregisterCalls = 0;

private:
    std::vector<std::shared_ptr<HotKey>> registered_;
    std::vector<Value::Dictionary> taken_;
};

} // namespace quillet::test
