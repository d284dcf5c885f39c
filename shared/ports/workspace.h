// The desktop: default handlers, the file manager, running programs.
#pragma once

#include "shared/error.h"

#include <string>
#include <vector>

namespace quillet {

// An application the desktop offers for a kind of file.
struct AssociatedApp {
    std::string id;   // the desktop entry's id ("org.gnome.TextEditor.desktop")
    std::string name; // its display name
    std::string icon; // a themed icon name or an absolute icon file; may be empty
    bool operator==(const AssociatedApp&) const = default;
};

class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens a URL with the desktop's handler for its scheme.
    [[nodiscard]] virtual Status openURL(const std::string& url) = 0;
    // Opens a file with its default application.
    [[nodiscard]] virtual Status openFile(const std::string& path) = 0;
    // Shows the items selected in a window of the named file manager
    // ("nautilus", "nemo", "caja", "thunar", as creation requests name it)
    // where it can be asked; otherwise, or for "", in the desktop's.
    [[nodiscard]] virtual Status revealItems(const std::vector<std::string>& paths,
                                             const std::string& fileManager) = 0;
    [[nodiscard]] Status revealItems(const std::vector<std::string>& paths) {
        return revealItems(paths, {});
    }
    // Moves the item to the user's trash, where it can be restored from.
    [[nodiscard]] virtual Status moveToTrash(const std::string& path) = 0;
    // Starts a program by path, detached.
    [[nodiscard]] virtual Status launchProgram(const std::string& path,
                                               const std::vector<std::string>& args) = 0;
    // Whether a program with this id owns its name on the session bus.
    virtual bool isProgramRunning(const std::string& id) const = 0;
    // The applications that can open the file, from the desktop entries that
    // handle its type, without repeats. May take a while: call it off the
    // main thread.
    virtual std::vector<AssociatedApp> applicationsForFile(const std::string& path) const = 0;
    // Opens the file with the application of that desktop entry id.
    [[nodiscard]] virtual Status openFileWithApplication(const std::string& path,
                                                         const std::string& appId) = 0;
};

} // namespace quillet
