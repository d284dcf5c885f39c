// Mounts and unmounts from the kernel's mount table (/proc/self/mountinfo),
// watched by GIO's unix mount monitor and diffed into single events.
#pragma once

#include "shared/ports/volume_monitor.h"

#include <memory>
#include <set>
#include <string>

namespace quillet::platform {

class GioVolumeMonitor final : public VolumeMonitor {
public:
    // Watches nothing until the first handler is set.
    GioVolumeMonitor();
    ~GioVolumeMonitor() override;
    GioVolumeMonitor(const GioVolumeMonitor&) = delete;
    GioVolumeMonitor& operator=(const GioVolumeMonitor&) = delete;

    // willUnmount is called once the mount is gone from the table; Linux says
    // nothing before that. The first handlers start the watch: set them on
    // the main thread, whose main context then reports the changes.
    void setHandlers(Callback didMount, Callback willUnmount) override;

    // The mount paths of the table as last read (none before the watch starts).
    const std::set<std::string>& mountPaths() const { return mounts_; }

    // Re-reads the table and reports the difference (the monitor's signal handler).
    void refresh();

private:
    static std::set<std::string> readMounts();

    void* monitor_ = nullptr; // GUnixMountMonitor
    unsigned long handlerId_ = 0;
    std::set<std::string> mounts_;
    Callback didMount_;
    Callback willUnmount_;
};

} // namespace quillet::platform
