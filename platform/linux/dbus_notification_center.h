// Broadcast notifications over the session bus: every post is the signal
// Posted(s name, s object) of org.quillet.Notifications at
// /org/quillet/Notifications, sent without destination, so every program of
// the suite (this one included) that observes the name receives it.
//
// Works wherever GLib's default main context runs: in the Qt programs and
// inside the file manager. Without a reachable bus, posting does nothing and
// observers are never called; nothing fails.
#pragma once

#include "shared/ports/notification_center.h"

#include <map>
#include <memory>

namespace quillet::platform {

class DBusNotificationCenter final : public NotificationCenter {
public:
    DBusNotificationCenter();
    ~DBusNotificationCenter() override;
    DBusNotificationCenter(const DBusNotificationCenter&) = delete;
    DBusNotificationCenter& operator=(const DBusNotificationCenter&) = delete;

    void post(const std::string& name, const std::string& object) override;
    // The observer runs on the default main context.
    Token addObserver(const std::string& name, Observer observer) override;
    void removeObserver(Token token) override;

    // Whether the session bus was reached.
    bool isConnected() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace quillet::platform
