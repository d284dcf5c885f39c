// Follows the file manager's windows inside its process: which one the user
// activated last and what folder each shows, on X11 and Wayland alike (the
// toolkit's own "is-active"). The choice of what to publish is the core's
// (ActiveWindows); this only reports the windows' events to it.
#pragma once

#include "finder-extension/core/active_location.h"

#include <gio/gio.h>

#include <functional>
#include <set>

namespace quillet::module {

// How one file manager lets the module see its windows and their folders.
// Every supported one is a GtkApplication: its "window-added" and
// "window-removed" signals and each window's "is-active" are plain GObject
// API; the rest differs.
struct WindowFolders {
    // The application's windows open now (the toolkit's list, not freed), for
    // a module loaded after they opened.
    GList* (*openWindows)(GApplication* application);
    // Optional: starts following what one window shows, reporting it
    // through WindowTracker::windowShows. Called once per window.
    void (*follow)(GObject* window);
    // Optional: the window just became active.
    void (*activated)(GObject* window);
};

class WindowTracker {
public:
    using Publish = std::function<void(const ActiveLocation&)>;

    // Follows the default GApplication's windows; none without one.
    WindowTracker(const WindowFolders& folders, Publish publish);
    ~WindowTracker();
    WindowTracker(const WindowTracker&) = delete;
    WindowTracker& operator=(const WindowTracker&) = delete;

    // The window shows this location (a URI); it is followed from now on.
    void windowShows(GObject* window, const char* uri);
    const std::set<GObject*>& windows() const { return windows_; }
    // The application followed, or null.
    GApplication* application() const { return application_; }

private:
    void follow(GObject* window);
    void forget(GObject* window);
    void report(bool changed);
    static void onWindowAdded(GApplication*, GObject* window, gpointer self);
    static void onWindowRemoved(GApplication*, GObject* window, gpointer self);
    static void onActiveChanged(GObject* window, GParamSpec*, gpointer self);
    static void onFinalized(gpointer self, GObject* window);

    WindowFolders folders_;
    Publish publish_;
    ActiveWindows model_;
    GApplication* application_ = nullptr;
    std::set<GObject*> windows_;
};

} // namespace quillet::module
