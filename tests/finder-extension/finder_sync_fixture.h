// A FinderSync wired to fakes, over a store in a throw-away home.
#pragma once

#include "support/fake_file_types.h"
#include "support/fake_main_queue.h"
#include "support/fake_notification_center.h"
#include "support/fake_request_sender.h"
#include "support/fake_volume_monitor.h"
#include "support/temp_xdg.h"

#include "finder-extension/core/finder_sync.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/xdg_paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillet::test {

inline Value templateRecord(const std::string& title, const std::string& suffix,
                            bool enabled = true) {
    return FileTemplate{.enabled = enabled,
                        .title = title,
                        .filePath = "/templates/" + title,
                        .prefix = "untitled",
                        .suffix = suffix}
        .toValue();
}

inline Value location(const std::string& path, bool enabled = true) {
    return Value::Dictionary{{keys::kPath, path}, {keys::kEnabled, enabled}};
}

class FinderSyncFixture : public ::testing::Test {
protected:
    void set(const std::string& key, const Value& value) {
        const Status written = writer->setObject(key, value);
        ASSERT_TRUE(written) << written.error().logText();
    }

    // Starts the extension; `defaults` are written as its registered defaults.
    void start(const Value::Dictionary& defaults = {}) {
        FinderSyncOptions options;
        options.mediaRoots = [this] {
            if (beforeDriveScan) {
                beforeDriveScan();
            }
            return mediaRoots;
        };
        if (!defaults.empty()) {
            options.defaultsFile = xdg.root() + "/Defaults.json";
            auto store = SettingsStore::atPath(options.defaultsFile);
            for (const auto& [key, value] : defaults) {
                ASSERT_TRUE(store.setObject(key, value));
            }
        }
        sync = std::make_unique<FinderSync>(
            FinderSyncPorts{notifications, volumes, queue, fileTypes, sender, translate},
            std::move(options));
    }

    // A refresh notification from the main application.
    void refresh(const std::string& key) {
        notifications.deliver(ids::kSuiteName, key);
        queue.runPending();
    }

    std::vector<std::string> served() const { return sync->directoryURLs().folders(); }

    // The drives are listed on a worker thread: runs what it hands over until
    // the served folders are the expected ones. False when they never are.
    bool servedBecomes(const std::vector<std::string>& expected) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (served() != expected) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            queue.waitAndRunPending(std::chrono::milliseconds(20));
        }
        return true;
    }

    TempXdg xdg;
    std::unique_ptr<SettingsStore> writer = std::make_unique<SettingsStore>(ids::kSuiteName);
    FakeMainQueue queue;
    FakeNotificationCenter notifications{queue};
    FakeVolumeMonitor volumes{queue};
    FakeFileTypes fileTypes;
    FakeRequestSender sender;
    Translator translate;
    std::vector<std::string> mediaRoots;
    // Runs on the drive scan's worker thread before it looks at the roots.
    std::function<void()> beforeDriveScan;
    std::unique_ptr<FinderSync> sync;
};

} // namespace quillet::test
