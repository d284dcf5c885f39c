#include "fake_workspace.h"

#include <filesystem>

#include "shared/xdg_paths.h"

namespace quillet::test {

namespace {

Status answer(bool succeed, const char* action, const std::string& path) {
    if (succeed) {
        return {};
    }
    return Error(action, path, std::make_error_code(std::errc::io_error));
}

} // namespace

Status FakeWorkspace::openURL(const std::string& url) {
    openedURLs.push_back(url);
    return answer(succeed, "open", url);
}

Status FakeWorkspace::openFile(const std::string& path) {
    openedFiles.push_back(path);
    return answer(succeed, "open", path);
}

Status FakeWorkspace::revealItems(const std::vector<std::string>& paths,
                                  const std::string& fileManager) {
    revealed.push_back(paths);
    revealedIn.push_back(fileManager);
    return answer(succeed, "show the items", paths.empty() ? std::string() : paths.front());
}

Status FakeWorkspace::moveToTrash(const std::string& path) {
    trashed.push_back(path);
    if (succeed) {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    return answer(succeed, "move to the trash", path);
}

Status FakeWorkspace::launchProgram(const std::string& path, const std::vector<std::string>& args) {
    launched.push_back({path, args});
    if (onLaunch) {
        onLaunch(launched.back());
    }
    return answer(succeed, "launch", path);
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

Status FakeWorkspace::openFileWithApplication(const std::string& path, const std::string& appId) {
    openedWith.emplace_back(path, appId);
    return answer(succeed, "open", path);
}

} // namespace quillet::test
