#include "finder-extension/core/active_location.h"

#include "shared/file_uri.h"
#include "shared/request_url.h"

namespace quillet {

std::string publishedFolderURI(std::string_view location) {
    const auto path = localPathFromFileURI(location);
    // "file:/p" and "file://localhost/p" are the same folder as "file:///p",
    // which is the one spelling the script reads.
    if (!path) {
        return {};
    }
    // Without quotes, the bus tools print the URI between single quotes with
    // nothing to unescape: the script reads it with sed.
    std::string uri = "file://";
    for (char c : percentEncodePath(*path)) {
        uri += c == '\'' ? std::string("%27") : std::string(1, c);
    }
    return uri;
}

template <class Change> bool ActiveWindows::changing(Change change) {
    const ActiveLocation before = published();
    change();
    return published() != before;
}

bool ActiveWindows::windowShows(WindowKey window, std::string_view location) {
    return changing([&] { windows_[window].uri = publishedFolderURI(location); });
}

bool ActiveWindows::windowActivated(WindowKey window, std::uint64_t now) {
    return changing([&] { windows_[window].activeSince = now; });
}

bool ActiveWindows::windowClosed(WindowKey window) {
    return changing([&] { windows_.erase(window); });
}

ActiveLocation ActiveWindows::published() const {
    const Window* newest = nullptr;
    for (const auto& [key, window] : windows_) {
        if (window.activeSince != 0 &&
            (newest == nullptr || window.activeSince > newest->activeSince)) {
            newest = &window;
        }
    }
    return newest == nullptr ? ActiveLocation{} : ActiveLocation{newest->uri, newest->activeSince};
}

} // namespace quillet
