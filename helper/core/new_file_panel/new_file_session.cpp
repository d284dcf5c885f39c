#include "helper/core/new_file_panel/new_file_session.h"

#include "shared/error_text.h"
#include "shared/files/expanding_copy.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

namespace quillet::helper {

namespace {

// Other panels of the helper open where this one was last pointed.
void rememberFolder(const std::string& folder) {
    SettingsStore defaults = SettingsStore::atPath(paths::privateDefaultsFile(ids::kHelper));
    // Only a convenience for the next panel: a failed write must not stop
    // the creation.
    (void)defaults.setString("NSNavLastRootDirectory", folder);
    (void)defaults.setString("NSNavLastCurrentDirectory", folder);
}

} // namespace

void runNewFileSession(NewFilePanelHost& host, const SettingsStore& store,
                       const std::string& folder, const Value& templateRecord,
                       NewFileDialogPresenter& presenter, const CopyStep& copy) {
    host.raisePanelCount();
    rememberFolder(folder);

    if (!FileTemplate::fromValue(templateRecord)) {
        host.showCountedAlertLater(host.translate(kUnableToCreateFile),
                                   host.translate(kNoSuitableTemplate));
        return;
    }

    NewFilePanelModel model(
        host, folder, FormatChooserModel(store.arrayForKey(keys::kFileTemplates), templateRecord));
    const std::optional<ConfirmedItem> confirmed = presenter.run(model);
    if (!confirmed) {
        host.lowerPanelCount();
        return;
    }

    // The template chosen last in the chooser, not necessarily the requested one.
    const FileTemplate fileTemplate = model.selectedTemplate();
    // The folder the user confirmed in, which may not be the one asked for.
    const CopyStep step =
        fileTemplate.expandsVariables
            ? expandingCopyStep(
                  VariableContext::at(paths::deletingLastPathComponent(confirmed->path)), copy)
            : copy;
    const Expected<std::string> placed =
        copyItem(fileTemplate.filePath, confirmed->path,
                 confirmed->replaceConfirmed ? WhenTaken::Replace : WhenTaken::Fail,
                 host.creationJournal(), step);
    if (!placed) {
        const char* title = placed.error().action() == kRemoveExistingAction
                                ? kErrorRemovingExistingFile
                                : kErrorCreatingFile;
        // The host lowers the count once the alert has been dismissed.
        host.showCountedAlertLater(
            host.translate(title),
            localizedReason(placed.error(),
                            [&host](const std::string& text) { return host.translate(text); }));
        return;
    }
    host.runFinishingSteps(confirmed->path, fileTemplate);
    host.lowerPanelCount();
}

} // namespace quillet::helper
