// Records the sounds that would have been played.
#pragma once

#include "shared/ports/sound_player.h"

#include <string>
#include <vector>

namespace quillet::test {

class FakeSoundPlayer final : public SoundPlayer {
public:
    void play(const std::string& path) override { played.push_back(path); }

    std::vector<std::string> played;
};

} // namespace quillet::test
