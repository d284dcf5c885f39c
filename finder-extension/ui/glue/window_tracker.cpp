#include "window_tracker.h"

namespace quillet::module {

namespace {

ActiveWindows::WindowKey keyOf(GObject* window) {
    return reinterpret_cast<ActiveWindows::WindowKey>(window);
}

bool isActive(GObject* window) {
    gboolean active = FALSE;
    if (g_object_class_find_property(G_OBJECT_GET_CLASS(window), "is-active") != nullptr) {
        g_object_get(window, "is-active", &active, nullptr);
    }
    return active != FALSE;
}

} // namespace

WindowTracker::WindowTracker(const WindowFolders& folders, Publish publish)
    : folders_(folders), publish_(std::move(publish)) {
    GApplication* application = g_application_get_default();
    if (application == nullptr ||
        g_signal_lookup("window-added", G_OBJECT_TYPE(application)) == 0) {
        return;
    }
    application_ = G_APPLICATION(g_object_ref(application));
    g_signal_connect(application_, "window-added", G_CALLBACK(onWindowAdded), this);
    g_signal_connect(application_, "window-removed", G_CALLBACK(onWindowRemoved), this);
    if (folders_.openWindows != nullptr) {
        for (GList* l = folders_.openWindows(application_); l != nullptr; l = l->next) {
            follow(G_OBJECT(l->data));
        }
    }
}

WindowTracker::~WindowTracker() {
    for (GObject* window : windows_) {
        g_signal_handlers_disconnect_by_data(window, this);
        g_object_weak_unref(window, onFinalized, this);
    }
    if (application_ != nullptr) {
        g_signal_handlers_disconnect_by_data(application_, this);
        g_object_unref(application_);
    }
}

void WindowTracker::follow(GObject* window) {
    if (!windows_.insert(window).second) {
        return;
    }
    g_signal_connect(window, "notify::is-active", G_CALLBACK(onActiveChanged), this);
    // A window may go without being removed from the application first.
    g_object_weak_ref(window, onFinalized, this);
    if (folders_.follow != nullptr) {
        folders_.follow(window);
    }
    if (isActive(window)) {
        onActiveChanged(window, nullptr, this);
    }
}

void WindowTracker::forget(GObject* window) {
    if (windows_.erase(window) == 0) {
        return;
    }
    g_signal_handlers_disconnect_by_data(window, this);
    g_object_weak_unref(window, onFinalized, this);
    report(model_.windowClosed(keyOf(window)));
}

void WindowTracker::report(bool changed) {
    if (changed && publish_) {
        publish_(model_.published());
    }
}

void WindowTracker::windowShows(GObject* window, const char* uri) {
    if (window == nullptr || uri == nullptr) {
        return;
    }
    follow(window);
    report(model_.windowShows(keyOf(window), uri));
}

void WindowTracker::onWindowAdded(GApplication*, GObject* window, gpointer self) {
    static_cast<WindowTracker*>(self)->follow(window);
}

void WindowTracker::onWindowRemoved(GApplication*, GObject* window, gpointer self) {
    static_cast<WindowTracker*>(self)->forget(window);
}

void WindowTracker::onActiveChanged(GObject* window, GParamSpec*, gpointer self) {
    auto* tracker = static_cast<WindowTracker*>(self);
    if (!isActive(window)) {
        return;
    }
    // The monotonic clock, which every module and the script share.
    tracker->report(tracker->model_.windowActivated(
        keyOf(window), static_cast<std::uint64_t>(g_get_monotonic_time())));
    if (tracker->folders_.activated != nullptr) {
        tracker->folders_.activated(window);
    }
}

void WindowTracker::onFinalized(gpointer self, GObject* window) {
    auto* tracker = static_cast<WindowTracker*>(self);
    tracker->windows_.erase(window);
    tracker->report(tracker->model_.windowClosed(keyOf(window)));
}

} // namespace quillet::module
