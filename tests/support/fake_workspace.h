// A desktop that records what it was asked to open, reveal and launch.
#pragma once

#include "shared/ports/workspace.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace quillet::test {

class FakeWorkspace final : public Workspace {
public:
    struct Launch {
        std::string path;
        std::vector<std::string> args;
    };

    Status openURL(const std::string& url) override;
    Status openFile(const std::string& path) override;
    using Workspace::revealItems;
    Status revealItems(const std::vector<std::string>& paths,
                       const std::string& fileManager) override;
    // Records the path and, as the trash would, takes the item away.
    Status moveToTrash(const std::string& path) override;
    Status launchProgram(const std::string& path, const std::vector<std::string>& args) override;
    bool isProgramRunning(const std::string& id) const override;
    std::vector<AssociatedApp> applicationsForFile(const std::string& path) const override;
    Status openFileWithApplication(const std::string& path, const std::string& appId) override;

    void setRunning(const std::string& id, bool running);

    std::vector<std::string> openedURLs;
    std::vector<std::string> openedFiles;
    std::vector<std::vector<std::string>> revealed;
    std::vector<std::string> revealedIn; // the file manager of each reveal
    std::vector<std::string> trashed;
    std::vector<Launch> launched;
    // What applicationsForFile answers, by the file's extension ("" for none).
    std::map<std::string, std::vector<AssociatedApp>> applicationsByExtension;
    std::vector<std::pair<std::string, std::string>> openedWith; // path, app id
    mutable std::vector<std::string> runningQueries;

    // What every call answers; a test sets false to simulate a failing desktop.
    bool succeed = true;
    // Called after a launch is recorded (e.g. to mark the program running).
    std::function<void(const Launch&)> onLaunch;

private:
    std::set<std::string> running_;
};

} // namespace quillet::test
