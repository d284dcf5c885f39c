// Open panels: the desktop's chooser for files and folders.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct OpenPanelOptions {
    std::string title;
    std::string message;
    std::string prompt; // text of the confirm button
    bool canChooseDirectories = true;
    bool canChooseFiles = false;
    std::string directory; // where the panel opens
    bool allowsMultipleSelection = false;
};

class Panels {
public:
    // The chosen path, or nothing when the panel was cancelled (or could not be shown).
    using Completion = std::function<void(const std::optional<std::string>& chosen)>;

    virtual ~Panels() = default;
    // Whether a panel can be shown at all (a display to show it on). Without
    // one, callers say what is wrong instead of asking.
    virtual bool canShowPanels() const { return true; }
    // Shows the panel without blocking and returns at once; the completion runs
    // later on the main thread, exactly once.
    virtual void beginOpenPanel(const OpenPanelOptions& options, Completion completion) = 0;

    // The chosen paths (several when the options allow it); empty when cancelled.
    using PathsCompletion = std::function<void(const std::vector<std::string>& chosen)>;
    // A panel that cannot choose several answers with at most one path.
    virtual void beginOpenPanelForPaths(const OpenPanelOptions& options,
                                        PathsCompletion completion) {
        beginOpenPanel(options, [completion](const std::optional<std::string>& chosen) {
            completion(chosen ? std::vector<std::string>{*chosen} : std::vector<std::string>{});
        });
    }
};

} // namespace quillet
