// Whether windows can be shown, known without loading a toolkit: programs
// that start Qt only for their first window ask this first.
#pragma once

#include <optional>
#include <string>

namespace quillet::platform {

// A display (X11 or Wayland), or a Qt platform plugin that needs none
// ("offscreen", "minimal") chosen through QT_QPA_PLATFORM.
bool hasDisplay();

// A Wayland session. An X display may exist there too (Xwayland), but what it
// sees is only what happens in X windows.
bool isWaylandSession();
// An X display named in the environment.
bool hasX11Display();

// An alert as one line of standard error ("title: message"), for when no
// window can be shown.
std::string alertTextLine(const std::optional<std::string>& title,
                          const std::optional<std::string>& message);

} // namespace quillet::platform
