// The new-file panel: a save dialog that asks for the new item's name and lets
// the user switch template before confirming.
#pragma once

#include "helper/core/new_file_panel_host.h"
#include "shared/ports/file_types.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <string>

namespace quillet::helper {

// Runs the panel modally for a request in `folder` with the template record
// (the dictionary as stored in `fileTemplates`). Returns when the dialog has
// closed; the panel count stays raised until the outcome is settled (which may
// be after a delayed failure alert). Without a display the panel counts as
// cancelled.
void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store, const std::string& folder,
                      const Value& templateRecord);

// The same, with the desktop's file types for the chooser's icons (when
// null, the icons come from Qt's MIME database).
void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store, const std::string& folder,
                      const Value& templateRecord, const FileTypes* fileTypes);

} // namespace quillet::helper
