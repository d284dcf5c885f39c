// The panes of the preferences window, built in one place in toolbar order.
#pragma once

#include "app/core/app_services.h"
#include "app/ui/preferences/preferences_pane.h"

#include <vector>

class QWidget;

namespace quillet::app {

// General, Templates, Locations, Localization.
std::vector<PreferencesPane*> makePreferencesPanes(AppServices& services, QWidget* parent);

} // namespace quillet::app
