#include "app/core/preferences/preferences_window_model.h"

#include <algorithm>
#include <iostream>

namespace quillet::app {

std::string PreferencesWindowModel::frameKey(const std::string& identifier) {
    return "MASPreferences " + identifier + " Frame";
}

PreferencesWindowModel::PreferencesWindowModel(std::vector<Entry> entries,
                                               std::optional<std::string> title,
                                               SettingsStore& defaults)
    : entries_(std::move(entries)), title_(std::move(title)), defaults_(defaults) {}

std::vector<std::string> PreferencesWindowModel::toolbarItemIdentifiers() const {
    std::vector<std::string> out;
    for (const auto& entry : entries_) {
        out.push_back(entry ? entry->identifier : kFlexibleSpaceIdentifier);
    }
    return out;
}

std::optional<std::size_t>
PreferencesWindowModel::indexForIdentifier(const std::string& identifier) const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i] && entries_[i]->identifier == identifier) {
            return i;
        }
    }
    return std::nullopt;
}

std::optional<std::size_t> PreferencesWindowModel::firstIndex() const {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i]) {
            return i;
        }
    }
    return std::nullopt;
}

std::size_t PreferencesWindowModel::indexOfSelectedController() const {
    if (!selected_) {
        return kNotFound;
    }
    // The position of its identifier among the toolbar's identifiers.
    const auto identifiers = toolbarItemIdentifiers();
    auto it = std::find(identifiers.begin(), identifiers.end(), entries_[*selected_]->identifier);
    return it == identifiers.end() ? kNotFound : static_cast<std::size_t>(it - identifiers.begin());
}

std::optional<std::size_t> PreferencesWindowModel::restoredSelection() const {
    if (entries_.empty()) {
        return std::nullopt;
    }
    if (auto remembered = defaults_.stringForKey(kSelectedKey)) {
        if (auto index = indexForIdentifier(*remembered)) {
            return index;
        }
    }
    return firstIndex();
}

std::optional<Point> PreferencesWindowModel::savedTopLeft() const {
    auto text = defaults_.stringForKey(kTopLeftKey);
    return text ? pointFromString(*text) : std::nullopt;
}

void PreferencesWindowModel::windowDidMove(Point topLeft) {
    if (const Status stored = defaults_.setString(kTopLeftKey, stringFromPoint(topLeft)); !stored) {
        std::cerr << "quillet: cannot remember the window's position: " << stored.error().logText()
                  << "\n";
    }
}

void PreferencesWindowModel::windowDidResize(Size paneSize) {
    if (!selected_) {
        return;
    }
    const std::string key = frameKey(entries_[*selected_]->identifier);
    if (const Status stored = defaults_.setString(key, stringFromRect(Rect{{0, 0}, paneSize}));
        !stored) {
        std::cerr << "quillet: cannot remember the pane's size: " << stored.error().logText()
                  << "\n";
    }
}

PreferencesWindowModel::Change
PreferencesWindowModel::select(std::optional<std::size_t> index,
                               const std::function<bool(std::size_t)>& commitEditing,
                               PaneSizes panes, const Rect& window, Size chrome) {
    Change change;
    if (index && (*index >= entries_.size() || !entries_[*index])) {
        return change; // no pane there
    }
    if (index == selected_) {
        return change;
    }
    if (selected_) {
        if (commitEditing && !commitEditing(*selected_)) {
            change.kind = Change::Kind::Refused;
            return change;
        }
        change.previous = selected_;
        selected_.reset();
    }
    if (!index) {
        change.kind = Change::Kind::Cleared;
        return change;
    }

    const PaneEntry& pane = *entries_[*index];
    if (!title_ || title_->empty()) {
        change.windowTitle = pane.label;
    }
    if (const Status stored = defaults_.setString(kSelectedKey, pane.identifier); !stored) {
        std::cerr << "quillet: cannot remember the selected pane: " << stored.error().logText()
                  << "\n";
    }

    // The window grows as the panes' sizes: it may be resized where any pane
    // may grow, and a pane that may not gets the room left over.
    bool w = false;
    bool h = false;
    for (const auto& entry : entries_) {
        w = w || (entry && entry->resizableWidth);
        h = h || (entry && entry->resizableHeight);
    }
    Size wanted = panes.natural;
    if (laidOut_) {
        wanted = Size{window.size.width - chrome.width, window.size.height - chrome.height};
    } else if (auto saved = savedPaneSize(pane.identifier)) {
        wanted = Size{w ? saved->width : wanted.width, h ? saved->height : wanted.height};
    }
    const Size size{std::max(wanted.width, panes.minimum.width),
                    std::max(wanted.height, panes.minimum.height)};

    PaneLayout& layout = change.layout;
    layout.paneFrame = Rect{{0, 0}, size};
    // The top-left corner stays where it is.
    layout.windowFrame =
        Rect{window.origin, {size.width + chrome.width, size.height + chrome.height}};
    layout.minimumPaneSize = panes.minimum;
    layout.maximumPaneSize = Size{w ? kUnlimited : size.width, h ? kUnlimited : size.height};
    layout.resizable = w || h;

    laidOut_ = true;
    selected_ = index;
    change.kind = Change::Kind::Selected;
    return change;
}

std::optional<Size> PreferencesWindowModel::savedPaneSize(const std::string& identifier) const {
    auto sizeUnder = [this](const std::string& id) -> std::optional<Size> {
        auto text = defaults_.stringForKey(frameKey(id));
        auto rect = text ? rectFromString(*text) : std::nullopt;
        return rect ? std::optional<Size>(rect->size) : std::nullopt;
    };
    if (auto own = sizeUnder(identifier)) {
        return own;
    }
    for (const auto& entry : entries_) {
        if (entry) {
            if (auto other = sizeUnder(entry->identifier)) {
                return other;
            }
        }
    }
    return std::nullopt;
}

PreferencesWindowModel::Change
PreferencesWindowModel::selectIdentifier(const std::string& identifier,
                                         const std::function<bool(std::size_t)>& commitEditing,
                                         PaneSizes panes, const Rect& window, Size chrome) {
    return select(indexForIdentifier(identifier), commitEditing, panes, window, chrome);
}

std::optional<std::size_t> PreferencesWindowModel::nextIndex(bool forward) const {
    const std::size_t count = entries_.size();
    if (!firstIndex()) {
        return std::nullopt;
    }
    std::size_t index = indexOfSelectedController();
    if (index == kNotFound) {
        // Nothing selected: next starts before the first, previous after the last.
        index = forward ? count - 1 : 0;
    }
    const std::size_t step = forward ? 1 : count - 1;
    do {
        index = (index + step) % count;
    } while (!entries_[index]);
    return index;
}

bool PreferencesWindowModel::shouldClose(
    const std::function<bool(std::size_t)>& commitEditing) const {
    return !selected_ || !commitEditing || commitEditing(*selected_);
}

} // namespace quillet::app
