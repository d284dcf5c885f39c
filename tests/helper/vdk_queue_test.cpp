#include "helper/core/watch/vdk_queue.h"

#include "fake_file_event_source.h"
#include "fake_main_queue.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quillet::helper {
namespace {

using test::FakeFileEventSource;
using test::FakeFileEventState;
using test::FakeMainQueue;

struct Received {
    std::string name;
    std::string path;
    bool operator==(const Received&) const = default;
};

class RecordingDelegate final : public VDKQueueDelegate {
public:
    void VDKQueueReceivedNotification(VDKQueue&, const std::string& name,
                                      const std::string& path) override {
        received.push_back({name, path});
    }
    std::vector<Received> received;
};

class VDKQueueTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeFileEventState> state = std::make_shared<FakeFileEventState>();
    FakeMainQueue mainQueue;
    std::unique_ptr<VDKQueue> queue =
        VDKQueue::create(std::make_unique<FakeFileEventSource>(state), mainQueue);

    FileEventSource::Handle handleOf(const std::string& path) {
        std::lock_guard guard(state->mutex);
        for (const auto& [h, p] : state->open) {
            if (p == path) {
                return h;
            }
        }
        return -1;
    }
    std::uint32_t flagsOf(const std::string& path) {
        auto h = handleOf(path);
        std::lock_guard guard(state->mutex);
        return state->flags[h];
    }
};

TEST(VDKQueueNamesTest, OneEventsNamesComeInTheFixedOrder) {
    EXPECT_EQ(notificationNamesForFlags(vnode::kWrite | vnode::kRename),
              (std::vector<std::string>{kVDKQueueRenameNotification, kVDKQueueWriteNotification}));
    EXPECT_EQ(
        notificationNamesForFlags(vnode::kAll),
        (std::vector<std::string>{
            kVDKQueueRenameNotification, kVDKQueueWriteNotification, kVDKQueueDeleteNotification,
            kVDKQueueAttributeChangeNotification, kVDKQueueSizeIncreaseNotification,
            kVDKQueueLinkCountChangeNotification, kVDKQueueAccessRevocationNotification}));
    EXPECT_TRUE(notificationNamesForFlags(0).empty());
}

TEST_F(VDKQueueTest, NoEventSourceMeansNoQueue) {
    EXPECT_EQ(VDKQueue::create(nullptr, mainQueue), nullptr);
}

TEST_F(VDKQueueTest, AddPathKeepsExistingFlagsWhileTheWorkerMergesThem) {
    ASSERT_NE(queue, nullptr);
    ASSERT_TRUE(queue->addPath("/exe", vnode::kDelete | vnode::kWrite | vnode::kRename));
    EXPECT_EQ(flagsOf("/exe"), 0x23u);
    ASSERT_TRUE(queue->addPath("/exe", vnode::kAttrib)); // already watched: unchanged
    EXPECT_EQ(flagsOf("/exe"), 0x23u);
    EXPECT_EQ(queue->addPathToQueue("/exe", vnode::kAttrib).value()->subscriptionFlags(), 0x2Bu);
    EXPECT_EQ(flagsOf("/exe"), 0x2Bu);
    // Asking for flags it already has changes nothing and opens nothing new.
    auto* entry = queue->addPathToQueue("/exe", vnode::kWrite).value();
    EXPECT_EQ(entry->subscriptionFlags(), 0x2Bu);
    EXPECT_EQ(queue->numberOfWatchedPaths(), 1u);

    ASSERT_TRUE(queue->addPath("/other"));
    EXPECT_EQ(flagsOf("/other"), vnode::kAll);
    ASSERT_TRUE(queue->addPath(""));
    EXPECT_EQ(queue->numberOfWatchedPaths(), 2u);
}

TEST_F(VDKQueueTest, APathThatCannotBeOpenedIsNotWatchedAndStartsNoThread) {
    state->missing.insert("/gone");
    Status added = queue->addPath("/gone");
    ASSERT_FALSE(added);
    EXPECT_EQ(added.error().path(), "/gone");
    EXPECT_FALSE(queue->addPathToQueue("/gone", vnode::kAll));
    EXPECT_EQ(queue->numberOfWatchedPaths(), 0u);
    EXPECT_FALSE(queue->isWatcherThreadRunning());
}

TEST_F(VDKQueueTest, RemovingAPathClosesItsHandle) {
    ASSERT_TRUE(queue->addPath("/a"));
    ASSERT_TRUE(queue->addPath("/b"));
    queue->removePath("/a");
    EXPECT_EQ(handleOf("/a"), -1);
    EXPECT_NE(handleOf("/b"), -1);
    queue->removeAllPaths();
    EXPECT_EQ(queue->numberOfWatchedPaths(), 0u);
    std::lock_guard guard(state->mutex);
    EXPECT_TRUE(state->open.empty());
}

TEST_F(VDKQueueTest, EventsReachTheDelegateOnTheMainQueueInOrder) {
    RecordingDelegate delegate;
    queue->setDelegate(&delegate);
    std::vector<Received> posted;
    queue->setNotificationPoster([&](const std::string& name, const std::string& path) {
        posted.push_back({name, path});
    });
    ASSERT_TRUE(queue->addPath("/exe", 0x23));
    ASSERT_TRUE(queue->isWatcherThreadRunning());

    FakeFileEventSource::push(*state, handleOf("/exe"), vnode::kWrite | vnode::kRename);
    ASSERT_TRUE(mainQueue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(delegate.received, (std::vector<Received>{{kVDKQueueRenameNotification, "/exe"},
                                                        {kVDKQueueWriteNotification, "/exe"}}));
    // With a delegate, nothing is posted unless asked for.
    EXPECT_TRUE(posted.empty());

    queue->setAlwaysPostNotifications(true);
    FakeFileEventSource::push(*state, handleOf("/exe"), vnode::kDelete);
    ASSERT_TRUE(mainQueue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(posted, (std::vector<Received>{{kVDKQueueDeleteNotification, "/exe"}}));
    EXPECT_EQ(delegate.received.size(), 3u);
}

TEST_F(VDKQueueTest, WithoutDelegateEventsArePosted) {
    std::vector<Received> posted;
    queue->setNotificationPoster([&](const std::string& name, const std::string& path) {
        posted.push_back({name, path});
    });
    ASSERT_TRUE(queue->addPath("/f"));
    FakeFileEventSource::push(*state, handleOf("/f"), vnode::kAttrib | vnode::kLink);
    ASSERT_TRUE(mainQueue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(posted, (std::vector<Received>{{kVDKQueueAttributeChangeNotification, "/f"},
                                             {kVDKQueueLinkCountChangeNotification, "/f"}}));
}

TEST_F(VDKQueueTest, EventsOfRemovedPathsOrWithoutFlagsAreSkipped) {
    RecordingDelegate delegate;
    queue->setDelegate(&delegate);
    ASSERT_TRUE(queue->addPath("/a"));
    ASSERT_TRUE(queue->addPath("/b"));
    auto a = handleOf("/a");
    queue->removePath("/a");
    FakeFileEventSource::push(*state, a, vnode::kWrite);
    FakeFileEventSource::push(*state, handleOf("/b"), 0);
    FakeFileEventSource::push(*state, handleOf("/b"), vnode::kExtend);
    ASSERT_TRUE(mainQueue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(delegate.received,
              (std::vector<Received>{{kVDKQueueSizeIncreaseNotification, "/b"}}));
}

TEST_F(VDKQueueTest, RemovingTheLastPathKeepsTheThreadAndDestructionStopsIt) {
    ASSERT_TRUE(queue->addPath("/a"));
    queue->removeAllPaths();
    EXPECT_TRUE(queue->isWatcherThreadRunning());
    // Events handed to the main queue before destruction are dropped after it.
    RecordingDelegate delegate;
    queue->setDelegate(&delegate);
    ASSERT_TRUE(queue->addPath("/a"));
    FakeFileEventSource::push(*state, handleOf("/a"), vnode::kWrite);
    // Let the watcher hand the event over, then destroy before it runs.
    for (int i = 0; i < 500 && mainQueue.pendingCount() == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_EQ(mainQueue.pendingCount(), 1u);
    queue.reset(); // joins the watcher thread; returns within about a second
    {
        std::lock_guard guard(state->mutex);
        EXPECT_TRUE(state->destroyed);
    }
    mainQueue.runPending();
    EXPECT_TRUE(delegate.received.empty());
}

class DestroyingDelegate final : public VDKQueueDelegate {
public:
    explicit DestroyingDelegate(std::unique_ptr<VDKQueue>& owner) : owner_(owner) {}
    void VDKQueueReceivedNotification(VDKQueue&, const std::string&, const std::string&) override {
        ++calls;
        owner_.reset();
    }
    int calls = 0;

private:
    std::unique_ptr<VDKQueue>& owner_;
};

TEST_F(VDKQueueTest, ADelegateMayDestroyTheQueueInItsReaction) {
    DestroyingDelegate delegate(queue);
    queue->setDelegate(&delegate);
    ASSERT_TRUE(queue->addPath("/exe"));
    FakeFileEventSource::push(*state, handleOf("/exe"), vnode::kRename | vnode::kWrite);
    ASSERT_TRUE(mainQueue.waitAndRunPending(std::chrono::seconds(5)));
    EXPECT_EQ(delegate.calls, 1); // the second name is not delivered to a dead queue
    EXPECT_EQ(queue, nullptr);
}

} // namespace
} // namespace quillet::helper
