// One run of the new-file panel, from raising the panel count to settling
// the outcome. The dialog itself is behind NewFileDialogPresenter, so the
// rules here are tested without a display.
#pragma once

#include "helper/core/new_file_panel/new_file_panel_model.h"
#include "helper/core/new_file_panel_host.h"
#include "shared/files/safe_create.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <optional>
#include <string>

namespace quillet::helper {

struct ConfirmedItem {
    std::string path;
    // The user agreed to replace what was at the path when confirming. When
    // false, an item that appears there meanwhile is never overwritten.
    bool replaceConfirmed = false;
};

class NewFileDialogPresenter {
public:
    virtual ~NewFileDialogPresenter() = default;
    // Shows the dialog for the model, modally, and returns once it has
    // closed: the confirmed item, or nothing when the user cancelled or no
    // dialog could be shown.
    virtual std::optional<ConfirmedItem> run(NewFilePanelModel& model) = 0;
};

// The texts of the session's alerts (English; the host translates them).
inline constexpr const char* kErrorRemovingExistingFile = "Error removing existing file!";
inline constexpr const char* kErrorCreatingFile = "Error creating file!";
inline constexpr const char* kUnableToCreateFile = "Unable to create file!";
inline constexpr const char* kNoSuitableTemplate = "No suitable file template found.";

// The panel count is raised for the whole call and stays raised until the
// outcome is settled: lowered after the finishing steps, at once on cancel,
// or by the host once a failure alert has been dismissed.
void runNewFileSession(NewFilePanelHost& host, const SettingsStore& store,
                       const std::string& folder, const Value& templateRecord,
                       NewFileDialogPresenter& presenter, const CopyStep& copy = copyNewItem);

} // namespace quillet::helper
