// Qt's GUI on demand. The helper runs on GLib's main loop and starts Qt only
// when a window is needed: Qt's main-thread event dispatcher on Linux runs
// GLib's default main context, so bus traffic and timers go on while a modal
// dialog runs, and before the first window no display is touched at all.
#pragma once

#include "shared/error.h"

namespace quillet::platform::qt {

// A display (X11 or Wayland), or a Qt platform plugin that needs none
// ("offscreen", "minimal") chosen through QT_QPA_PLATFORM.
bool hasDisplay();

// Makes sure a QApplication exists; an error when there is no display
// (creating one there would abort the process) or another kind of Qt
// application runs.
[[nodiscard]] Status ensureWidgetApplication();

// Ends every Qt event loop that runs (modal dialogs included) and makes later
// ones return at once: the program is ending.
void exitAllEventLoops();

} // namespace quillet::platform::qt
