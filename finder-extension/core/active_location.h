// Which of the file manager's windows the user used last, and the folder it
// shows: what the module publishes on the bus for the shortcut's script.
// The toolkit side reports windows by an opaque key; the choice is made here.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace quillet {

// What the module publishes: the folder of its most recently active window
// as a "file:///" URI ("" when that window shows no local folder, or none
// has been active yet), and when that window last became active
// (microseconds of the monotonic clock; 0 for never).
struct ActiveLocation {
    std::string uri;
    std::uint64_t since = 0;
    bool operator==(const ActiveLocation&) const = default;
};

// The URI published for a location a window shows: a local folder as a
// "file:///" URI with its path percent-encoded; "" for any other place
// (trash, network, search results), where no file can be created.
std::string publishedFolderURI(std::string_view location);

class ActiveWindows {
public:
    using WindowKey = std::uintptr_t;

    // Each returns whether what is published changed.
    // The window shows this location (a URI as the file manager gives it).
    bool windowShows(WindowKey window, std::string_view location);
    // The window became active at `now`.
    bool windowActivated(WindowKey window, std::uint64_t now);
    // The window is gone: the one active before it is published again.
    bool windowClosed(WindowKey window);

    ActiveLocation published() const;

private:
    struct Window {
        std::string uri; // as published
        std::uint64_t activeSince = 0;
    };
    template <class Change> bool changing(Change change);

    std::map<WindowKey, Window> windows_;
};

} // namespace quillet
