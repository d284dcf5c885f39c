// A notification center inside the test process: it records what is posted
// and delivers it to the observers, at once or through a fake main queue.
#pragma once

#include "shared/ports/notification_center.h"

#include <map>
#include <string>
#include <vector>

namespace quillet::test {

class FakeMainQueue;

class FakeNotificationCenter final : public NotificationCenter {
public:
    struct Posted {
        std::string name;
        std::string object;
        bool operator==(const Posted&) const = default;
    };

    // Delivers synchronously inside post().
    FakeNotificationCenter() = default;
    // Delivers through the queue, as the real center does through the main loop.
    explicit FakeNotificationCenter(FakeMainQueue& queue) : queue_(&queue) {}

    void post(const std::string& name, const std::string& object) override;
    Token addObserver(const std::string& name, Observer observer) override;
    void removeObserver(Token token) override;

    // A notification arriving from another program: delivered, not recorded.
    void deliver(const std::string& name, const std::string& object);

    const std::vector<Posted>& posts() const { return posts_; }
    void clearPosts() { posts_.clear(); }
    std::size_t observerCount() const { return observers_.size(); }

private:
    void dispatch(const std::string& name, const std::string& object);

    FakeMainQueue* queue_ = nullptr;
    std::vector<Posted> posts_;
    std::map<Token, std::pair<std::string, Observer>> observers_;
    Token nextToken_ = 1;
};

} // namespace quillet::test
