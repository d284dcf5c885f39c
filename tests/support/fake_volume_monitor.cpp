#include "fake_volume_monitor.h"

#include "fake_main_queue.h"

namespace quillet::test {

void FakeVolumeMonitor::setHandlers(Callback didMount, Callback willUnmount) {
    didMount_ = std::move(didMount);
    willUnmount_ = std::move(willUnmount);
}

void FakeVolumeMonitor::fireMount(const std::string& mountPath) {
    call(didMount_, mountPath);
}

void FakeVolumeMonitor::fireUnmount(const std::string& mountPath) {
    call(willUnmount_, mountPath);
}

void FakeVolumeMonitor::call(const Callback& callback, const std::string& mountPath) {
    if (!callback) {
        return;
    }
    if (queue_ != nullptr) {
        queue_->post([callback, mountPath] { callback(mountPath); });
    } else {
        callback(mountPath);
    }
}

} // namespace quillet::test
