// Notifications inside one process: what a window posts reaches the
// observers of this program only, never the other programs of the suite.
// Delivery is synchronous inside post(), or through a main queue when one is
// given (then an observer never runs inside the poster's call).
#pragma once

#include "ports/main_queue.h"
#include "ports/notification_center.h"

#include <cstddef>
#include <map>
#include <memory>
#include <string>

namespace quillet {

class LocalNotificationCenter : public NotificationCenter {
public:
    LocalNotificationCenter();
    explicit LocalNotificationCenter(MainQueue& queue);
    ~LocalNotificationCenter() override;
    LocalNotificationCenter(const LocalNotificationCenter&) = delete;
    LocalNotificationCenter& operator=(const LocalNotificationCenter&) = delete;

    void post(const std::string& name, const std::string& object) override;
    Token addObserver(const std::string& name, Observer observer) override;
    void removeObserver(Token token) override;

    // Hands the notification to the observers without anything else a
    // subclass does on post() (recording, forwarding).
    void deliver(const std::string& name, const std::string& object);

    std::size_t observerCount() const;

private:
    struct State {
        std::map<Token, std::pair<std::string, Observer>> observers;
        Token nextToken = 1;
    };
    static void dispatch(State& state, const std::string& name, const std::string& object);

    MainQueue* queue_ = nullptr;
    // Queued deliveries hold it weakly: a centre that is gone delivers nothing.
    std::shared_ptr<State> state_;
};

} // namespace quillet
