// Templates dragged out of the popover: the items are created at the drop
// location by this program, there and then, under the unique-name rule. The
// finishing steps (execute bits, dates) follow in the background; a failed
// copy is reported a moment later, once the drag has ended.
#pragma once

#include "shared/files/creation_journal.h"
#include "shared/ports/alerts.h"
#include "shared/ports/main_queue.h"
#include "shared/records.h"
#include "shared/settings_store.h"

#include <chrono>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

inline constexpr std::chrono::milliseconds kDropAlertDelay{300};
// How long staged copies stay after a drop: the target copies them after the
// drag has ended, a large folder template for a while.
inline constexpr std::chrono::minutes kStagedCopyKeep{5};

// The popover's rows: the enabled templates, in stored order.
std::vector<FileTemplate> enabledTemplates(const SettingsStore& sharedDefaults);
// The position in the whole stored list of the popover's `row`: what the
// helper's shortcuts are numbered by. Nothing when there is no such row.
std::optional<std::size_t> storedIndexOfEnabledRow(const SettingsStore& sharedDefaults,
                                                   std::size_t row);

// Whether a drop target is offered X Direct Save alone, without the staged
// file list, told by the class of its window (WM_CLASS). Thunar, Caja and
// Nemo (and the desktops they draw) take direct save, where our unique-name
// rule names the item, but take a file list first when a drag offers both,
// and then ask the user whether to replace a file of the same name.
bool offerDirectSaveAloneTo(const std::string& windowClass);

// Where staged copies are made: ~/.cache/quillet/drag.
std::string dragStagingRoot();
// Removes every staged copy below the root (at start and at quit, when no
// drag of this program is going on).
void removeStagedDrags(const std::string& stagingRoot);

struct DropPorts {
    MainQueue& mainQueue;
    Alerts& alerts;
    std::function<std::string(const std::string&)> translate;
    // Runs a task off the main thread.
    std::function<void(std::function<void()>)> runInBackground;
};

class TemplateDropper {
public:
    // `journal` (may be null) remembers copies in progress so that a crash
    // leaves nothing hidden behind.
    explicit TemplateDropper(DropPorts ports, CreationJournal* journal = nullptr);

    // Creates each template in the folder, in the given order, each under
    // the first free name. Returns the names of the items created; each
    // failure is reported by its own alert and the others still go on.
    std::vector<std::string> dropTemplates(const std::vector<FileTemplate>& templates,
                                           const std::string& folder);

    // For targets that copy what they are given: each template copied under
    // its default name into a fresh private folder below `stagingRoot`, and
    // finished at once. Folders staged earlier than `keepFor` are removed.
    // Returns the staged paths in order.
    std::vector<std::string>
    stageTemplates(const std::vector<FileTemplate>& templates, const std::string& stagingRoot,
                   std::chrono::minutes keepFor = std::chrono::minutes(60));
    // The drag of these staged copies has ended: a cancelled drag's go at
    // once, a dropped one's once the target has had time to copy them.
    void dragEnded(const std::vector<std::string>& staged, bool dropped);

private:
    std::optional<std::string> create(const FileTemplate& fileTemplate, const std::string& folder,
                                      bool finishInBackground);
    void reportLater(const std::string& message);

    DropPorts ports_;
    CreationJournal* journal_;
};

// Sets the execute bits as the template says and dates the item now.
void finishDroppedItem(const std::string& path, bool executable);

} // namespace quillet::app
