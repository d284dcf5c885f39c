// libquillet-helper-dialogs: the Qt alerts, open panels and new-file panel of
// the helper, opened by the helper with dlopen when its first window is due.
#include "helper/ui/dialogs/helper_dialogs.h"
#include "helper/ui/install_script/install_script_window.h"

#include "platform/linux/qt/gui_runtime.h"
#include "platform/linux/qt/qt_alerts.h"
#include "platform/linux/qt/qt_panels.h"

#include "helper/ui/new_file_panel/new_file_panel.h"

namespace quillet::helper {
namespace {

class QtHelperDialogs final : public HelperDialogs {
public:
    explicit QtHelperDialogs(MainQueue& queue) : panels_(queue) {}

    Alerts& alerts() override { return alerts_; }
    Panels& panels() override { return panels_; }
    void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store,
                          const std::string& folder, const Value& record,
                          const FileTypes* fileTypes) override {
        helper::showNewFilePanel(host, store, folder, record, fileTypes);
    }
    void runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                                Workspace& workspace, const Translator& translate) override {
        helper::runInstallScriptWindow(scriptPath, destDir, workspace, translate);
    }
    void exitAllEventLoops() override { platform::qt::exitAllEventLoops(); }

private:
    platform::qt::QtAlerts alerts_;
    platform::qt::QtPanels panels_;
};

} // namespace
} // namespace quillet::helper

extern "C" __attribute__((visibility("default"))) quillet::helper::HelperDialogs*
quillet_helper_dialogs_create(quillet::MainQueue* queue) {
    return new quillet::helper::QtHelperDialogs(*queue);
}
