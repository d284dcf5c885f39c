#include "canberra_sound_player.h"

#include "platform/linux/runtime_library.h"

#include <canberra.h>

namespace quillet::platform {

// libcanberra and what it pulls in (its backends, the audio libraries) cost
// the helper more memory than the rest of it, and most runs never play a
// sound: the library is opened with the first sound, not at start.
struct CanberraSoundPlayer::Library {
    decltype(ca_context_create)* create = nullptr;
    decltype(ca_context_change_props)* changeProps = nullptr;
    decltype(ca_context_play)* play = nullptr;
    decltype(ca_context_destroy)* destroy = nullptr;
    bool complete = false;

    // Null when the library or one of its functions is missing: no sound.
    static const Library* open() {
        static const Library library = [] {
            Library found;
            void* handle = openRuntimeLibrary("libcanberra.so.0");
            found.complete = bindFunction(handle, "ca_context_create", found.create) &&
                             bindFunction(handle, "ca_context_change_props", found.changeProps) &&
                             bindFunction(handle, "ca_context_play", found.play) &&
                             bindFunction(handle, "ca_context_destroy", found.destroy);
            return found;
        }();
        return library.complete ? &library : nullptr;
    }
};

CanberraSoundPlayer::CanberraSoundPlayer(std::string applicationName)
    : applicationName_(std::move(applicationName)) {}

CanberraSoundPlayer::~CanberraSoundPlayer() {
    if (context_ != nullptr) {
        Library::open()->destroy(static_cast<ca_context*>(context_));
    }
}

void CanberraSoundPlayer::play(const std::string& path) {
    std::lock_guard lock(mutex_);
    const Library* library = Library::open();
    if (library == nullptr) {
        return;
    }
    if (context_ == nullptr) {
        ca_context* context = nullptr;
        if (library->create(&context) != CA_SUCCESS) {
            return;
        }
        library->changeProps(context, CA_PROP_APPLICATION_NAME, applicationName_.c_str(), nullptr);
        context_ = context;
    }
    // The context stays alive with this object: playback is asynchronous.
    library->play(static_cast<ca_context*>(context_), nextId_++, CA_PROP_MEDIA_FILENAME,
                  path.c_str(), CA_PROP_MEDIA_ROLE, "event", nullptr);
}

} // namespace quillet::platform
