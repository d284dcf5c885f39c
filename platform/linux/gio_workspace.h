// The desktop through GIO and the session bus: default handlers, the file
// manager's ShowItems, detached launches and bus-name ownership.
#pragma once

#include "shared/ports/workspace.h"

namespace quillet::platform {

class GioWorkspace final : public Workspace {
public:
    Status openURL(const std::string& url) override;
    Status openFile(const std::string& path) override;
    using Workspace::revealItems;
    // Asks the named file manager asynchronously (Thunar through
    // org.xfce.FileManager, the others through the FileManager1 object
    // under their own bus name); when it cannot be reached, the desktop's
    // org.freedesktop.FileManager1; when that cannot either, opens the
    // folder of the first item instead.
    Status revealItems(const std::vector<std::string>& paths,
                       const std::string& fileManager) override;
    // g_file_trash: the desktop's trash, from which the file manager restores.
    Status moveToTrash(const std::string& path) override;
    // The program is not a child of this one: it outlives us and is never a zombie.
    Status launchProgram(const std::string& path, const std::vector<std::string>& args) override;
    // Asks the bus whether the name has an owner; waits at most half a second.
    bool isProgramRunning(const std::string& id) const override;
    // The handlers of the file's content type (guessed from its name; a
    // folder is inode/directory), recommended ones first.
    std::vector<AssociatedApp> applicationsForFile(const std::string& path) const override;
    Status openFileWithApplication(const std::string& path, const std::string& appId) override;
};

} // namespace quillet::platform
