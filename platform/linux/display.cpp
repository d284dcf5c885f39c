#include "platform/linux/display.h"

#include <cstdlib>
#include <cstring>

namespace quillet::platform {

namespace {

bool isSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

} // namespace

bool isWaylandSession() {
    const char* sessionType = std::getenv("XDG_SESSION_TYPE");
    return isSet("WAYLAND_DISPLAY") ||
           (sessionType != nullptr && std::strcmp(sessionType, "wayland") == 0);
}

bool hasX11Display() {
    return isSet("DISPLAY");
}

bool hasDisplay() {
    if (isSet("DISPLAY") || isSet("WAYLAND_DISPLAY")) {
        return true;
    }
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    return platform != nullptr && (std::strncmp(platform, "offscreen", 9) == 0 ||
                                   std::strncmp(platform, "minimal", 7) == 0);
}

std::string alertTextLine(const std::optional<std::string>& title,
                          const std::optional<std::string>& message) {
    std::string line = title.value_or("");
    if (message && !message->empty()) {
        line += line.empty() ? *message : ": " + *message;
    }
    return line;
}

} // namespace quillet::platform
