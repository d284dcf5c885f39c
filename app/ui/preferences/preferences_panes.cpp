#include "app/ui/preferences/preferences_panes.h"

#include "app/ui/preferences/general_preferences.h"
#include "app/ui/preferences/localization_pane.h"
#include "app/ui/preferences/locations_pane.h"
#include "app/ui/preferences/templates_pane.h"
#include "shared/xdg_paths.h"

namespace quillet::app {

std::vector<PreferencesPane*> makePreferencesPanes(AppServices& services, QWidget* parent) {
    return {
        new GeneralPreferencesViewController(services, parent),
        new TemplatesPreferencesViewController(services, parent),
        new FinderPreferencesViewController(services, parent),
        // The module's catalogs live beside every program's: <share>/locale.
        new LocalizationPreferencesViewController(
            services,
            paths::standardizedPath(
                paths::appendingPathComponent(services.resourcesDir, "../../locale")),
            services.languages, parent),
    };
}

} // namespace quillet::app
