#include "share_model.h"

#include "shared/file_uri.h"
#include "shared/keys.h"
#include "shared/request_url.h"
#include "shared/text_mark.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>

namespace quillet::share {

namespace {

constexpr const char* kReadAction = "read the shared item";

// "." and ".." resolved in the text, and no trailing slash: the helper
// refuses a folder path with either rather than guess what it means.
std::string normalized(const std::string& path) {
    return paths::withoutTrailingSlashes(std::filesystem::path(path).lexically_normal().string());
}

} // namespace

Expected<std::string> pathFromArgument(const std::string& argument, const std::string& currentDir) {
    if (argument.empty()) {
        return Error::withDetail(kReadAction, {}, N_("empty argument"));
    }
    if (argument.front() == '/') {
        return normalized(argument);
    }
    if (argument.rfind("file:", 0) == 0) {
        if (auto path = localPathFromFileURI(argument)) {
            return normalized(*path);
        }
        return Error::withDetail(kReadAction, argument, N_("not a file of this machine"));
    }
    // Another scheme ("sftp://host/...") names nothing local.
    if (hasURIScheme(argument)) {
        return Error::withDetail(kReadAction, argument, N_("not a local file"));
    }
    return normalized(paths::appendingPathComponent(currentDir, argument));
}

std::string targetFolder(const std::string& selectedPath) {
    std::error_code error;
    const auto status = std::filesystem::status(selectedPath, error);
    if (!error && std::filesystem::exists(status) && !std::filesystem::is_directory(status)) {
        return paths::deletingLastPathComponent(paths::withoutTrailingSlashes(selectedPath));
    }
    return selectedPath;
}

void ShareModel::loadTemplates(const SettingsStore& sharedDefaults) {
    allTemplates_ = sharedDefaults.arrayForKey(keys::kFileTemplates).value_or(Value::Array{});
    chooseRows();
}

void ShareModel::chooseRows() {
    rows_.clear();
    templates_.clear();
    const std::optional<std::string> folder =
        selectedPath_.empty() ? std::nullopt : std::optional(targetFolder(selectedPath_));
    for (const auto& value : allTemplates_) {
        auto record = FileTemplate::fromValue(value);
        if (record && record->enabled && record->isOfferedIn(folder)) {
            rows_.push_back(value);
            templates_.push_back(*record);
        }
    }
}

void ShareModel::loadURLs(const std::vector<std::string>& arguments,
                          const std::string& currentDir) {
    for (const auto& argument : arguments) {
        Expected<std::string> path = pathFromArgument(argument, currentDir);
        struct stat st {};
        if (!path) {
            refused_.push_back(path.error());
        } else if (::lstat(path->c_str(), &st) != 0) {
            // Said as the system says it: a missing item is missing.
            refused_.push_back(Error::fromErrno(kReadAction, *path));
        } else {
            selectedPath_ = *path;
        }
    }
    chooseRows();
}

std::optional<std::size_t> ShareModel::templateIndexForRow(std::size_t row) const {
    if (row >= rows_.size()) {
        return std::nullopt;
    }
    // The first stored record equal to the row's: equal records create the
    // same item, so which of them is named does not matter.
    auto it = std::find(allTemplates_.begin(), allTemplates_.end(), rows_[row]);
    return static_cast<std::size_t>(it - allTemplates_.begin());
}

Expected<std::string> ShareModel::requestURLForRow(std::optional<std::size_t> row) const {
    constexpr const char* kAction = "send the creation request";
    if (selectedPath_.empty()) {
        return Error::withDetail(kAction, {}, "nothing was shared");
    }
    if (!row) {
        return Error::withDetail(kAction, selectedPath_, "no template is chosen");
    }
    auto index = templateIndexForRow(*row);
    if (!index) {
        return Error::withDetail(kAction, selectedPath_, "no such template");
    }
    return makeRequestURL(targetFolder(selectedPath_), *index);
}

} // namespace quillet::share
