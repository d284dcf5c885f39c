// A panel host that records what the panel asks of the helper.
#pragma once

#include "helper/core/new_file_panel_host.h"

#include <map>
#include <string>
#include <vector>

namespace quillet::test {

class FakePanelHost final : public helper::NewFilePanelHost {
public:
    struct Finished {
        std::string path;
        FileTemplate fileTemplate;
        int panelCountThen = 0;
    };
    struct Alert {
        std::string title;
        std::string message;
    };

    void raisePanelCount() override {
        ++raises;
        ++panelCount;
    }
    void lowerPanelCount() override {
        ++lowers;
        --panelCount;
    }
    void runFinishingSteps(const std::string& itemPath, const FileTemplate& fileTemplate) override {
        finished.push_back({itemPath, fileTemplate, panelCount});
    }
    void showCountedAlertLater(const std::string& title, const std::string& message) override {
        pendingAlerts.push_back({title, message});
    }
    std::string localizedStringForKey(const std::string& key) override {
        auto it = overrides.find(key);
        return it != overrides.end() && !it->second.empty() ? it->second : translate(key);
    }
    std::string translate(const std::string& text) override {
        auto it = translations.find(text);
        return it != translations.end() ? it->second : text;
    }
    CreationJournal* creationJournal() override { return journal; }

    // The user dismisses every pending alert; the real host then lowers the count.
    void dismissAlerts() {
        for (const Alert& alert : pendingAlerts) {
            dismissedAlerts.push_back(alert);
            lowerPanelCount();
        }
        pendingAlerts.clear();
    }

    int panelCount = 0;
    int raises = 0;
    int lowers = 0;
    std::vector<Finished> finished;
    std::vector<Alert> pendingAlerts;
    std::vector<Alert> dismissedAlerts;
    std::map<std::string, std::string> overrides;
    std::map<std::string, std::string> translations;
    CreationJournal* journal = nullptr;
};

} // namespace quillet::test
