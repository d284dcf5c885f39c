// Mounts and unmounts fired by the test.
#pragma once

#include "shared/ports/volume_monitor.h"

#include <string>

namespace quillet::test {

class FakeMainQueue;

class FakeVolumeMonitor final : public VolumeMonitor {
public:
    FakeVolumeMonitor() = default;
    // Hands the callbacks to the queue, as the real monitor does.
    explicit FakeVolumeMonitor(FakeMainQueue& queue) : queue_(&queue) {}

    void setHandlers(Callback didMount, Callback willUnmount) override;

    void fireMount(const std::string& mountPath);
    void fireUnmount(const std::string& mountPath);
    bool hasHandlers() const {
        return static_cast<bool>(didMount_) || static_cast<bool>(willUnmount_);
    }

private:
    void call(const Callback& callback, const std::string& mountPath);

    FakeMainQueue* queue_ = nullptr;
    Callback didMount_;
    Callback willUnmount_;
};

} // namespace quillet::test
