// Request intake, template lookup, the copy and its finishing steps.
#include "helper/core/app/app_delegate.h"

#include "helper/core/intake/creation_request.h"
#include "shared/error_text.h"
#include "shared/file_dates.h"
#include "shared/files/expanding_copy.h"
#include "shared/item_executable.h"
#include "shared/keys.h"
#include "shared/writability.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <cstdio>
#include <sys/stat.h>

namespace quillet::helper {

namespace {

constexpr std::size_t kShownURLLength = 300;

} // namespace

void AppDelegate::handleURLEvent(const std::string& url, const std::string& fileManager) {
    shouldHandleURL_ = true;

    const Expected<CreationRequest> read = readCreationRequest(url);
    if (!read) {
        // Not a request we can serve: say so, create nothing. A hostile URL
        // may be megabytes long; the message shows its beginning.
        const std::string shown =
            url.size() > kShownURLLength ? url.substr(0, kShownURLLength) + "\u2026" : url;
        const std::string& reason = read.error().detail();
        std::fprintf(stderr, "quillet-helper: %s: %s\n", shown.c_str(), reason.c_str());
        raisePanelCount();
        showAlert(translate("Unable to create file!"), translate(reason) + "\n" + shown,
                  AlertStyle::Critical);
        lowerPanelCount();
    } else {
        const CreationRequest& request = *read;
        if (auto record = findTemplateByIndex(request.index)) {
            if (ports_.sharedDefaults.boolForKey(keys::kSkipFilename) || !ports_.showNewFilePanel) {
                createFileAtDir(request.folderPath, *record, fileManager);
            } else {
                showNewFilePanel(request.folderPath, *record, fileManager);
            }
        } else {
            // An unreadable settings file hides every template: say that,
            // and where the file is, rather than blame the template.
            const Status readable = ports_.sharedDefaults.readStatus();
            raisePanelCount();
            showAlert(translate("Unable to create file!"),
                      !readable
                          ? translate("The settings file could not be read.") + "\n" +
                                ports_.sharedDefaults.filePath() + "\n" + readable.error().reason()
                          : translate("No suitable file template found."),
                      AlertStyle::Critical);
            lowerPanelCount();
        }
    }
    if (executableChangedUnwatched()) {
        // Replaced by another version: this request was served by the old
        // one, the next starts the new one.
        terminate();
    }
    if (!terminating_) {
        schedulePostRequestCheck();
    }
}

std::optional<Value> AppDelegate::findTemplateByIndex(std::int64_t index) const {
    auto templates = ports_.sharedDefaults.arrayForKey(keys::kFileTemplates);
    if (!templates || index < 0 || static_cast<std::uint64_t>(index) >= templates->size()) {
        return std::nullopt;
    }
    // `enabled` is not consulted: a disabled template named by index is used.
    return (*templates)[static_cast<std::size_t>(index)];
}

void AppDelegate::createFileAtDir(const std::string& folder, const Value& record,
                                  const std::string& fileManager) {
    const Status writable = checkWritableOrCreatable(folder);
    if (writable) {
        makeFileAtDir(folder, record, fileManager);
    } else if (ports_.panels.canShowPanels() &&
               writable.error().code() != std::errc::read_only_file_system) {
        showAuthorizationPanel(folder, record, fileManager);
    } else {
        // No grant makes a read-only file system writable, and with no
        // display nobody could answer the panel: say why instead (the folder
        // asked for, not the ancestor that answered).
        showAlertLaterThenRecheck(translate("Unable to create file!"),
                                  writable.error().code().message() + " (" + folder + ")");
    }
}

namespace {

// The delegate as the panel's host for one request: the item the panel
// creates is shown in the file manager the request came from.
class RequestPanelHost final : public NewFilePanelHost {
public:
    RequestPanelHost(AppDelegate& delegate, std::string fileManager)
        : delegate_(delegate), fileManager_(std::move(fileManager)) {}
    void raisePanelCount() override { delegate_.raisePanelCount(); }
    void lowerPanelCount() override { delegate_.lowerPanelCount(); }
    void runFinishingSteps(const std::string& itemPath, const FileTemplate& fileTemplate) override {
        delegate_.runFinishingSteps(itemPath, fileTemplate, fileManager_);
    }
    void showCountedAlertLater(const std::string& title, const std::string& message) override {
        delegate_.showCountedAlertLater(title, message);
    }
    std::string localizedStringForKey(const std::string& key) override {
        return delegate_.localizedStringForKey(key);
    }
    std::string translate(const std::string& text) override { return delegate_.translate(text); }
    CreationJournal* creationJournal() override { return delegate_.creationJournal(); }

private:
    AppDelegate& delegate_;
    std::string fileManager_;
};

} // namespace

void AppDelegate::showNewFilePanel(const std::string& folder, const Value& record,
                                   const std::string& fileManager) {
    if (!ports_.showNewFilePanel) {
        return;
    }
    if (fileManager.empty()) {
        ports_.showNewFilePanel(*this, folder, record);
        return;
    }
    // The panel runs modally: the host outlives it.
    RequestPanelHost host(*this, fileManager);
    ports_.showNewFilePanel(host, folder, record);
}

void AppDelegate::makeFileAtDir(const std::string& folder, const Value& record,
                                const std::string& fileManager) {
    auto fileTemplate = FileTemplate::fromValue(record);
    if (!fileTemplate) {
        showAlertLaterThenRecheck(translate("Unable to create file!"),
                                  translate("No suitable file template found."));
        return;
    }
    // A prefix with a "/" or one that is "." or ".." would put the item
    // somewhere else than the folder the user chose.
    if (!fileTemplate->hasSafeName()) {
        showAlertLaterThenRecheck(translate("Unable to create file!"),
                                  translate("The template's name is not a valid file name.") +
                                      "\n" + fileTemplate->prefix);
        return;
    }
    const VariableContext context = VariableContext::at(folder);
    const std::string wanted =
        paths::appendingPathComponent(folder, fileTemplate->defaultName(context));
    const CopyStep copy =
        fileTemplate->expandsVariables ? expandingCopyStep(context) : CopyStep(copyNewItem);
    if (!copiesBesideTheMainLoop(fileTemplate->filePath)) {
        finishCopy(
            copyItem(fileTemplate->filePath, wanted, WhenTaken::UseFreeName, &journal_, copy),
            *fileTemplate, fileManager);
        return;
    }
    // A large file or a folder is copied beside the main loop, which goes on
    // serving the bus and the other requests; the copy keeps every rule of
    // the one above (journal, free name taken atomically, nothing replaced). Counted like a window:
    // the helper does not quit under it, and the quit check is armed again once it is done.
    raisePanelCount();
    auto finished = self_.guard(
        [fileTemplate = *fileTemplate,
         fileManager](AppDelegate& self, const Expected<std::string>& result, std::thread::id id) {
            auto& copies = self.copies_;
            // The thread ends right after handing this over.
            if (auto it = std::find_if(copies.begin(), copies.end(),
                                       [id](const std::thread& t) { return t.get_id() == id; });
                it != copies.end()) {
                it->join();
                copies.erase(it);
            }
            self.lowerPanelCount();
            self.finishCopy(result, fileTemplate, fileManager);
            self.recheckAfterCountedWindow();
        });
    copies_.emplace_back([finished, source = fileTemplate->filePath, wanted, journal = &journal_,
                          copy, queue = &ports_.mainQueue] {
        Expected<std::string> result =
            copyItem(source, wanted, WhenTaken::UseFreeName, journal, copy);
        queue->post([finished, result, id = std::this_thread::get_id()] { finished(result, id); });
    });
}

bool AppDelegate::copiesBesideTheMainLoop(const std::string& path) {
    // What a copy costs is the data the file holds, not its apparent size:
    // a sparse file of gigabytes may hold almost nothing. A folder's cost is
    // unknown until it has been walked, which is the copy's work already.
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return false;
    }
    return S_ISDIR(st.st_mode) ||
           (S_ISREG(st.st_mode) &&
            static_cast<std::uint64_t>(st.st_blocks) * 512 >= kLargeCopyBytes);
}

void AppDelegate::finishCopy(const Expected<std::string>& created, const FileTemplate& fileTemplate,
                             const std::string& fileManager) {
    if (!created) {
        showAlertLaterThenRecheck(translate("Error creating file!"),
                                  localizedUserText(created.error(), ports_.translate));
        return;
    }
    runFinishingSteps(*created, fileTemplate, fileManager);
}

void AppDelegate::runFinishingSteps(const std::string& itemPath, const FileTemplate& fileTemplate,
                                    const std::string& fileManager) {
    // Failures of these steps are not reported: the item exists.
    (void)setItemExecutable(itemPath, fileTemplate.executable);
    (void)updateDateForFile(FileClock::now(), itemPath);
    if (ports_.sharedDefaults.boolForKey(keys::kShowFileOnCreation) && !isDesktopDir(itemPath)) {
        // The adapter logs a failure.
        (void)ports_.workspace.revealItems({itemPath}, fileManager);
    }
    if (ports_.sharedDefaults.boolForKey(keys::kPlaySound)) {
        ports_.sound.play(paths_.soundFile);
    }
    if (ports_.sharedDefaults.boolForKey(keys::kOpenFileOnCreation)) {
        (void)ports_.workspace.openFile(itemPath); // the adapter logs a failure
    }
}

bool AppDelegate::isDesktopDir(const std::string& path) const {
    const std::string desktop = paths::withoutTrailingSlashes(paths_.desktopDir);
    const std::string item = paths::withoutTrailingSlashes(path);
    return item == desktop ||
           paths::withoutTrailingSlashes(paths::deletingLastPathComponent(item)) == desktop;
}

} // namespace quillet::helper
