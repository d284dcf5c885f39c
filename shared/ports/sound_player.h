// Short feedback sounds.
#pragma once

#include <string>

namespace quillet {

class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // Plays the sound file; a failure (no sound device) is silent.
    virtual void play(const std::string& path) = 0;
};

} // namespace quillet
