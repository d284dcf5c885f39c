#include "fake_workspace.h"

#include "shared/xdg_paths.h"

namespace quillet::test {

bool FakeWorkspace::openURL(const std::string& url) {
    openedURLs.push_back(url);
    return succeed;
}

bool FakeWorkspace::openFile(const std::string& path) {
    openedFiles.push_back(path);
    return succeed;
}

bool FakeWorkspace::revealItems(const std::vector<std::string>& paths) {
    revealed.push_back(paths);
    return succeed;
}

bool FakeWorkspace::launchProgram(const std::string& path, const std::vector<std::string>& args) {
    launched.push_back({path, args});
    if (onLaunch) {
        onLaunch(launched.back());
    }
    return succeed;
}

bool FakeWorkspace::isProgramRunning(const std::string& id) const {
    runningQueries.push_back(id);
    return running_.count(id) != 0;
}

void FakeWorkspace::setRunning(const std::string& id, bool running) {
    if (running) {
        running_.insert(id);
    } else {
        running_.erase(id);
    }
}

std::vector<AssociatedApp> FakeWorkspace::applicationsForFile(const std::string& path) const {
    auto it = applicationsByExtension.find(paths::pathExtension(path));
    return it == applicationsByExtension.end() ? std::vector<AssociatedApp>{} : it->second;
}

bool FakeWorkspace::openFileWithApplication(const std::string& path, const std::string& appId) {
    openedWith.emplace_back(path, appId);
    return succeed;
}

} // namespace quillet::test
