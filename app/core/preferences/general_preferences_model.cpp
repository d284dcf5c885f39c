#include "app/core/preferences/general_preferences_model.h"

#include "app/core/app_delegate.h"
#include "app/core/extension_setup.h"
#include "app/core/extension_status.h"
#include "app/core/help.h"
#include "shared/identifiers.h"
#include "shared/keys.h"

#include <iostream>

namespace quillet::app {

GeneralPreferencesModel::GeneralPreferencesModel(AppServices& services)
    : services_(services), store_(services.openSharedDefaults()), self_(*this) {}

GeneralPreferencesModel::~GeneralPreferencesModel() {
    if (watch_) {
        services_.busNames.unwatch(*watch_);
    }
    self_.revoke();
}

const std::vector<std::string>& GeneralPreferencesModel::savedOptionKeys() {
    static const std::vector<std::string> keys = {
        keys::kOpenFileOnCreation, keys::kShowFileOnCreation, keys::kRunInBackground,
        keys::kHideMenuForFiles,   keys::kCascadeMenu,        keys::kSkipFilename,
    };
    return keys;
}

bool GeneralPreferencesModel::option(const std::string& key) const {
    return store_.boolForKey(key);
}

void GeneralPreferencesModel::write(const std::string& key, const Value& value) {
    if (const Status stored = store_.setObject(key, value); !stored) {
        std::cerr << "quillet: cannot store " << key << ": " << stored.error().logText() << "\n";
    }
}

void GeneralPreferencesModel::saveOptions(const std::map<std::string, bool>& states) {
    for (const auto& key : savedOptionKeys()) {
        auto it = states.find(key);
        write(key, it != states.end() && it->second);
    }
    store_.synchronize();
}

void GeneralPreferencesModel::toggleShowInMenuBar(bool on) {
    write(keys::kShowInMenuBar, on);
    store_.synchronize();
    services_.localNotifications.post(kStatusItemShouldUpdate, "");
}

void GeneralPreferencesModel::toggleRunInBackground(bool on) {
    // Stored as a number, as the box's state is one.
    write(keys::kRunInBackground, Value(on ? 1 : 0));
    store_.synchronize();
    // Switching it on neither starts nor signals the helper.
    if (!store_.boolForKey(keys::kRunInBackground) &&
        services_.workspace.isProgramRunning(ids::kHelper)) {
        services_.notifications.post(ids::kHelper, ids::kQuitObject);
    }
}

void GeneralPreferencesModel::setLaunchAtLogin(bool on) {
    write(keys::kLaunchAtLogin, on);
    store_.synchronize();
}

void GeneralPreferencesModel::setPlaySound(bool on) {
    write(keys::kPlaySound, on);
    store_.synchronize();
}

bool GeneralPreferencesModel::isExtensionRunning() const {
    return app::isExtensionRunning(services_.workspace);
}

void GeneralPreferencesModel::setExtensionHandler(std::function<void(bool running)> handler) {
    extensionHandler_ = std::move(handler);
    if (watch_ || !extensionHandler_) {
        return;
    }
    // The family shares the extension's id as a prefix; the list of owners
    // has settled a moment after a module comes or goes.
    watch_ = services_.busNames.watchNamespace(
        ids::kExtension, self_.guard([](GeneralPreferencesModel& self, const std::string&) {
            self.services_.mainQueue.postAfter(
                kExtensionRecheckDelay, self.self_.guard([](GeneralPreferencesModel& later) {
                    if (later.extensionHandler_) {
                        later.extensionHandler_(later.isExtensionRunning());
                    }
                }));
        }));
}

Status GeneralPreferencesModel::showHelp() {
    return showHelpPage(services_.workspace, services_.helpDir, services_.languages);
}

Status GeneralPreferencesModel::setUpExtension() {
    return app::setUpExtension(services_, [this](const AlertRequest& request) {
        int chosen = services_.alerts.runAlert(request.message, request.informative,
                                               AlertStyle::Informational, request.buttons);
        return chosen < 0 ? chosen : kAlertFirstButton + chosen;
    });
}

} // namespace quillet::app
