#include "gio_volume_monitor.h"

#include <gio/gio.h>
#include <gio/gunixmounts.h>

#include <exception>
#include <vector>

namespace quillet::platform {

namespace {
void onMountsChanged(GUnixMountMonitor*, gpointer userData) {
    // An exception must not unwind through GLib's C frames: inside the file
    // manager that would end the whole process.
    try {
        static_cast<GioVolumeMonitor*>(userData)->refresh();
    } catch (const std::exception& e) {
        g_warning("quillet: volume change not handled: %s", e.what());
    } catch (...) {
        g_warning("quillet: volume change not handled");
    }
}
} // namespace

GioVolumeMonitor::GioVolumeMonitor() = default;

GioVolumeMonitor::~GioVolumeMonitor() {
    if (monitor_ != nullptr) {
        auto* monitor = static_cast<GUnixMountMonitor*>(monitor_);
        g_signal_handler_disconnect(monitor, handlerId_);
        g_object_unref(monitor);
    }
}

void GioVolumeMonitor::setHandlers(Callback didMount, Callback willUnmount) {
    didMount_ = std::move(didMount);
    willUnmount_ = std::move(willUnmount);
    // Reading the table and watching it cost a program's start a thread and
    // the mount library: done once somebody listens.
    if (monitor_ == nullptr && (didMount_ || willUnmount_)) {
        mounts_ = readMounts();
        GUnixMountMonitor* monitor = g_unix_mount_monitor_get();
        monitor_ = monitor;
        handlerId_ = g_signal_connect(monitor, "mounts-changed", G_CALLBACK(onMountsChanged), this);
    }
}

std::set<std::string> GioVolumeMonitor::readMounts() {
    std::set<std::string> paths;
    GList* entries = g_unix_mounts_get(nullptr);
    for (GList* it = entries; it != nullptr; it = it->next) {
        auto* entry = static_cast<GUnixMountEntry*>(it->data);
        if (const char* path = g_unix_mount_get_mount_path(entry)) {
            paths.insert(path);
        }
    }
    g_list_free_full(entries, reinterpret_cast<GDestroyNotify>(g_unix_mount_free));
    return paths;
}

void GioVolumeMonitor::refresh() {
    std::set<std::string> now = readMounts();
    std::vector<std::string> gone;
    std::vector<std::string> added;
    for (const auto& path : mounts_) {
        if (now.count(path) == 0) {
            gone.push_back(path);
        }
    }
    for (const auto& path : now) {
        if (mounts_.count(path) == 0) {
            added.push_back(path);
        }
    }
    mounts_ = std::move(now);
    // Copies: a handler may replace the handlers.
    Callback willUnmount = willUnmount_;
    Callback didMount = didMount_;
    for (const auto& path : gone) {
        if (willUnmount) {
            willUnmount(path);
        }
    }
    for (const auto& path : added) {
        if (didMount) {
            didMount(path);
        }
    }
}

} // namespace quillet::platform
