// Folder grants: the authorisation panel, saving a grant, and access to the
// saved ones. A grant is the folder's bookmark (path, device, inode); on this
// platform it opens nothing the file permissions do not already allow, so an
// unwritable folder stays unwritable and the copy then says why.
#include "helper/core/app/app_delegate.h"

#include "shared/folder_bookmark.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

#include <cstdio>

namespace quillet::helper {

namespace {

std::string formatPath(const std::string& pattern, const std::string& path) {
    std::string text = pattern;
    if (auto at = text.find("%@"); at != std::string::npos) {
        text.replace(at, 2, path);
    }
    return text;
}

} // namespace

bool AppDelegate::grantCovers(const std::string& chosen, const std::string& folder) {
    const std::string grant = paths::withoutTrailingSlashes(chosen);
    const std::string wanted = paths::withoutTrailingSlashes(folder);
    if (grant.empty() || wanted.empty()) {
        return false;
    }
    // The separator is part of the test (a grant of /Data/Wo does not cover
    // /Data/Work); the root folder covers everything.
    return wanted == grant || grant == "/" || wanted.starts_with(grant + "/");
}

void AppDelegate::startAccessingURLs() {
    openedURLs_.clear();
    auto records = ports_.sharedDefaults.arrayForKey(keys::kAuthorizedDirs);
    if (!records) {
        return;
    }
    for (const Value& value : *records) {
        auto record = AuthorizedDir::fromValue(value);
        if (!record) {
            continue;
        }
        // A bookmark that no longer resolves stays stored and is skipped.
        if (auto path = folderForBookmark(record->bookmarkData)) {
            openedURLs_.insert(*path);
        }
    }
}

void AppDelegate::stopAccessingURLs() {
    // Access needs no release here; the set is replaced by the next start.
}

void AppDelegate::restartAccessingURLs() {
    stopAccessingURLs();
    startAccessingURLs();
}

Status AppDelegate::saveAuthorizedURL(const std::string& chosenPath) {
    constexpr const char* kAction = "save the folder grant";
    // A settings file that cannot be read is not an empty one: writing the
    // grants from nothing would put every other setting aside.
    if (Status readable = ports_.sharedDefaults.readStatus(); !readable) {
        return Error::withDetail(kAction, chosenPath,
                                 "the settings file " + ports_.sharedDefaults.filePath() +
                                     " could not be read (" + readable.error().reason() + ")",
                                 std::errc::io_error);
    }
    Value::Array records =
        ports_.sharedDefaults.arrayForKey(keys::kAuthorizedDirs).value_or(Value::Array{});
    for (const Value& value : records) {
        if (const Value* path = value.find(keys::kPath);
            path != nullptr && path->asString() != nullptr && *path->asString() == chosenPath) {
            return {};
        }
    }
    auto bookmark = bookmarkForFolder(chosenPath);
    if (!bookmark) {
        return Error::withDetail(kAction, chosenPath, "not a folder that can be remembered");
    }
    AuthorizedDir record{chosenPath, *bookmark};
    records.push_back(record.toValue());
    if (Status stored = ports_.sharedDefaults.setObject(keys::kAuthorizedDirs, Value(records));
        !stored) {
        return Error::withDetail(kAction, chosenPath, stored.error().logText(),
                                 std::errc::io_error);
    }
    ports_.sharedDefaults.synchronize();
    return {};
}

void AppDelegate::showAuthorizationPanel(const std::string& folder, const Value& record,
                                         const std::string& fileManager) {
    std::string home = paths_.homeDir;
    if (!home.ends_with("/")) {
        home += "/";
    }
    const std::string start = folder.starts_with(home) ? home : folder;
    (void)ports_.privateDefaults.setString("NSNavLastRootDirectory", start);
    (void)ports_.privateDefaults.setString("NSNavLastCurrentDirectory", start);
    ports_.privateDefaults.synchronize();

    OpenPanelOptions options;
    options.title = localizedStringForKey("Quillet");
    options.message = translate("Quillet would like to access your working directory.");
    options.prompt = translate("Authorize");
    options.canChooseDirectories = true;
    options.canChooseFiles = false;
    options.directory = start;

    // The panel is counted while open so that a quit check does not close it
    // under the user's hands.
    raisePanelCount();
    ports_.panels.beginOpenPanel(
        options, self_.guard([folder, record, fileManager](
                                 AppDelegate& delegate, const std::optional<std::string>& chosen) {
            if (chosen) {
                if (grantCovers(*chosen, folder)) {
                    // An unsaved grant is asked for again next time; this
                    // request goes on either way.
                    if (Status saved = delegate.saveAuthorizedURL(*chosen); !saved) {
                        std::fprintf(stderr, "quillet-helper: %s\n",
                                     saved.error().logText().c_str());
                    }
                    delegate.makeFileAtDir(folder, record, fileManager);
                } else {
                    delegate.showAlertLaterThenRecheck(
                        delegate.translate("Unable to create file!"),
                        formatPath(delegate.translate(
                                       "Please select \"%@\" or one of its parent directories."),
                                   folder));
                }
            }
            delegate.lowerPanelCount();
            delegate.recheckAfterCountedWindow();
        }));
}

} // namespace quillet::helper
