// The rules of the Templates pane, without a widget: the working copy of
// `fileTemplates`, its columns, in-place edits, reordering, adding files into
// the templates folder, removal, saving with both notifications, and which
// actions are enabled. The Qt pane only shows it and forwards the user's acts.
#pragma once

#include "record_list_model.h"

#include "shared/localized_strings.h"
#include "shared/ports/file_types.h"
#include "shared/ports/notification_center.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace quillet::app {

enum class TemplateColumn { Enabled, Title, Prefix, Suffix, Executable, Shortcut };

struct TemplatesModelPorts {
    NotificationCenter& notifications;      // the refresh notification
    NotificationCenter& localNotifications; // "templatesDidSave"
    const FileTypes& fileTypes;
    Translator translate;
    Workspace& workspace; // the trash, where removed templates' files go
};

// `title`, or when another template has it, "title 2", "title 3", ...: the
// first that none of `taken` is.
std::string distinctTitle(const std::string& title, const std::set<std::string>& taken);

class TemplatesModel final : public RecordListModel {
public:
    static constexpr const char* kTemplatesDidSave = "templatesDidSave";
    static const std::vector<TemplateColumn>& columns();
    static std::string identifier(TemplateColumn column); // the record key

    // Reads `fileTemplates` from the store, which the model keeps.
    TemplatesModel(SettingsStore store, TemplatesModelPorts ports, std::string templatesDir);

    const std::string& templatesDir() const { return templatesDir_; }

    // What the cell shows: a boolean, a string, or null (no shortcut).
    Value valueAt(std::size_t row, TemplateColumn column) const;
    // The translated tool tip; the title column shows the record's filePath.
    std::string toolTip(std::size_t row, TemplateColumn column) const;

    // An empty string is refused except for the suffix; an equal value is a
    // no-op. True when the record changed (and was saved).
    bool setValue(std::size_t row, TemplateColumn column, const Value& value);
    // The shortcut sheet's result: the whole list, as it is to be stored.
    void replaceRecords(const Value::Array& records);

    // Whether no record's filePath is exactly this path.
    bool isNewTemplate(const std::string& path) const;
    // Adds files and folders at the end (copying those from elsewhere into
    // the templates folder) and saves, also when nothing was added. Returns
    // how many were added; they are the last rows.
    std::size_t addFileTemplates(const std::vector<std::string>& paths);

    // Removes the records and saves. A record's file is deleted only when it
    // lies inside the templates folder: a record may point at a user's own
    // document elsewhere, which must survive.
    void removeRows(const std::set<std::size_t>& rows) override;
    // How many of these rows' files removeRows would move to the trash, so
    // that the question asked first says what becomes of them.
    std::size_t countTrashedOnRemoval(const std::set<std::size_t>& rows) const;

    const SettingsStore& store() const { return store_; }

    // Variables (templates_model_options.cpp): the names in braces of the
    // row's prefix that are no variables, which the pane marks as mistakes.
    std::vector<std::string> unknownVariablesAt(std::size_t row) const;
    // Whether the new file's text gets the variables filled in; saved.
    bool setExpandsVariables(std::size_t row, bool expands);

    // Folders (templates_model_options.cpp): the served folders the row's
    // template is kept for; none: everywhere.
    std::vector<std::string> limitedToPathsAt(std::size_t row) const;
    // Saves the choice; an empty one removes the key (offered everywhere).
    bool setLimitedToPaths(std::size_t row, const std::vector<std::string>& folders);
    // What the pane offers to choose from: the Locations list's folders, then
    // any the row names that the list no longer holds.
    std::vector<std::string> folderChoicesFor(std::size_t row) const;

    // The items of the desktop's templates folder that no row points at yet.
    std::vector<Value> unlistedTemplatesFolderRecords(const std::string& folder) const;
    // Appends the records (items referenced where they are, not copied) and
    // saves; returns how many were added, the last rows.
    std::size_t addReferencedTemplates(const std::vector<Value>& records);

private:
    std::vector<Value> readStored() const override;
    // Stores the whole list, then posts the refresh notification and
    // "templatesDidSave"; nothing is posted when the store refused.
    [[nodiscard]] Status write() override;
    bool insideTemplatesDir(const std::string& path) const;
    // The one rule of removeRows and of the question asked before it.
    bool trashedOnRemoval(std::size_t row) const;
    std::optional<Value> recordForFile(const std::string& path);

    mutable SettingsStore store_;
    TemplatesModelPorts ports_;
    std::string templatesDir_;
};

} // namespace quillet::app
