// Volumes being mounted and unmounted.
#pragma once

#include <functional>
#include <string>

namespace quillet {

class VolumeMonitor {
public:
    using Callback = std::function<void(const std::string& mountPath)>;
    virtual ~VolumeMonitor() = default;
    // Callbacks run on the main queue. Either may be empty.
    virtual void setHandlers(Callback didMount, Callback willUnmount) = 0;
};

} // namespace quillet
