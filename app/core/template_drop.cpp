#include "template_drop.h"

#include "shared/error_text.h"
#include "shared/file_dates.h"
#include "shared/files/private_folder.h"
#include "shared/files/safe_create.h"
#include "shared/files/temporary_item.h"
#include "shared/item_executable.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <string_view>
#include <utility>

namespace quillet::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kStagingPrefix = "drag-";

bool isStaging(const fs::path& path) {
    return path.filename().string().rfind(kStagingPrefix, 0) == 0;
}

void removeStaleStaging(const std::string& root, std::chrono::minutes keepFor) {
    std::error_code error;
    const auto limit = fs::file_time_type::clock::now() - keepFor;
    for (fs::directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        if (!isStaging(it->path())) {
            continue;
        }
        std::error_code ignored;
        if (fs::last_write_time(it->path(), ignored) < limit) {
            fs::remove_all(it->path(), ignored);
        }
    }
}

} // namespace

std::vector<FileTemplate> enabledTemplates(const SettingsStore& sharedDefaults) {
    std::vector<FileTemplate> rows;
    for (auto& record : fileTemplatesFrom(sharedDefaults.objectForKey(keys::kFileTemplates))) {
        // The popover learns the folder only at the drop: every template.
        if (record && record->enabled && record->isOfferedIn(std::nullopt)) {
            rows.push_back(std::move(*record));
        }
    }
    return rows;
}

std::optional<std::size_t> storedIndexOfEnabledRow(const SettingsStore& sharedDefaults,
                                                   std::size_t row) {
    std::size_t index = 0;
    for (const auto& record :
         fileTemplatesFrom(sharedDefaults.objectForKey(keys::kFileTemplates))) {
        if (record && record->enabled && row-- == 0) {
            return index;
        }
        ++index;
    }
    return std::nullopt;
}

bool offerDirectSaveAloneTo(const std::string& windowClass) {
    static constexpr std::array<std::string_view, 5> kClasses = {"thunar", "xfdesktop", "caja",
                                                                 "nemo", "nemo-desktop"};
    std::string lower = windowClass;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kClasses.begin(), kClasses.end(), lower) != kClasses.end();
}

std::string dragStagingRoot() {
    return paths::cacheHome() + "/quillet/drag";
}

void removeStagedDrags(const std::string& stagingRoot) {
    std::error_code error;
    for (fs::directory_iterator it(stagingRoot, error), end; !error && it != end;
         it.increment(error)) {
        if (isStaging(it->path())) {
            removeTemporaryItem(it->path());
        }
    }
}

TemplateDropper::TemplateDropper(DropPorts ports, CreationJournal* journal)
    : ports_(std::move(ports)), journal_(journal) {}

std::vector<std::string> TemplateDropper::dropTemplates(const std::vector<FileTemplate>& templates,
                                                        const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& fileTemplate : templates) {
        if (auto path = create(fileTemplate, folder, true)) {
            names.push_back(paths::lastPathComponent(*path));
        }
    }
    return names;
}

std::vector<std::string> TemplateDropper::stageTemplates(const std::vector<FileTemplate>& templates,
                                                         const std::string& stagingRoot,
                                                         std::chrono::minutes keepFor) {
    removeStaleStaging(stagingRoot, keepFor);
    const Expected<std::string> folder = makePrivateFolder(stagingRoot, kStagingPrefix);
    if (!folder) {
        reportLater(ports_.translate("The folder for dragged files cannot be created.") + " (" +
                    stagingRoot + ")");
        return {};
    }
    std::vector<std::string> staged;
    for (const auto& fileTemplate : templates) {
        if (auto path = create(fileTemplate, *folder, false)) {
            staged.push_back(*path);
        }
    }
    return staged;
}

void TemplateDropper::dragEnded(const std::vector<std::string>& staged, bool dropped) {
    if (staged.empty()) {
        return;
    }
    // All of one drag's copies share their private folder.
    const std::string folder = paths::deletingLastPathComponent(staged.front());
    if (!isStaging(folder)) {
        return;
    }
    if (!dropped) {
        removeTemporaryItem(folder);
        return;
    }
    ports_.mainQueue.postAfter(kStagedCopyKeep, [folder] { removeTemporaryItem(folder); });
}

std::optional<std::string> TemplateDropper::create(const FileTemplate& fileTemplate,
                                                   const std::string& folder,
                                                   bool finishInBackground) {
    // A prefix with a "/" or one that is "." or ".." would put the item
    // somewhere else than the drop folder.
    if (!fileTemplate.hasSafeName()) {
        reportLater(ports_.translate("The template's name is not a valid file name.") + "\n" +
                    fileTemplate.prefix);
        return std::nullopt;
    }
    const std::string wanted = paths::appendingPathComponent(folder, fileTemplate.defaultName());
    Expected<std::string> created =
        copyItem(fileTemplate.filePath, wanted, WhenTaken::UseFreeName, journal_);
    if (!created) {
        reportLater(localizedUserText(created.error(), ports_.translate));
        return std::nullopt;
    }
    if (finishInBackground) {
        ports_.runInBackground([path = *created, executable = fileTemplate.executable] {
            finishDroppedItem(path, executable);
        });
    } else {
        finishDroppedItem(*created, fileTemplate.executable);
    }
    return *created;
}

void TemplateDropper::reportLater(const std::string& message) {
    // After the drag has ended: an alert during it would be under the pointer's grab.
    ports_.mainQueue.postAfter(
        kDropAlertDelay,
        [&alerts = ports_.alerts, title = ports_.translate("Unable to create file!"), message] {
            alerts.showAlert(title, message, AlertStyle::Critical);
        });
}

void finishDroppedItem(const std::string& path, bool executable) {
    // Failures are not reported: the item exists.
    (void)setItemExecutable(path, executable);
    (void)updateDateForFile(FileClock::now(), path);
}

} // namespace quillet::app
