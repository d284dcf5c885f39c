// quillet-launcher: started at login by the desktop's autostart entry. Starts
// the main application and/or the helper as the settings ask, holds its bus
// name for a while so that the main application knows it was started at
// login, and ends.
#include "launcher/core/app_delegate.h"
#include "platform/linux/gio_workspace.h"
#include "platform/linux/glib_main_queue.h"
#include "platform/linux/journal_log.h"
#include "shared/identifiers.h"
#include "shared/xdg_paths.h"

#include <gio/gio.h>

#include <clocale>
#include <optional>

namespace {

struct Launcher {
    GMainLoop* loop = nullptr;
    quillet::launcher::AppDelegate* delegate = nullptr;
    bool started = false;

    void start() {
        if (!started) {
            started = true;
            delegate->applicationDidFinishLaunching();
        }
    }
};

void onNameAcquired(GDBusConnection*, const gchar*, gpointer data) {
    static_cast<Launcher*>(data)->start();
}

void onNameLost(GDBusConnection* connection, const gchar* name, gpointer data) {
    auto* launcher = static_cast<Launcher*>(data);
    if (launcher->started) {
        return;
    }
    if (connection != nullptr) {
        // Another launcher holds the name and does the same work.
        g_message("%s is already running", name);
        g_main_loop_quit(launcher->loop);
        return;
    }
    // Without a session bus nothing can be found running: start what the
    // settings ask for all the same.
    g_message("no session bus; starting without one");
    launcher->start();
}

} // namespace

int main() {
    using namespace quillet;
    std::setlocale(LC_ALL, "");
    platform::logToJournal();

    Launcher launcher;
    launcher.loop = g_main_loop_new(nullptr, FALSE);

    SettingsStore sharedDefaults(ids::kSuiteName);
    platform::GioWorkspace workspace;
    platform::GLibMainQueue mainQueue;
    launcher::AppDelegate delegate(
        launcher::LauncherPorts{
            .sharedDefaults = sharedDefaults,
            .workspace = workspace,
            .mainQueue = mainQueue,
            .log = [](const std::string& line) { g_message("%s", line.c_str()); },
            .terminate = [loop = launcher.loop] { g_main_loop_quit(loop); },
        },
        launcher::LaunchPaths::besideExecutable(paths::executablePath()));
    launcher.delegate = &delegate;

    const guint owner =
        g_bus_own_name(G_BUS_TYPE_SESSION, ids::kLauncher, G_BUS_NAME_OWNER_FLAGS_DO_NOT_QUEUE,
                       nullptr, onNameAcquired, onNameLost, &launcher, nullptr);
    g_main_loop_run(launcher.loop);
    g_bus_unown_name(owner);
    g_main_loop_unref(launcher.loop);
    return 0;
}
