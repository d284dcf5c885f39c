#include "fake_notification_center.h"

#include "fake_main_queue.h"

namespace quillet::test {

FakeNotificationCenter::FakeNotificationCenter(FakeMainQueue& queue)
    : LocalNotificationCenter(queue) {}

void FakeNotificationCenter::post(const std::string& name, const std::string& object) {
    posts_.push_back({name, object});
    // A notification arriving from another program goes through deliver():
    // delivered, not recorded.
    deliver(name, object);
}

} // namespace quillet::test
