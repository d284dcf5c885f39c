#include "icon_cache.h"

#include "shared/records.h"

namespace quillet {

IconCache::Table iconTableFor(const Value& fileTemplates, const FileTypes& fileTypes) {
    IconCache::Table table;
    for (const auto& record : fileTemplatesFrom(fileTemplates)) {
        if (!record || !record->enabled || record->suffix.empty()) {
            continue;
        }
        if (auto icon = fileTypes.iconNameForExtension(record->suffix)) {
            table[record->suffix] = *icon;
        }
    }
    return table;
}

IconCache::IconCache(const FileTypes& fileTypes, TemplatesReader readTemplates)
    : fileTypes_(fileTypes), readTemplates_(std::move(readTemplates)),
      table_(std::make_shared<const Table>()) {}

IconCache::~IconCache() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (worker_.joinable()) {
        worker_.join();
    }
}

void IconCache::rebuild() {
    std::lock_guard lock(mutex_);
    if (stopping_) {
        return;
    }
    pending_ = true;
    if (!worker_.joinable()) {
        // One long-lived worker: a thread per request could pile up when
        // refresh notifications arrive in a burst.
        worker_ = std::thread([this] { run(); });
    }
    changed_.notify_all();
}

void IconCache::run() {
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [this] { return pending_ || stopping_; });
        if (stopping_) {
            return;
        }
        pending_ = false;
        busy_ = true;
        lock.unlock();
        std::shared_ptr<const Table> built;
        try {
            built = std::make_shared<const Table>(build());
        } catch (...) {
            // An unreadable store or an allocation failure keeps the old
            // table; the next refresh tries again.
        }
        lock.lock();
        if (built) {
            table_ = std::move(built);
        }
        busy_ = false;
        changed_.notify_all();
    }
}

IconCache::Table IconCache::build() const {
    return iconTableFor(readTemplates_ ? readTemplates_() : Value(), fileTypes_);
}

std::shared_ptr<const IconCache::Table> IconCache::table() const {
    std::lock_guard lock(mutex_);
    return table_;
}

std::optional<std::string> IconCache::iconNameForSuffix(const std::string& suffix) const {
    auto current = table();
    auto it = current->find(suffix);
    if (it == current->end()) {
        return std::nullopt;
    }
    return it->second;
}

bool IconCache::waitUntilIdle(std::chrono::milliseconds timeout) const {
    std::unique_lock lock(mutex_);
    return changed_.wait_for(lock, timeout, [this] { return (!pending_ && !busy_) || stopping_; });
}

} // namespace quillet
