// A table of store records edited as a working copy: row i is element i of the
// array kept under one key. Every change writes the whole array back. The
// copy is read again when another program announces a change of the key and
// no edit is in progress, so that the next save does not overwrite it.
#pragma once

#include "row_reorder.h"

#include "shared/error.h"
#include "shared/ports/notification_center.h"
#include "shared/value.h"

#include <cstddef>
#include <functional>
#include <set>
#include <string>
#include <vector>

namespace quillet::app {

// The acts on a list pane's rows whose enabling depends on the selection.
enum class RowAction { Remove, Reveal, EditShortcut, Open, Other };

// Enabled with at least one row selected; Open with exactly one.
bool isRowActionEnabled(RowAction action, std::size_t selectedCount);

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
    // What the record points at, as stored: a path or a "file://" URL.
    std::string storedLocationAt(std::size_t row) const;
    // The same as a path ("file://" URL strings decoded).
    std::string pathAt(std::size_t row) const;

    // Moves the rows into the gap before dropRow and saves; the result tells
    // where the moved rows now stand.
    RowMove moveRows(const std::set<std::size_t>& rows, std::size_t dropRow);
    // Removes the records and saves.
    virtual void removeRows(const std::set<std::size_t>& rows);

    // Re-reads the array; true when it differs from the working copy.
    bool reload();
    // `canReload` may veto a reload (an edit is in progress); `didReload`
    // runs after a reload that changed the copy.
    void setExternalChangeHandlers(std::function<bool()> canReload,
                                   std::function<void()> didReload);

    // Writes the array and announces it. When the store refuses, nothing is
    // announced, and the failure handler hears it as well as the caller: the
    // saves that follow an edit inside the model reach the user through it.
    [[nodiscard]] Status save();
    void setSaveFailureHandler(std::function<void(const Error& failure)> handler);

protected:
    // `locationField` is the record field that holds what a row points at.
    RecordListModel(NotificationCenter& notifications, std::string key, const char* locationField);
    // Call at the end of the subclass's constructor (it reads the store).
    void startObserving();
    virtual std::vector<Value> readStored() const = 0;
    // Writes and announces the array.
    [[nodiscard]] virtual Status write() = 0;
    // save() for the edits whose failure only the handler reports.
    void saveReportingToHandler();

    // Sets one field of a record unless it already holds an equal value;
    // true (and saved) when the record changed.
    bool replaceField(std::size_t row, const std::string& field, const Value& value);

    std::vector<Value> records_;

private:
    NotificationCenter& notifications_;
    std::string key_;
    const char* locationField_;
    NotificationCenter::Token token_ = 0;
    bool observing_ = false;
    std::function<bool()> canReload_;
    std::function<void()> didReload_;
    std::function<void(const Error&)> saveFailed_;
};

} // namespace quillet::app
