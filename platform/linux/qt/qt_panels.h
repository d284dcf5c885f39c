// Open panels as QFileDialog, shown without blocking. Without a display the
// panel counts as cancelled (and standard error says why).
#pragma once

#include "shared/ports/main_queue.h"
#include "shared/ports/panels.h"

namespace quillet::platform::qt {

class QtPanels final : public Panels {
public:
    // The queue delivers the cancellation when no panel can be shown, so the
    // completion never runs inside beginOpenPanel.
    explicit QtPanels(MainQueue& mainQueue) : mainQueue_(mainQueue) {}

    void beginOpenPanel(const OpenPanelOptions& options, Completion completion) override;
    bool canShowPanels() const override;
    void beginOpenPanelForPaths(const OpenPanelOptions& options,
                                PathsCompletion completion) override;

private:
    MainQueue& mainQueue_;
};

} // namespace quillet::platform::qt
