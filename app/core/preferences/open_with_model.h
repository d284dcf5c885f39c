// The open-with menu: "Fetching..." at once, then the applications for the
// selected template's file, searched off the main thread. The entries and the
// menu's items are installed together, and a search that a newer one
// overtook is dropped, so the menu and its applications always correspond.
#pragma once

#include "shared/error.h"
#include "shared/localized_strings.h"
#include "shared/ports/main_queue.h"
#include "shared/ports/workspace.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

class OpenWithModel {
public:
    // Runs a task off the main thread.
    using Background = std::function<void(std::function<void()>)>;

    struct Menu {
        std::vector<AssociatedApp> apps; // one item per app, in order
        std::string placeholder;         // shown (disabled) when there is no app
    };
    using Update = std::function<void(const Menu&)>;

    OpenWithModel(Workspace& workspace, MainQueue& mainQueue, Background background,
                  Translator translate);
    ~OpenWithModel();
    OpenWithModel(const OpenWithModel&) = delete;
    OpenWithModel& operator=(const OpenWithModel&) = delete;

    // The menu to show now; with a file, `update` later brings the result on
    // the main queue (not when another menuWillOpen came first).
    Menu menuWillOpen(const std::optional<std::string>& filePath, Update update);

    const std::vector<AssociatedApp>& associatedApps() const { return apps_; }
    // Opens the file with the application of the item at that index.
    [[nodiscard]] Status openFileWithApp(std::size_t index, const std::string& filePath);

private:
    struct Shared {
        unsigned generation = 0;
        bool alive = true;
    };

    Workspace& workspace_;
    MainQueue& mainQueue_;
    Background background_;
    Translator translate_;
    std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
    std::vector<AssociatedApp> apps_;
};

} // namespace quillet::app
