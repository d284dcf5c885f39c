// The General pane's rules: the suite-wide options it writes, the two that
// need an immediate signal (the tray item, the background helper), and the
// extension tip that follows the extension's modules on the bus.
#pragma once

#include "app/core/app_services.h"
#include "shared/error.h"
#include "shared/while_alive.h"

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

inline constexpr std::chrono::milliseconds kExtensionRecheckDelay{300};

class GeneralPreferencesModel {
public:
    explicit GeneralPreferencesModel(AppServices& services);
    ~GeneralPreferencesModel();
    GeneralPreferencesModel(const GeneralPreferencesModel&) = delete;
    GeneralPreferencesModel& operator=(const GeneralPreferencesModel&) = delete;

    // The six options written together whenever one of the plain boxes
    // changes, in the order they are written.
    static const std::vector<std::string>& savedOptionKeys();

    bool option(const std::string& key) const;

    // Writes the six options from the boxes' states (a key missing from the
    // map is written false). No notification: readers read when they need to.
    void saveOptions(const std::map<std::string, bool>& states);
    // Stores showInMenuBar and tells the application to follow it.
    void toggleShowInMenuBar(bool on);
    // Stores runInBackground; switched off, a running helper is told to quit.
    void toggleRunInBackground(bool on);
    void setLaunchAtLogin(bool on);
    void setPlaySound(bool on);

    bool isExtensionRunning() const;
    // Called with whether the extension runs, 0.3 s after any module of its
    // family comes or goes on the bus.
    void setExtensionHandler(std::function<void(bool running)> handler);

    [[nodiscard]] Status showHelp();
    // The page that explains how the extension is installed, then the offer
    // to restart the file managers; fails when the page did not open.
    [[nodiscard]] Status setUpExtension();

private:
    void write(const std::string& key, const Value& value);

    AppServices& services_;
    SettingsStore store_;
    std::function<void(bool)> extensionHandler_;
    std::optional<BusNameWatch::Token> watch_;
    LifeToken<GeneralPreferencesModel> self_;
};

} // namespace quillet::app
