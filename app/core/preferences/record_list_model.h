// A table of store records edited as a working copy: row i is element i of the
// array kept under one key. Every change writes the whole array back. The
// copy is read again when another program announces a change of the key and
// no edit is in progress, so that the next save does not overwrite it.
#pragma once

#include "row_reorder.h"

#include "shared/ports/notification_center.h"
#include "shared/value.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quillet::app {

class RecordListModel {
public:
    virtual ~RecordListModel();
    RecordListModel(const RecordListModel&) = delete;
    RecordListModel& operator=(const RecordListModel&) = delete;

    const std::string& key() const { return key_; }
    std::size_t count() const { return records_.size(); }
    const std::vector<Value>& records() const { return records_; }
    std::string stringAt(std::size_t row, const char* field) const;
    bool boolAt(std::size_t row, const char* field) const;

    // Moves the rows into the gap before dropRow and saves; the result tells
    // where the moved rows now stand.
    RowMove moveRows(const std::set<std::size_t>& rows, std::size_t dropRow);

    // Re-reads the array; true when it differs from the working copy.
    bool reload();
    // `canReload` may veto a reload (an edit is in progress); `didReload`
    // runs after a reload that changed the copy.
    void setExternalChangeHandlers(std::function<bool()> canReload,
                                   std::function<void()> didReload);

    // Writes the array and announces it. When the store refuses, nothing is
    // announced, the failure handler hears why, and false is returned.
    bool save();
    void setSaveFailureHandler(std::function<void(const std::string& why)> handler);

protected:
    RecordListModel(NotificationCenter& notifications, std::string key);
    // Call at the end of the subclass's constructor (it reads the store).
    void startObserving();
    virtual std::vector<Value> readStored() const = 0;
    // Writes and announces the array; false with the reason when refused.
    virtual bool write(std::string& why) = 0;

    // Sets one field of a record unless it already holds an equal value;
    // true (and saved) when the record changed.
    bool replaceField(std::size_t row, const std::string& field, const Value& value);

    std::vector<Value> records_;

private:
    NotificationCenter& notifications_;
    std::string key_;
    NotificationCenter::Token token_ = 0;
    bool observing_ = false;
    std::function<bool()> canReload_;
    std::function<void()> didReload_;
    std::function<void(const std::string&)> saveFailed_;
};

} // namespace quillet::app
