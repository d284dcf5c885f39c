// The desktop: default handlers, the file manager, running programs.
#pragma once

#include <string>
#include <vector>

namespace quillet {

class Workspace {
public:
    virtual ~Workspace() = default;
    // Opens a URL with the desktop's handler for its scheme.
    virtual bool openURL(const std::string& url) = 0;
    // Opens a file with its default application.
    virtual bool openFile(const std::string& path) = 0;
    // Shows the items selected in a file-manager window.
    virtual bool revealItems(const std::vector<std::string>& paths) = 0;
    // Starts a program by path, detached.
    virtual bool launchProgram(const std::string& path, const std::vector<std::string>& args) = 0;
    // Whether a program with this id owns its name on the session bus.
    virtual bool isProgramRunning(const std::string& id) const = 0;
};

} // namespace quillet
