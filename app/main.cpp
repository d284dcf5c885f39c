// quillet: the program the user starts. It sets the suite up on first run,
// shows its preferences window or only its tray item, and stays until the
// user quits it or the session ends.
//
//   quillet [--templates]
//   quillet --uninstall
//
// With another instance running, that one shows its preferences window and
// this process ends. --uninstall removes what Quillet wrote outside its
// installed files (see app/core/uninstall.h) and ends.
#include "app/core/app_delegate.h"
#include "app/core/app_services.h"
#include "app/core/os_version.h"
#include "app/core/uninstall.h"
#include "app/ui/preferences/preferences_window.h"
#include "app/ui/qt_application_shell.h"
#include "platform/linux/bus_application.h"
#include "platform/linux/dbus_name_watch.h"
#include "platform/linux/dbus_notification_center.h"
#include "platform/linux/gettext_translator.h"
#include "platform/linux/gio_file_types.h"
#include "platform/linux/gio_workspace.h"
#include "platform/linux/glib_main_queue.h"
#include "platform/linux/hot_key_center_factory.h"
#include "platform/linux/qt/dialog_titles.h"
#include "platform/linux/qt/gui_runtime.h"
#include "platform/linux/qt/qt_alerts.h"
#include "platform/linux/qt/qt_panels.h"
#include "platform/linux/qt/qt_translations.h"
#include "platform/linux/xdg_login_items.h"
#include "shared/identifiers.h"
#include "shared/local_notification_center.h"
#include "shared/plist_json.h"
#include "shared/text_mark.h"
#include "shared/xdg_paths.h"

#include <QApplication>
#include <QIcon>

#include <glib-unix.h>
#include <glib.h>

#include <clocale>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

std::string programInPath(const char* name) {
    gchar* found = g_find_program_in_path(name);
    std::string path = found != nullptr ? found : "";
    g_free(found);
    return path;
}

// Each file manager Quillet has a module for, where installed.
std::vector<std::string> installedFileManagers() {
    std::vector<std::string> found;
    for (const char* name : {"nautilus", "nemo", "caja", "thunar", "dolphin"}) {
        if (std::string path = programInPath(name); !path.empty()) {
            found.push_back(path);
        }
    }
    return found;
}

// The desktop entry's "Templates" action (and --templates): the popover as a window.
constexpr const char* kTemplatesAction = "templates";

int runUninstall() {
    using namespace quillet;
    const auto translate = platform::GettextTranslator::forProgram("quillet", "app");
    // Holding the name keeps Quillet from starting meanwhile, and from
    // registering its shortcuts again.
    platform::BusApplication bus(ids::kMainApp, false);
    if (const auto role = bus.registerOnBus();
        role && *role == platform::BusApplication::Role::Remote) {
        std::fprintf(stderr, "quillet: %s\n",
                     translate(N_("Quillet is running: quit it first, then uninstall.")).c_str());
        return 1;
    }
    // A running helper ends, as when the user quits Quillet.
    platform::DBusNotificationCenter notifications;
    notifications.post(ids::kHelper, ids::kQuitObject);

    auto registries = platform::openRegistriesHoldingOurEntries();
    platform::XdgLoginItems loginItems(paths::resourcesDir("launcher") +
                                       "/org.quillet.QuilletLauncher.desktop");
    app::UninstallTargets targets{
        .registries = {},
        .loginItems = loginItems,
        .launcherPath = paths::appendingPathComponent(
            paths::deletingLastPathComponent(paths::executablePath()), "quillet-launcher"),
        .helperScriptsDir = paths::helperScriptsDir(),
        .shippedUserScript =
            paths::appendingPathComponent(paths::resourcesDir("helper"), ids::kHelperUserScript),
    };
    for (const auto& registry : registries) {
        targets.registries.push_back(registry.get());
    }
    const auto failures = app::uninstall(targets);
    for (const Error& failure : failures) {
        std::fprintf(stderr, "quillet: %s\n", failure.logText().c_str());
    }
    const char* done =
        failures.empty()
            ? N_("Quillet's shortcuts, start-at-login entry and scripts are removed.")
            : N_("Quillet's shortcuts, start-at-login entry and scripts are removed, except what "
                 "is listed above.");
    std::printf("%s\n%s\n  %s\n  %s\n", translate(done).c_str(),
                translate(N_("Your templates and settings are kept in:")).c_str(),
                paths::containerDir().c_str(),
                paths::deletingLastPathComponent(paths::storeFile(ids::kSuiteName)).c_str());
    return failures.empty() ? 0 : 1;
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillet;
    std::setlocale(LC_ALL, "");
    bool showTemplates = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("Usage: quillet [--templates | --uninstall]\n"
                        "  --templates  open the templates in a window\n"
                        "  --uninstall  remove Quillet's shortcuts, start-at-login entry and\n"
                        "               scripts from this account (templates and settings stay)\n");
            return 0;
        }
        if (std::strcmp(argv[i], "--uninstall") == 0) {
            return runUninstall();
        }
        if (std::strcmp(argv[i], "--templates") == 0) {
            showTemplates = true;
        }
    }

    // The name first: a second start needs neither a display nor anything else.
    platform::BusApplication bus(ids::kMainApp, false);
    const auto role = bus.registerOnBus();
    if (role && *role == platform::BusApplication::Role::Remote) {
        if (const Status forwarded =
                showTemplates ? bus.forwardAction(kTemplatesAction) : bus.forward({});
            !forwarded) {
            std::fprintf(stderr, "quillet: the running Quillet did not answer (%s)\n",
                         forwarded.error().reason().c_str());
            return 1;
        }
        return 0;
    }
    if (!role) {
        std::fprintf(stderr, "quillet: not on the session bus (%s)\n",
                     role.error().reason().c_str());
    }
    if (!platform::qt::hasDisplay()) {
        std::fprintf(stderr, "quillet: no display; start it in a desktop session\n");
        return 1;
    }

    QApplication application(argc, argv);
    platform::qt::installQtTranslations(application);
    platform::qt::keepDialogTitlesWhole(application);
    QApplication::setApplicationName("quillet");
    QApplication::setApplicationVersion(QUILLET_VERSION);
    QGuiApplication::setDesktopFileName(ids::kMainApp);
    // Closing the preferences window leaves the program (and its tray item) running.
    QApplication::setQuitOnLastWindowClosed(false);
    // Outside a full desktop the platform names no icon theme; the suite's
    // icons come from the theme every Debian desktop installs.
    QIcon::setFallbackThemeName("Adwaita");

    const std::string resources = paths::resourcesDir("app");
    Value::Dictionary registered;
    if (auto defaults =
            readSettingsFile(paths::appendingPathComponent(resources, "Defaults.json"))) {
        registered = std::move(*defaults);
    } else {
        std::fprintf(stderr, "quillet: %s: %s\n", defaults.error().path().c_str(),
                     defaults.error().reason().c_str());
    }

    SettingsStore privateDefaults =
        SettingsStore::atPath(paths::privateDefaultsFile(ids::kMainApp));
    platform::DBusNotificationCenter notifications;
    LocalNotificationCenter localNotifications;
    platform::GLibMainQueue mainQueue;
    platform::qt::QtAlerts alerts;
    platform::qt::QtPanels panels(mainQueue);
    platform::GioWorkspace workspace;
    platform::GioFileTypes fileTypes;
    // The login item is the launcher's autostart entry, written from the shipped one.
    platform::XdgLoginItems loginItems(paths::resourcesDir("launcher") +
                                       "/org.quillet.QuilletLauncher.desktop");
    auto shortcuts = platform::makeShortcutMechanism(mainQueue, ids::kMainApp);
    platform::DBusNameWatch busNames;
    auto translator = platform::GettextTranslator::forProgram("quillet", "app");
    const std::string binDir = paths::deletingLastPathComponent(paths::executablePath());

    app::AppServices services{
        .openSharedDefaults =
            [registered] {
                SettingsStore store(ids::kSuiteName);
                store.registerDefaults(registered);
                return store;
            },
        .privateDefaults = privateDefaults,
        .notifications = notifications,
        .localNotifications = localNotifications,
        .mainQueue = mainQueue,
        .alerts = alerts,
        .panels = panels,
        .workspace = workspace,
        .fileTypes = fileTypes,
        .loginItems = loginItems,
        .hotKeys = *shortcuts.hotKeys,
        .busNames = busNames,
        .launchHelper = nullptr, // the delegate's, once it exists
        .translate = [translator](const std::string& text) { return translator(text); },
        .translatePlural =
            [translator](const std::string& singular, const std::string& plural,
                         unsigned long count) {
                return translator.plural(singular, plural, count);
            },
        .templatesDir = paths::templatesDir(),
        .resourcesDir = resources,
        .helperPath = paths::appendingPathComponent(binDir, "quillet-helper"),
        .launcherPath = paths::appendingPathComponent(binDir, "quillet-launcher"),
        .helpDir =
            paths::appendingPathComponent(paths::deletingLastPathComponent(resources), "help"),
        .languages = platform::preferredLanguageNames(),
        .fileManagerPaths = installedFileManagers(),
        .osVersion = app::currentOSVersionString(),
        .shortcutRegistry = shortcuts.registry.get(),
        .shortcutMechanism = shortcuts.description,
    };

    app::QtApplicationShell shell(services);
    app::AppDelegate delegate(services, shell);
    services.launchHelper = [&delegate] { delegate.launchHelper(); };
    shell.setDelegate(&delegate);

    // Every way out runs the delegate's shut-down once, then ends the loop.
    auto quit = [&delegate, &bus] {
        delegate.applicationWillTerminate();
        // The name goes first: a start from now on is a new instance.
        bus.quit();
        platform::qt::exitAllEventLoops();
        QCoreApplication::quit();
    };
    shell.onQuit = quit;
    struct SignalQuit {
        std::function<void()> quit;
    } signalQuit{quit};
    auto onSignal = [](gpointer data) -> gboolean {
        static_cast<SignalQuit*>(data)->quit();
        return G_SOURCE_CONTINUE;
    };
    const guint termSource = g_unix_signal_add(SIGTERM, onSignal, &signalQuit);
    const guint intSource = g_unix_signal_add(SIGINT, onSignal, &signalQuit);
    // The session ending: the session manager asks first, then Qt quits.
    QObject::connect(&application, &QGuiApplication::commitDataRequest,
                     [&delegate](QSessionManager&) { delegate.applicationWillTerminate(); });
    QObject::connect(&application, &QCoreApplication::aboutToQuit,
                     [&delegate] { delegate.applicationWillTerminate(); });

    // A second start: show the window when none is visible.
    bus.setActivateHandler([&delegate, &shell] {
        const bool visible = shell.hasPreferencesWindow() && shell.preferencesWindow()->isVisible();
        delegate.applicationShouldHandleReopen(visible);
    });

    bus.setActionHandler([&shell](const std::string& name, std::optional<std::int32_t>) {
        if (name == kTemplatesAction) {
            shell.showPopoverAsWindow();
        }
    });

    delegate.applicationDidFinishLaunching();
    if (delegate.hasTerminated()) {
        shell.setDelegate(nullptr);
        g_source_remove(termSource);
        g_source_remove(intSource);
        return 1;
    }
    if (showTemplates) {
        shell.showPopoverAsWindow();
    }
    const int status = QApplication::exec();
    delegate.applicationWillTerminate();
    g_source_remove(termSource);
    g_source_remove(intSource);
    shell.setDelegate(nullptr);
    return status;
}
