// The helper's alerts and panels, with the widget toolkit loaded only when a
// window is actually shown: the dialogs module is opened on first use.
// Without a display nothing is loaded at all: an alert becomes a line on
// standard error and a panel counts as cancelled.
#pragma once

#include "helper/ui/dialogs/helper_dialogs.h"

#include <memory>
#include <string>

namespace quillet::helper {

class LazyDialogs final : public Alerts, public Panels {
public:
    // `modulePath`: the dialogs module, absolute.
    LazyDialogs(MainQueue& queue, std::string modulePath);
    ~LazyDialogs() override;
    LazyDialogs(const LazyDialogs&) = delete;
    LazyDialogs& operator=(const LazyDialogs&) = delete;

    void showAlert(const std::optional<std::string>& title,
                   const std::optional<std::string>& message, AlertStyle style) override;
    int runAlert(const std::optional<std::string>& title, const std::optional<std::string>& message,
                 AlertStyle style, const std::vector<std::string>& buttons) override;
    void beginOpenPanel(const OpenPanelOptions& options, Completion completion) override;
    bool canShowPanels() const override;

    void showNewFilePanel(NewFilePanelHost& host, const SettingsStore& store,
                          const std::string& folder, const Value& record,
                          const FileTypes* fileTypes);
    void runInstallScriptWindow(const std::string& scriptPath, const std::string& destDir,
                                Workspace& workspace, const Translator& translate);
    // Only when the module was loaded: otherwise no dialog loop can run.
    void exitAllEventLoops();

    bool loaded() const { return dialogs_ != nullptr; }

private:
    // The module's dialogs, or null (said once on standard error) when the
    // module cannot be opened.
    HelperDialogs* load();

    MainQueue& queue_;
    std::string modulePath_;
    std::unique_ptr<HelperDialogs> dialogs_;
    bool failed_ = false;
};

} // namespace quillet::helper
