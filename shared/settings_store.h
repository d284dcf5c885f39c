// The shared settings store: a user-defaults suite kept as one JSON file that
// several processes read and write.
//
// Every setter writes through to disk before it returns (under an exclusive
// lock, re-reading the file first so that keys written meanwhile by another
// process survive), so a notification posted after a setter is never ahead of
// the data. Readers re-read the file only when its identity (inode, size,
// mtime) changed, and look at that identity only when the file's watch
// cannot say that nothing happened to it. Registered defaults live in this
// process only.
#pragma once

#include "error.h"
#include "settings_store_watch.h"
#include "value.h"

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quillet {

class SettingsStore {
public:
    // Opens the suite at $XDG_CONFIG_HOME/quillet/<suiteName>.json.
    explicit SettingsStore(const std::string& suiteName);

    // Opens the store kept in the given file (tests, tools).
    static SettingsStore atPath(const std::string& filePath);

    SettingsStore(const SettingsStore&) = delete;
    SettingsStore& operator=(const SettingsStore&) = delete;
    SettingsStore(SettingsStore&&) noexcept;
    SettingsStore& operator=(SettingsStore&&) = delete;

    const std::string& filePath() const { return path_; }

    // Values consulted when the file has no value for a key; never written.
    void registerDefaults(const Value::Dictionary& defaults);

    // The stored value, else the registered default, else null.
    Value objectForKey(const std::string& key) const;
    // True for any non-zero number; false for absent or non-numeric values.
    bool boolForKey(const std::string& key) const;
    // 0 when absent or not a number.
    std::int64_t integerForKey(const std::string& key) const;
    std::optional<std::string> stringForKey(const std::string& key) const;
    std::optional<Value::Array> arrayForKey(const std::string& key) const;
    std::optional<Value::Dictionary> dictionaryForKey(const std::string& key) const;

    // The stored values alone (no registered defaults), as the file holds them.
    Value::Dictionary storedValues() const;

    // Each setter says whether the value reached the disk; the error's log
    // text names the step that failed ("cannot replace <file>: No space left
    // on device"). On failure the file is left byte-identical and the
    // in-process view is unchanged. Setting a null value removes the key.
    [[nodiscard]] Status setObject(const std::string& key, const Value& value);
    [[nodiscard]] Status setBool(const std::string& key, bool value) {
        return setObject(key, value);
    }
    [[nodiscard]] Status setInteger(const std::string& key, std::int64_t value) {
        return setObject(key, Value(static_cast<long long>(value)));
    }
    [[nodiscard]] Status setString(const std::string& key, const std::string& value) {
        return setObject(key, Value(value));
    }
    [[nodiscard]] Status removeObjectForKey(const std::string& key) {
        return setObject(key, Value());
    }

    // Writes are already durable; this only picks up changes made by others.
    void synchronize();

    // A number that changes whenever the values this handle answers may have
    // changed (the file was replaced or rewritten, a write, new defaults), so
    // that what is derived from them can be kept until then. Costs a stat
    // only when the file's watch saw something happen or cannot tell.
    std::uint64_t generation() const;

    // Whether the file could be read at the last look: an error whose reason
    // says why ("Permission denied", a parse error) when not; success when it
    // was read or is simply absent. The values then read as absent, which is
    // not the same as no settings.
    [[nodiscard]] Status readStatus() const;

    // For a file that is there but does not parse: keeps a copy of it as
    // "<file>.corrupt-<time>" now (a write would do so too) and returns that
    // copy's path; the file itself stays, so that every program keeps
    // refusing it. A copy kept earlier is reused. Fails when the file reads.
    [[nodiscard]] Expected<std::string> keepUnreadableAside();
    // Starts afresh once the user says so: removes the file, if it still is
    // the one kept aside as `aside`, so that the next write makes a new one.
    [[nodiscard]] Status discardUnreadable(const std::string& aside);

private:
    struct FileIdentity {
        bool exists = false;
        dev_t dev = 0;
        ino_t ino = 0;
        off_t size = 0;
        std::int64_t mtimeNs = 0;
        std::int64_t ctimeNs = 0;
        bool operator==(const FileIdentity&) const = default;
    };

    struct PrivateTag {};

public:
    SettingsStore(PrivateTag, std::string filePath);

private:
    void refreshLocked() const;
    Value lookupLocked(const std::string& key) const;

    std::string path_;
    StoreFileWatch watch_;
    mutable std::mutex mutex_;
    mutable Value::Dictionary cache_;
    mutable FileIdentity identity_;
    mutable bool loaded_ = false;
    mutable FileIdentity reportedCorrupt_;
    mutable std::optional<Error> readError_;
    mutable std::uint64_t generation_ = 0;
    Value::Dictionary defaults_;
};

} // namespace quillet
