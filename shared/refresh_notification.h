// The notification that tells every program of the suite to re-read a key.
#pragma once

#include "identifiers.h"
#include "ports/notification_center.h"

#include <string>

namespace quillet {

// Name = the suite name, object = the key that changed.
inline void postRefreshNotification(NotificationCenter& center, const std::string& key) {
    center.post(ids::kSuiteName, key);
}

} // namespace quillet
