// What "Set Up Extension…" does, wherever it is chosen: the help page on
// installing the extension, then the offer to restart the file managers,
// which load the module only when they start.
#pragma once

#include "app/core/app_services.h"
#include "app/core/application_shell.h"
#include "shared/error.h"

#include <functional>

namespace quillet::app {

// Runs a modal alert, answering kAlertFirstButton + the index of the button
// chosen, or anything else when it was closed without a choice.
using RunAlert = std::function<int(const AlertRequest&)>;

// Fails when the help page could not be opened. The restart is offered
// either way, as long as a file manager Quillet serves is installed.
[[nodiscard]] Status setUpExtension(const AppServices& services, const RunAlert& runAlert);

} // namespace quillet::app
