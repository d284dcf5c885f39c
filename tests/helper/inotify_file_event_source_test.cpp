// The kernel watch itself: what inotify reports, in vnode terms.
#include "platform/linux/inotify_file_event_source.h"

#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace quillet::platform {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class InotifyTest : public ::testing::Test {
protected:
    test::TempXdg xdg;
    std::string dir = xdg.makeDir("watched");
    std::string file = dir + "/exe";
    std::unique_ptr<InotifyFileEventSource> source = [] {
        auto created = InotifyFileEventSource::create();
        return created ? std::move(*created) : nullptr;
    }();

    void SetUp() override {
        ASSERT_NE(source, nullptr);
        std::ofstream(file) << "old";
    }

    // Every flag reported for the handle until the events stop coming.
    std::uint32_t collect(FileEventSource::Handle handle) {
        std::uint32_t flags = 0;
        auto first = source->wait(2000ms);
        while (first) {
            if (first->handle == handle) {
                flags |= first->flags;
            }
            first = source->wait(100ms);
        }
        return flags;
    }

    FileEventSource::Handle watch(std::uint32_t flags) {
        auto h = source->open(file);
        if (!h) {
            ADD_FAILURE() << h.error().logText();
            return -1;
        }
        EXPECT_TRUE(source->subscribe(*h, flags));
        return *h;
    }
};

TEST_F(InotifyTest, AMissingPathCannotBeOpened) {
    auto absent = source->open(dir + "/absent");
    ASSERT_FALSE(absent);
    EXPECT_EQ(absent.error().code(), std::errc::no_such_file_or_directory);
}

TEST_F(InotifyTest, WritingReportsWriteAndGrowthExtend) {
    auto h = watch(vnode::kAll);
    std::ofstream(file, std::ios::app) << "more";
    EXPECT_EQ(collect(h) & (vnode::kWrite | vnode::kExtend), vnode::kWrite | vnode::kExtend);
}

TEST_F(InotifyTest, ChmodReportsAttributes) {
    auto h = watch(vnode::kAll);
    ::chmod(file.c_str(), 0700);
    EXPECT_EQ(collect(h), vnode::kAttrib);
}

TEST_F(InotifyTest, RemovingTheLastNameReportsDeleteAndLink) {
    auto h = watch(vnode::kAll);
    ::unlink(file.c_str());
    EXPECT_EQ(collect(h), vnode::kDelete | vnode::kLink);
}

TEST_F(InotifyTest, AnExtraHardLinkReportsLinkOnly) {
    auto h = watch(vnode::kAll);
    ::link(file.c_str(), (dir + "/second").c_str());
    EXPECT_EQ(collect(h), vnode::kLink);
}

TEST_F(InotifyTest, MovingTheFileAwayReportsRename) {
    auto h = watch(vnode::kAll);
    ::rename(file.c_str(), (dir + "/moved").c_str());
    EXPECT_EQ(collect(h), vnode::kRename);
}

// "mv new exe": the watched inode is not moved, it loses its name.
TEST_F(InotifyTest, ReplacingTheFileByRenameReportsDelete) {
    auto h = watch(vnode::kDelete | vnode::kWrite | vnode::kRename);
    std::ofstream(dir + "/new") << "new";
    ::rename((dir + "/new").c_str(), file.c_str());
    EXPECT_EQ(collect(h), vnode::kDelete);
}

TEST_F(InotifyTest, OnlySubscribedFlagsAreReported) {
    auto h = watch(vnode::kRename);
    ::chmod(file.c_str(), 0600);
    std::ofstream(file, std::ios::app) << "x";
    EXPECT_EQ(collect(h), 0u);
    EXPECT_TRUE(source->subscribe(h, vnode::kRename | vnode::kAttrib));
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(collect(h), vnode::kAttrib);
}

TEST_F(InotifyTest, TwoHandlesOnOneFileEachGetTheirOwnFlags) {
    auto a = watch(vnode::kWrite);
    auto b = watch(vnode::kAttrib);
    ASSERT_NE(a, b);
    std::ofstream(file, std::ios::app) << "x";
    ::chmod(file.c_str(), 0600);
    std::uint32_t fa = 0;
    std::uint32_t fb = 0;
    for (auto e = source->wait(2000ms); e; e = source->wait(100ms)) {
        (e->handle == a ? fa : fb) |= e->flags;
    }
    EXPECT_EQ(fa, vnode::kWrite);
    EXPECT_EQ(fb, vnode::kAttrib);
    source->close(a);
    std::ofstream(file, std::ios::app) << "y";
    ::chmod(file.c_str(), 0644);
    EXPECT_EQ(collect(b), vnode::kAttrib);
}

TEST_F(InotifyTest, AClosedHandleReportsNothing) {
    auto h = watch(vnode::kAll);
    source->close(h);
    std::ofstream(file, std::ios::app) << "x";
    EXPECT_FALSE(source->wait(300ms).has_value());
}

} // namespace
} // namespace quillet::platform
