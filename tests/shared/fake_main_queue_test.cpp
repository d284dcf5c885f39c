// The virtual-clock queue every subsystem's tests rely on.
#include "support/fake_main_queue.h"
#include "support/fake_notification_center.h"

#include <gtest/gtest.h>

#include <thread>

using namespace std::chrono_literals;
using quillet::test::FakeMainQueue;

TEST(FakeMainQueue, RunsDueTasksInTimeOrder) {
    FakeMainQueue queue;
    std::vector<std::string> ran;
    queue.postAfter(300ms, [&] { ran.push_back("300"); });
    queue.post([&] { ran.push_back("now"); });
    queue.postAfter(100ms, [&] {
        ran.push_back("100");
        queue.postAfter(100ms, [&] { ran.push_back("100+100"); });
    });
    EXPECT_EQ(queue.pendingCount(), 3u);
    queue.advance(250ms);
    EXPECT_EQ(ran, (std::vector<std::string>{"now", "100", "100+100"}));
    EXPECT_EQ(queue.now(), 250ms);
    queue.advance(50ms);
    EXPECT_EQ(ran.back(), "300");
    EXPECT_EQ(queue.pendingCount(), 0u);
}

TEST(FakeMainQueue, RunPendingLeavesTheFutureAlone) {
    FakeMainQueue queue;
    int now = 0;
    int later = 0;
    queue.post([&] { ++now; });
    queue.postAfter(11000ms, [&] { ++later; });
    EXPECT_EQ(queue.runPending(), 1u);
    EXPECT_EQ(now, 1);
    EXPECT_EQ(later, 0);
    EXPECT_EQ(queue.now(), 0ms);
}

TEST(FakeMainQueue, TakesWorkFromOtherThreads) {
    FakeMainQueue queue;
    bool ran = false;
    std::thread worker([&] { queue.post([&] { ran = true; }); });
    EXPECT_TRUE(queue.waitAndRunPending(5000ms));
    worker.join();
    EXPECT_TRUE(ran);
}

TEST(FakeNotificationCenter, DeliversThroughTheQueueAndRecords) {
    FakeMainQueue queue;
    quillet::test::FakeNotificationCenter center(queue);
    std::vector<std::string> got;
    auto token = center.addObserver(
        "n", [&](const std::string&, const std::string& object) { got.push_back(object); });
    center.post("n", "a");
    center.post("other", "b");
    EXPECT_TRUE(got.empty()) << "delivery waits for the main queue";
    queue.runPending();
    EXPECT_EQ(got, std::vector<std::string>{"a"});
    EXPECT_EQ(center.posts().size(), 2u);
    center.removeObserver(token);
    center.post("n", "c");
    queue.runPending();
    EXPECT_EQ(got.size(), 1u);
}
