// A notification center inside the test process: the in-process centre that
// also records what is posted. It delivers at once, or through a fake main
// queue as the real centres do through the main loop.
#pragma once

#include "shared/local_notification_center.h"

#include <string>
#include <vector>

namespace quillet::test {

class FakeMainQueue;

class FakeNotificationCenter final : public LocalNotificationCenter {
public:
    struct Posted {
        std::string name;
        std::string object;
        bool operator==(const Posted&) const = default;
    };

    // Delivers synchronously inside post().
    FakeNotificationCenter() = default;
    // Delivers through the queue.
    explicit FakeNotificationCenter(FakeMainQueue& queue);

    void post(const std::string& name, const std::string& object) override;

    const std::vector<Posted>& posts() const { return posts_; }
    void clearPosts() { posts_.clear(); }

private:
    std::vector<Posted> posts_;
};

} // namespace quillet::test
