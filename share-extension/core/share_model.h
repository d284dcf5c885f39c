// The share entry's logic: the templates offered, the shared item, and the
// creation request sent for the chosen row. No toolkit here.
#pragma once

#include "shared/error.h"
#include "shared/records.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet::share {

// The local path an argument names: a path (a relative one is taken from
// `currentDir`) or a "file:" URI, with "." and ".." resolved and no trailing
// slash. Fails for other URIs and empty text.
[[nodiscard]] Expected<std::string> pathFromArgument(const std::string& argument,
                                                     const std::string& currentDir);

// Where the new item goes: beside a file; into a folder (also what a path
// where nothing exists is taken for).
std::string targetFolder(const std::string& selectedPath);

class ShareModel {
public:
    // The whole `fileTemplates` array and, as rows, its enabled records
    // offered in the shared item's target folder (all while none is known).
    void loadTemplates(const SettingsStore& sharedDefaults);
    // The shared items; with several, the last one that names an existing
    // item wins, and the rows then follow its target folder. Those that name
    // none are kept in refusedArguments.
    void loadURLs(const std::vector<std::string>& arguments, const std::string& currentDir);
    // Why each refused argument names nothing to share ("No such file or
    // directory" for one that is not there), in order.
    const std::vector<Error>& refusedArguments() const { return refused_; }

    const Value::Array& allTemplates() const { return allTemplates_; }
    const std::vector<FileTemplate>& templates() const { return templates_; }
    const std::string& selectedPath() const { return selectedPath_; }

    bool hasTemplates() const { return !templates_.empty(); }
    // Whether OK does anything: a shared item and a template to choose.
    bool canSend() const { return !selectedPath_.empty() && hasTemplates(); }

    // The template's position in the whole stored array (disabled records
    // counted), which is what the helper looks templates up by.
    std::optional<std::size_t> templateIndexForRow(std::size_t row) const;
    // The creation request for the row; fails when there is nothing to send
    // (no row chosen, no such row, or no shared item).
    [[nodiscard]] Expected<std::string> requestURLForRow(std::optional<std::size_t> row) const;

private:
    void chooseRows();

    Value::Array allTemplates_;
    std::vector<Value> rows_; // the enabled records as stored
    std::vector<FileTemplate> templates_;
    std::string selectedPath_;
    std::vector<Error> refused_;
};

} // namespace quillet::share
