// What the new-file panel needs from the helper's application delegate. The
// helper implements it; the panel (and the keyboard shortcuts, which show the
// same panel) only talk to the delegate through it.
#pragma once

#include "shared/records.h"

#include <optional>
#include <string>

namespace quillet {
class CreationJournal;
}

namespace quillet::helper {

class NewFilePanelHost {
public:
    virtual ~NewFilePanelHost() = default;

    // The open-panel count: the helper does not quit while it is 1 or more.
    virtual void raisePanelCount() = 0;
    virtual void lowerPanelCount() = 0;

    // Permission bits, dates, reveal, sound and open, in that order, on a
    // newly created item.
    virtual void runFinishingSteps(const std::string& itemPath,
                                   const FileTemplate& fileTemplate) = 0;

    // Shows a critical alert 0.3 s later on the main queue; the panel count is
    // lowered once it has been dismissed.
    virtual void showCountedAlertLater(const std::string& title, const std::string& message) = 0;

    // The override-aware lookup ("New %@" goes through the user's overrides).
    virtual std::string localizedStringForKey(const std::string& key) = 0;
    // The helper's own translation of an English text.
    virtual std::string translate(const std::string& text) = 0;

    // Where the panel's copies in progress are recorded, so that the next
    // start removes what a crash left behind; null when nothing records them.
    virtual CreationJournal* creationJournal() = 0;
};

} // namespace quillet::helper
