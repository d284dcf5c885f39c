// Plays sound files through libcanberra (the desktop's event-sound service).
#pragma once

#include "shared/ports/sound_player.h"

#include <mutex>
#include <string>

namespace quillet::platform {

class CanberraSoundPlayer final : public SoundPlayer {
public:
    explicit CanberraSoundPlayer(std::string applicationName = "Quillet");
    ~CanberraSoundPlayer() override;
    CanberraSoundPlayer(const CanberraSoundPlayer&) = delete;
    CanberraSoundPlayer& operator=(const CanberraSoundPlayer&) = delete;

    // Asynchronous; without a sound device nothing happens and nothing is said.
    void play(const std::string& path) override;

private:
    struct Library;

    std::string applicationName_;
    std::mutex mutex_;
    void* context_ = nullptr; // ca_context, made on first use
    unsigned nextId_ = 1;
};

} // namespace quillet::platform
