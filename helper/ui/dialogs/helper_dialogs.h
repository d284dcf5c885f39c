// The helper's windows behind one small interface, so that the program can
// keep the widget toolkit out of its process until a window is needed: the
// Qt implementation lives in a module the helper opens on first use.
#pragma once

#include "helper/core/new_file_panel_host.h"
#include "shared/localized_strings.h"
#include "shared/ports/alerts.h"
#include "shared/ports/file_types.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/panels.h"
#include "shared/ports/workspace.h"
#include "shared/settings_store.h"
#include "shared/value.h"

#include <string>

namespace quillet::helper {

class HelperDialogs {
public:
    virtual ~HelperDialogs() = default;
    virtual Alerts& alerts() = 0;
    virtual Panels& panels() = 0;
    // The new-file panel, run modally (see new_file_panel.h).
    virtual void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store,
                                  const std::string& folder, const Value& record,
                                  const FileTypes* fileTypes) = 0;
    // The user script's manual installation window, run modally.
    virtual void runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                                        Workspace& workspace, const Translator& translate) = 0;
    // Ends every running dialog loop: the program is ending.
    virtual void exitAllEventLoops() = 0;
};

} // namespace quillet::helper

// The module's one entry point; the caller owns the result.
extern "C" quillet::helper::HelperDialogs* quillet_helper_dialogs_create(quillet::MainQueue* queue);
using QuilletHelperDialogsCreate = decltype(&quillet_helper_dialogs_create);
