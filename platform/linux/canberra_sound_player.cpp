#include "canberra_sound_player.h"

#include <canberra.h>

namespace quillet::platform {

CanberraSoundPlayer::CanberraSoundPlayer(std::string applicationName)
    : applicationName_(std::move(applicationName)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (context_ != nullptr) {
        ca_context_destroy(static_cast<ca_context*>(context_));
    }
}

void CanberraSoundPlayer::play(const std::string& path) {
    std::lock_guard lock(mutex_);
    if (context_ == nullptr) {
        ca_context* context = nullptr;
        if (ca_context_create(&context) != CA_SUCCESS) {
            return;
        }
        ca_context_change_props(context, CA_PROP_APPLICATION_NAME, applicationName_.c_str(),
                                nullptr);
        context_ = context;
    }
    // The context stays alive with this object: playback is asynchronous.
    ca_context_play(static_cast<ca_context*>(context_), nextId_++, CA_PROP_MEDIA_FILENAME,
                    path.c_str(), CA_PROP_MEDIA_ROLE, "event", nullptr);
}

} // namespace quillet::platform
