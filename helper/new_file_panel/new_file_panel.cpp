#include "helper/new_file_panel/new_file_panel.h"

#include "helper/new_file_panel/new_file_save_panel.h"
#include "helper/new_file_panel/new_file_session.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace quillet::helper {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

// Creating a QApplication without a display aborts the process, so look
// before leaping.
bool hasDisplay() {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) {
        return true;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform != nullptr && (std::strncmp(platform, "offscreen", 9) == 0 ||
                                   std::strncmp(platform, "minimal", 7) == 0);
}

// The helper may run without Qt until a panel is needed.
bool ensureWidgetApplication() {
    if (QCoreApplication* app = QCoreApplication::instance()) {
        if (qobject_cast<QApplication*>(app) != nullptr) {
            return true;
        }
        std::fprintf(stderr, "quillet-helper: the new-file panel needs a widget application; "
                             "the request is cancelled\n");
        return false;
    }
    if (!hasDisplay()) {
        std::fprintf(
            stderr,
            "quillet-helper: no display for the new-file panel; the request is cancelled\n");
        return false;
    }
    static int argc = 1;
    static char name[] = "quillet-helper";
    static char* argv[] = {name, nullptr};
    // Kept for the rest of the process (QCoreApplication::instance() holds
    // it): later panels and the helper's alerts use it too.
    new QApplication(argc, argv);
    return true;
}

class DialogPresenter final : public NewFileDialogPresenter {
public:
    DialogPresenter(NewFilePanelHost& host, const FileTypes* fileTypes)
        : host_(host), fileTypes_(fileTypes) {}

    std::optional<ConfirmedItem> run(NewFilePanelModel& model) override {
        if (!ensureWidgetApplication()) {
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
