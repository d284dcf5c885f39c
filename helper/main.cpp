// quillet-helper: creates the items that the file manager's menu, the share
// sheet and the shortcuts ask for.
//
//   quillet-helper [URL...]
//   quillet-helper --shortcut INDEX
//
// With another instance running, the URLs (or the shortcut of the template
// at INDEX, as the desktop's shortcut entries ask) are handed to it and this
// process ends; otherwise this process becomes the instance and serves them.
// On the bus, ActivateAction("shortcut", [INDEX]) and, from KDE's global
// shortcuts, ActivateAction("quillet-INDEX", []) do what --shortcut does.
#include "helper/core/alerts/one_alert_per_kind.h"
#include "helper/core/app/app_delegate.h"
#include "helper/ui/dialogs/lazy_dialogs.h"
#include "platform/linux/bus_application.h"
#include "platform/linux/canberra_sound_player.h"
#include "platform/linux/dbus_notification_center.h"
#include "platform/linux/gettext_translator.h"
#include "platform/linux/gio_file_types.h"
#include "platform/linux/gio_local_vfs.h"
#include "platform/linux/gio_volume_monitor.h"
#include "platform/linux/gio_workspace.h"
#include "platform/linux/glib_main_queue.h"
#include "platform/linux/hot_key_center_factory.h"
#include "platform/linux/inotify_file_event_source.h"
#include "platform/linux/posix_script_runner.h"
#include "shared/desktop_shortcuts.h"
#include "shared/identifiers.h"
#include "shared/xdg_paths.h"

#include <charconv>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

void printUsage() {
    std::printf("Usage: quillet-helper [quillet:///FOLDER?INDEX ...]\n"
                "       quillet-helper --shortcut TEMPLATE_INDEX\n");
}

// The index after --shortcut: a whole number, nothing else.
std::optional<std::int32_t> parseIndex(const char* text) {
    std::int32_t index = 0;
    const char* end = text + std::strlen(text);
    auto [last, error] = std::from_chars(text, end, index);
    if (error != std::errc() || last != end || last == text || index < 0) {
        return std::nullopt;
    }
    return index;
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillet;
    std::setlocale(LC_ALL, "");
    platform::useLocalFilesOnly();

    std::vector<std::string> urls;
    std::optional<std::int32_t> shortcutIndex;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            printUsage();
            return 0;
        }
        if (std::strcmp(arg, "--shortcut") == 0) {
            shortcutIndex = i + 1 < argc ? parseIndex(argv[i + 1]) : std::nullopt;
            if (!shortcutIndex) {
                std::fprintf(stderr, "quillet-helper: --shortcut needs a template index\n");
                printUsage();
                return 2;
            }
            ++i;
            continue;
        }
        // The bus starts us with this flag (service file convention).
        if (std::strcmp(arg, "--gapplication-service") == 0) {
            continue;
        }
        urls.emplace_back(arg);
    }

    platform::BusApplication bus(ids::kHelper, true);
    const auto role = bus.registerOnBus();
    if (role && *role == platform::BusApplication::Role::Remote) {
        if (shortcutIndex) {
            if (const Status forwarded = bus.forwardAction(ids::kShortcutAction, *shortcutIndex);
                !forwarded) {
                std::fprintf(stderr,
                             "quillet-helper: the running helper did not take the shortcut (%s)\n",
                             forwarded.error().reason().c_str());
                return 1;
            }
            if (urls.empty()) {
                return 0;
            }
        }
        if (const Status forwarded = bus.forward(urls); !forwarded) {
            std::fprintf(stderr,
                         "quillet-helper: the running helper did not take the request (%s)\n",
                         forwarded.error().reason().c_str());
            return 1;
        }
        return 0;
    }
    if (!role) {
        std::fprintf(stderr,
                     "quillet-helper: not on the session bus (%s); serving the command line only\n",
                     role.error().reason().c_str());
    }

    SettingsStore sharedDefaults(ids::kSuiteName);
    SettingsStore privateDefaults = SettingsStore::atPath(paths::privateDefaultsFile(ids::kHelper));
    platform::DBusNotificationCenter notifications;
    platform::GLibMainQueue mainQueue;
    // Qt is loaded with the first window, not at start: most requests show none.
    helper::LazyDialogs dialogs(mainQueue, paths::standardizedPath(paths::deletingLastPathComponent(
                                                                       paths::executablePath()) +
                                                                   "/" QUILLET_HELPER_DIALOGS));
    platform::GioWorkspace workspace;
    platform::GioVolumeMonitor volumes;
    std::optional<platform::ShortcutMechanism> shortcuts; // opened at launch
    platform::PosixScriptRunner scriptRunner;
    platform::CanberraSoundPlayer sound("Quillet");
    auto translator = platform::GettextTranslator::forProgram("quillet-helper", "helper");
    // A flood of bad requests must not open a window each.
    helper::OneAlertPerKind alerts(
        dialogs, [translator](const std::string& text) { return translator(text); });

    helper::HelperPorts ports{
        .sharedDefaults = sharedDefaults,
        .privateDefaults = privateDefaults,
        .notifications = notifications,
        .mainQueue = mainQueue,
        .alerts = alerts,
        .panels = dialogs,
        .workspace = workspace,
        .volumes = volumes,
        .sound = sound,
        .makeFileEventSource = []() -> std::unique_ptr<FileEventSource> {
            auto source = platform::InotifyFileEventSource::create();
            return source ? std::move(*source) : nullptr; // without, the helper checks by itself
        },
        .translate = [translator](const std::string& text) { return translator(text); },
        .terminate =
            [&bus, &dialogs, &alerts] {
                // A modal dialog may be running its own loop: end it too.
                alerts.dropRepeats();
                dialogs.exitAllEventLoops();
                bus.quit();
            },
        .showNewFilePanel = nullptr,
        .scriptRunner = &scriptRunner,
        .runManualScriptInstallation =
            [&dialogs, &workspace, translator](const std::string& script,
                                               const std::string& destDir) {
                dialogs.runInstallScriptWindow(script, destDir, workspace, translator);
            },
        .openShortcuts =
            [&shortcuts, &mainQueue] {
                shortcuts = platform::makeShortcutMechanism(mainQueue, ids::kHelper);
                return helper::ShortcutPorts{*shortcuts->hotKeys, shortcuts->registry.get()};
            },
    };
    // The chooser's icons from shared-mime-info and the icon theme, as
    // everywhere else in the suite.
    const platform::GioFileTypes fileTypes;
    ports.showNewFilePanel = [&dialogs, &sharedDefaults, &fileTypes](helper::NewFilePanelHost& host,
                                                                     const std::string& folder,
                                                                     const Value& record) {
        dialogs.showNewFilePanel(host, sharedDefaults, folder, record, &fileTypes);
    };

    const std::string resources = paths::resourcesDir("helper");
    helper::HelperPaths helperPaths{
        .defaultsFile = paths::appendingPathComponent(resources, "Defaults.json"),
        .soundFile = paths::appendingPathComponent(resources, "sound.wav"),
        .executablePath = paths::executablePath(),
        .desktopDir = paths::desktopDir(),
        .homeDir = paths::home(),
        .journalDir =
            paths::appendingPathComponent(paths::containerDir(), ids::kHelper) + "/in-progress",
        .scriptsDir = paths::helperScriptsDir(),
        .scriptResource = paths::appendingPathComponent(resources, "QuilletHelper.sh"),
        .finderQuery = paths::appendingPathComponent(resources, "get-finder-path"),
    };

    helper::AppDelegate delegate(ports, helperPaths);
    // Requests are served even while the helper ends: once it has given up
    // its name, those that reached it are all it will get, and none is lost.
    bus.setOpenHandler(
        [&delegate](const std::vector<std::string>& uris, const std::string& fileManager) {
            for (const auto& uri : uris) {
                delegate.handleURLEvent(uri, fileManager);
            }
        });
    bus.setActionHandler([&delegate](const std::string& name, std::optional<std::int32_t> index) {
        if (name == ids::kShortcutAction && index) {
            delegate.handleShortcutActivation(*index);
        } else if (auto entryIndex = templateIndexOfRegistryId(name)) {
            // KDE's global shortcuts name the action after their entry.
            delegate.handleShortcutActivation(*entryIndex);
        }
    });
    for (const auto& url : urls) {
        mainQueue.post([&delegate, url] { delegate.handleURLEvent(url); });
    }
    if (shortcutIndex) {
        mainQueue.post(
            [&delegate, index = *shortcutIndex] { delegate.handleShortcutActivation(index); });
    }
    // The call that made the bus start us is queued by now (the bus sends it
    // before its answer to our name request): it is served first, and the
    // launch work that no request needs comes after.
    mainQueue.postWhenIdle([&delegate] { delegate.applicationDidFinishLaunching(); });

    bus.run();
    bus.serveReceived();
    delegate.applicationWillTerminate();
    return 0;
}
