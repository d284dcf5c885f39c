// Icon names of the templates' file types, worked out off the main thread so
// that building a menu costs one lookup per entry. Readers always see a
// complete table: a rebuild fills a new one and publishes it whole.
#pragma once

#include "shared/ports/file_types.h"
#include "shared/value.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace quillet {

class IconCache {
public:
    using Table = std::map<std::string, std::string>; // suffix -> icon name
    // Reads `fileTemplates`; called on the worker thread.
    using TemplatesReader = std::function<Value()>;

    IconCache(const FileTypes& fileTypes, TemplatesReader readTemplates);
    // Waits for a rebuild in progress; nothing runs after destruction.
    ~IconCache();

    IconCache(const IconCache&) = delete;
    IconCache& operator=(const IconCache&) = delete;

    // Returns at once. Requests made while a rebuild runs fold into one more.
    void rebuild();

    std::shared_ptr<const Table> table() const;
    std::optional<std::string> iconNameForSuffix(const std::string& suffix) const;

    // For tests and benchmarks: blocks until no rebuild is pending or running.
    bool waitUntilIdle(std::chrono::milliseconds timeout) const;

private:
    void run();
    Table build() const;

    const FileTypes& fileTypes_;
    TemplatesReader readTemplates_;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    std::shared_ptr<const Table> table_;
    bool pending_ = false;
    bool busy_ = false;
    bool stopping_ = false;
    std::thread worker_;
};

// The table a rebuild publishes: enabled records with a suffix whose type has
// an icon; records sharing a suffix share one entry.
IconCache::Table iconTableFor(const Value& fileTemplates, const FileTypes& fileTypes);

} // namespace quillet
