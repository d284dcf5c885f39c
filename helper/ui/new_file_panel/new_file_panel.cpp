#include "helper/ui/new_file_panel/new_file_panel.h"

#include "helper/core/new_file_panel/new_file_session.h"
#include "helper/ui/new_file_panel/new_file_save_panel.h"

#include "platform/linux/qt/gui_runtime.h"

#include <QCoreApplication>
#include <QDialog>

#include <cstdio>

namespace quillet::helper {

namespace {

// The helper may run without Qt until a panel is needed.
bool startWidgetApplication() {
    if (platform::qt::ensureWidgetApplication()) {
        return true;
    }
    std::fprintf(stderr, QCoreApplication::instance() != nullptr
                             ? "quillet-helper: the new-file panel needs a widget application; "
                               "the request is cancelled\n"
                             : "quillet-helper: no display for the new-file panel; the request "
                               "is cancelled\n");
    return false;
}

class DialogPresenter final : public NewFileDialogPresenter {
public:
    DialogPresenter(NewFilePanelHost& host, const FileTypes* fileTypes)
        : host_(host), fileTypes_(fileTypes) {}

    std::optional<ConfirmedItem> run(NewFilePanelModel& model) override {
        if (!startWidgetApplication()) {
            return std::nullopt;
        }
        NewFileSavePanel panel(model, host_, fileTypes_);
        panel.show();
        panel.raise();
        panel.activateWindow();
        if (panel.exec() != QDialog::Accepted) {
            return std::nullopt;
        }
        return panel.confirmedItem();
    }

private:
    NewFilePanelHost& host_;
    const FileTypes* fileTypes_;
};

} // namespace

void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store, const std::string& folder,
                      const Value& templateRecord, const FileTypes* fileTypes) {
    DialogPresenter presenter(host, fileTypes);
    runNewFileSession(host, store, folder, templateRecord, presenter);
}

void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store, const std::string& folder,
                      const Value& templateRecord) {
    showNewFilePanel(host, store, folder, templateRecord, nullptr);
}

} // namespace quillet::helper
