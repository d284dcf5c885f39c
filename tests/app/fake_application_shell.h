// The windowing side of the main application, recorded: what the delegate
// asked for, in order, and the answers a test scripts for its alerts.
#pragma once

#include "app/core/application_shell.h"

#include <deque>
#include <string>
#include <vector>

namespace quillet::test {

class FakeApplicationShell final : public app::ApplicationShell {
public:
    void showPreferencesWindow() override { log.push_back("showPreferencesWindow"); }
    void setActivationPolicy(app::ActivationPolicy p) override { policy = p; }
    void showAboutPanel() override { log.push_back("showAboutPanel"); }
    bool isSystemTrayAvailable() const override { return trayAvailable; }
    void createStatusItem() override { log.push_back("createStatusItem"); }
    void removeStatusItem() override { log.push_back("removeStatusItem"); }
    void popUpStatusMenu() override { log.push_back("popUpStatusMenu"); }
    bool hasPopover() const override { return popoverExists; }
    void createPopover() override {
        popoverExists = true;
        log.push_back("createPopover");
    }
    bool isPopoverShown() const override { return popoverShown; }
    void showPopover() override {
        popoverShown = true;
        log.push_back("showPopover");
    }
    void closePopover() override {
        popoverShown = false;
        log.push_back("closePopover");
    }
    void releasePopover() override {
        popoverExists = false;
        log.push_back("releasePopover");
    }
    int runAlert(const app::AlertRequest& request) override {
        alerts.push_back(request);
        if (answers.empty()) {
            return app::kAlertFirstButton + static_cast<int>(request.escapeButton);
        }
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::size_t count(const std::string& call) const {
        std::size_t n = 0;
        for (const auto& entry : log) {
            n += entry == call ? 1 : 0;
        }
        return n;
    }

    std::vector<std::string> log;
    std::vector<app::AlertRequest> alerts;
    std::deque<int> answers;
    bool trayAvailable = true;
    bool popoverExists = false;
    bool popoverShown = false;
    app::ActivationPolicy policy = app::ActivationPolicy::Regular;
};

} // namespace quillet::test
