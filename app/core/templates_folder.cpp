#include "app/core/templates_folder.h"

#include "shared/fd_io.h"
#include "shared/file_uri.h"
#include "shared/files/item_lookup.h"
#include "shared/keys.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <unistd.h>

namespace quillet::app {

namespace fs = std::filesystem;

namespace {

constexpr const char* kReadLinkAction = "read the template link";

// The keys of the "[Desktop Entry]" group, values unescaped; localized keys
// ("Name[de]") are kept under their whole name.
std::map<std::string, std::string> desktopEntryKeys(std::string_view text) {
    std::map<std::string, std::string> entries;
    std::istringstream in{std::string(text)};
    std::string line;
    bool inGroup = false;
    while (std::getline(in, line)) {
        if (line.starts_with('[')) {
            inGroup = line.starts_with("[Desktop Entry]");
            continue;
        }
        const auto equals = line.find('=');
        if (!inGroup || line.starts_with('#') || equals == std::string::npos) {
            continue;
        }
        std::string key = line.substr(0, line.find_last_not_of(" \t", equals - 1) + 1);
        std::string raw = line.substr(line.find_first_not_of(" \t", equals + 1) == std::string::npos
                                          ? line.size()
                                          : line.find_first_not_of(" \t", equals + 1));
        std::string value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '\\' && i + 1 < raw.size()) {
                const char next = raw[++i];
                value.push_back(next == 's'   ? ' '
                                : next == 'n' ? '\n'
                                : next == 't' ? '\t'
                                : next == 'r' ? '\r'
                                              : next);
            } else {
                value.push_back(raw[i]);
            }
        }
        // The first occurrence of a key counts, as in the toolkits' readers.
        entries.emplace(std::move(key), std::move(value));
    }
    return entries;
}

std::string titleFromName(std::string name) {
    // Menu texts of link files often end in an ellipsis; our menus add none.
    for (std::string_view tail : {"...", "\u2026"}) {
        if (name.ends_with(tail)) {
            name.erase(name.size() - tail.size());
        }
    }
    return name;
}

Value recordFor(const std::string& item, const std::string& title) {
    const std::string name = paths::lastPathComponent(item);
    const bool folder = isFolder(item);
    Value::Dictionary record;
    record[keys::kEnabled] = true;
    record[keys::kFilePath] = item;
    record[keys::kTitle] = title;
    record[keys::kPrefix] = folder ? name : paths::deletingPathExtension(name);
    record[keys::kSuffix] = folder ? std::string() : paths::pathExtension(name);
    // A file's own bit, as for a template added in the pane; a folder's x bit
    // only lets it be entered, and a folder template is never a program.
    record[keys::kExecutable] = !folder && ::access(item.c_str(), X_OK) == 0;
    return record;
}

} // namespace

Expected<TemplateLink> readTemplateLink(std::string_view text, const std::string& folder) {
    const auto entries = desktopEntryKeys(text);
    const auto field = [&](const char* key) {
        auto it = entries.find(key);
        return it == entries.end() ? std::string() : it->second;
    };
    if (field("Type") != "Link") {
        return Error::withDetail(kReadLinkAction, folder, "not a link");
    }
    std::string url = field("URL");
    if (url.empty()) {
        url = field("URL[$e]");
    }
    if (url.empty()) {
        return Error::withDetail(kReadLinkAction, folder, "the link names no target");
    }
    std::string target;
    if (hasURIScheme(url) || url.starts_with("file:")) {
        Expected<std::string> local = localPathFromFileURI(url);
        if (!local) {
            return local.error().during(kReadLinkAction);
        }
        target = *local;
    } else {
        target = paths::standardizedPath(url.starts_with('/') || url.starts_with('~')
                                             ? url
                                             : paths::appendingPathComponent(folder, url));
    }
    return TemplateLink{.target = target, .name = field("Name"), .icon = field("Icon")};
}

std::vector<Value> templatesFolderRecords(const std::string& folder,
                                          const std::function<bool(const std::string&)>& isListed) {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        if (!name.starts_with('.') && !name.ends_with('~')) {
            names.push_back(std::move(name));
        }
    }
    std::sort(names.begin(), names.end());

    std::vector<Value> records;
    std::set<std::string> added;
    for (const auto& name : names) {
        std::string item = paths::appendingPathComponent(folder, name);
        std::string linkName;
        if (name.ends_with(".desktop") && !isFolder(item)) {
            if (Expected<TemplateLink> link =
                    readTemplateLink(readFile(item).valueOr(std::string()), folder)) {
                if (!isNameTaken(link->target).valueOr(false)) {
                    continue; // a link to nothing is no template
                }
                item = link->target;
                linkName = titleFromName(link->name);
            }
        }
        const std::string itemName = paths::lastPathComponent(item);
        // A folder's dots are part of its name, not an extension.
        const std::string title = !linkName.empty() ? linkName
                                  : isFolder(item)  ? itemName
                                                    : paths::deletingPathExtension(itemName);
        if (isListed(item) || !added.insert(item).second) {
            continue;
        }
        records.push_back(recordFor(item, title));
    }
    return records;
}

} // namespace quillet::app
