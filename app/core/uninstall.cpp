#include "app/core/uninstall.h"

#include "app/core/nautilus_script.h"
#include "shared/desktop_shortcuts.h"
#include "shared/fd_io.h"
#include "shared/identifiers.h"
#include "shared/xdg_paths.h"

#include <filesystem>

namespace quillet::app {

namespace {

// The script the helper installed, unless the user has changed it (then it
// is theirs, like any script in that folder); its folders go when empty.
Status removeUserScript(const std::string& scriptsDir, const std::string& shipped) {
    const std::string path = paths::appendingPathComponent(scriptsDir, ids::kHelperUserScript);
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        return {};
    }
    auto installed = readFile(path);
    auto original = readFile(shipped);
    if (!installed || !original) {
        return (installed ? original : installed).error().during("remove the helper's script");
    }
    if (*installed != *original) {
        return Error::withDetail("remove the helper's script", path,
                                 "it was changed since it was installed, so it is kept",
                                 std::errc::file_exists);
    }
    if (!std::filesystem::remove(path, error) && error) {
        return Error("remove the helper's script", path, error);
    }
    // Only empty folders: remove() refuses the others, which is the point.
    std::filesystem::remove(scriptsDir, error);
    std::filesystem::remove(paths::deletingLastPathComponent(scriptsDir), error);
    return {};
}

} // namespace

std::vector<Error> uninstall(const UninstallTargets& targets) {
    std::vector<Error> failures;
    auto keep = [&failures](Status status) {
        if (!status) {
            failures.push_back(status.error());
        }
    };
    for (ShortcutRegistry* registry : targets.registries) {
        keep(removeOurRegistryEntries(*registry));
    }
    if (targets.loginItems.isRegistered(ids::kLauncher)) {
        keep(targets.loginItems.setRegistered(ids::kLauncher, targets.launcherPath, false));
    }
    keep(removeUserScript(targets.helperScriptsDir, targets.shippedUserScript));
    keep(removeNautilusScript());
    return failures;
}

} // namespace quillet::app
