// The preferences window's rules without the window: which pane is selected,
// the toolbar's identifiers, next and previous, the one size all panes share
// and the window's limits, and the three kinds of values remembered across
// restarts (position, selected pane, the size the user gave the window, kept
// under the pane it was given on) in the program's own settings.
//
// Coordinates are those of the desktop: y grows downward, a frame's origin is
// its top-left corner.
#pragma once

#include "app/core/preferences/geometry_text.h"
#include "shared/settings_store.h"

#include <cstddef>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace quillet::app {

// What the window knows of a pane. A toolbar entry without a pane is a
// flexible space (std::nullopt in the entry list).
struct PaneEntry {
    std::string identifier;
    std::string label;
    bool resizableWidth = false;
    bool resizableHeight = false;
};

// What the panes ask for together: the largest natural size and the largest
// minimum among them. The window keeps one size whichever pane shows, so
// that switching panes never makes it jump.
struct PaneSizes {
    Size natural;
    Size minimum;
};

// Where and how large the selected pane and the window become.
struct PaneLayout {
    Rect paneFrame;   // the pane's origin as saved, at its new size
    Rect windowFrame; // the window's new frame; its top-left corner stays
    Size minimumPaneSize;
    Size maximumPaneSize; // kUnlimited in a direction some pane may grow
    bool resizable = false;
};

class PreferencesWindowModel {
public:
    static constexpr const char* kTopLeftKey = "MASPreferences Frame Top Left";
    static constexpr const char* kSelectedKey = "MASPreferences Selected Identifier View";
    static constexpr const char* kFlexibleSpaceIdentifier = "NSToolbarFlexibleSpaceItem";
    static constexpr double kUnlimited = std::numeric_limits<double>::max();
    static constexpr std::size_t kNotFound =
        static_cast<std::size_t>(std::numeric_limits<std::ptrdiff_t>::max());
    // "MASPreferences <identifier> Frame": the pane's size as the user left it.
    static std::string frameKey(const std::string& identifier);

    using Entry = std::optional<PaneEntry>;

    PreferencesWindowModel(std::vector<Entry> entries, std::optional<std::string> title,
                           SettingsStore& defaults);

    const std::vector<Entry>& entries() const { return entries_; }
    void addEntry(Entry entry) { entries_.push_back(std::move(entry)); }
    const std::optional<std::string>& title() const { return title_; }

    std::vector<std::string> toolbarItemIdentifiers() const;
    // The first pane with the identifier (spaces skipped).
    std::optional<std::size_t> indexForIdentifier(const std::string& identifier) const;
    std::optional<std::size_t> firstIndex() const;
    std::optional<std::size_t> selected() const { return selected_; }
    // kNotFound when nothing is selected.
    std::size_t indexOfSelectedController() const;

    // At load time: the remembered pane, else the first; nothing without panes.
    std::optional<std::size_t> restoredSelection() const;
    std::optional<Point> savedTopLeft() const;

    // Persistence, called as the window moves and is resized.
    void windowDidMove(Point topLeft);
    void windowDidResize(Size paneSize);

    struct Change {
        enum class Kind {
            Unchanged, // the pane was already selected
            Refused,   // the current pane would not give up its edits: it stays
            Cleared,   // no pane selected any more; the window shows nothing
            Selected,  // the new pane is selected; lay it out as `layout` says
        };
        Kind kind = Kind::Unchanged;
        std::optional<std::size_t> previous;    // the pane taken out, if any
        std::optional<std::string> windowTitle; // set when the window has no title of its own
        PaneLayout layout;
    };

    // The pane change. `commitEditing` asks the current pane; `panes` is what
    // all panes ask for now; `window` the window's frame now; `chrome` what
    // the window adds around the pane (toolbar, borders). The first pane
    // shown gets the size the user last gave the window, else the panes'
    // natural size; later panes keep the size the window has.
    Change select(std::optional<std::size_t> index,
                  const std::function<bool(std::size_t)>& commitEditing, PaneSizes panes,
                  const Rect& window, Size chrome);
    // By identifier; one that names no pane clears the selection.
    Change selectIdentifier(const std::string& identifier,
                            const std::function<bool(std::size_t)>& commitEditing, PaneSizes panes,
                            const Rect& window, Size chrome);

    // The pane after (or before) the selected one in toolbar order, wrapping
    // and skipping spaces; nothing when there is no pane at all.
    std::optional<std::size_t> nextIndex(bool forward) const;

    // Whether the window may close: the selected pane's edits are committed.
    bool shouldClose(const std::function<bool(std::size_t)>& commitEditing) const;

private:
    // The size the user gave the window last, under the pane selected then
    // (else under any pane).
    std::optional<Size> savedPaneSize(const std::string& identifier) const;

    std::vector<Entry> entries_;
    std::optional<std::string> title_;
    SettingsStore& defaults_;
    std::optional<std::size_t> selected_;
    bool laidOut_ = false; // a pane has been shown: the window has its size
};

} // namespace quillet::app
