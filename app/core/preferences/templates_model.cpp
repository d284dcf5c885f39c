#include "templates_model.h"

#include "shared/file_uri.h"
#include "shared/files/item_lookup.h"
#include "shared/files/safe_create.h"
#include "shared/keys.h"
#include "shared/refresh_notification.h"
#include "shared/shortcut.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace quillet::app {

namespace fs = std::filesystem;

std::string distinctTitle(const std::string& title, const std::set<std::string>& taken) {
    std::string candidate = title;
    for (int number = 2; taken.count(candidate) != 0; ++number) {
        candidate = title + " " + std::to_string(number);
    }
    return candidate;
}

const std::vector<TemplateColumn>& TemplatesModel::columns() {
    static const std::vector<TemplateColumn> all{
        TemplateColumn::Enabled, TemplateColumn::Title,      TemplateColumn::Prefix,
        TemplateColumn::Suffix,  TemplateColumn::Executable, TemplateColumn::Shortcut};
    return all;
}

std::string TemplatesModel::identifier(TemplateColumn column) {
    switch (column) {
    case TemplateColumn::Enabled:
        return keys::kEnabled;
    case TemplateColumn::Title:
        return keys::kTitle;
    case TemplateColumn::Prefix:
        return keys::kPrefix;
    case TemplateColumn::Suffix:
        return keys::kSuffix;
    case TemplateColumn::Executable:
        return keys::kExecutable;
    case TemplateColumn::Shortcut:
        return keys::kShortcut;
    }
    return {};
}

TemplatesModel::TemplatesModel(SettingsStore store, TemplatesModelPorts ports,
                               std::string templatesDir)
    : RecordListModel(ports.notifications, keys::kFileTemplates, keys::kFilePath),
      store_(std::move(store)), ports_(std::move(ports)), templatesDir_(std::move(templatesDir)) {
    if (!ports_.translate) {
        ports_.translate = [](const std::string& text) { return text; };
    }
    startObserving();
}

std::vector<Value> TemplatesModel::readStored() const {
    store_.synchronize();
    auto array = store_.arrayForKey(keys::kFileTemplates);
    return array ? *array : std::vector<Value>{};
}

Value TemplatesModel::valueAt(std::size_t row, TemplateColumn column) const {
    switch (column) {
    case TemplateColumn::Enabled:
    case TemplateColumn::Executable:
        return boolAt(row, identifier(column).c_str());
    case TemplateColumn::Title:
    case TemplateColumn::Prefix:
    case TemplateColumn::Suffix:
        return stringAt(row, identifier(column).c_str());
    case TemplateColumn::Shortcut: {
        const Value* s = records_.at(row).find(keys::kShortcut);
        if (s == nullptr || !s->isDictionary()) {
            return Value();
        }
        return shortcutText(*s);
    }
    }
    return Value();
}

std::string TemplatesModel::toolTip(std::size_t row, TemplateColumn column) const {
    const auto& tr = ports_.translate;
    switch (column) {
    case TemplateColumn::Enabled:
        return tr("Whether to show this item in the file manager's context menu");
    case TemplateColumn::Title:
        return stringAt(row, keys::kFilePath);
    case TemplateColumn::Prefix:
        return tr("The default filename");
    case TemplateColumn::Suffix:
        return tr("The path extension");
    case TemplateColumn::Executable:
        return tr("Whether the new file is executable");
    case TemplateColumn::Shortcut:
        return tr("Keyboard shortcut");
    }
    return {};
}

bool TemplatesModel::setValue(std::size_t row, TemplateColumn column, const Value& value) {
    if (column == TemplateColumn::Shortcut) {
        return false; // only through the shortcut sheet
    }
    // A title or prefix is never emptied; no extension is a valid suffix.
    if (const std::string* s = value.asString();
        s != nullptr && s->empty() && column != TemplateColumn::Suffix) {
        return false;
    }
    return replaceField(row, identifier(column), value);
}

void TemplatesModel::replaceRecords(const Value::Array& records) {
    records_ = records;
    saveReportingToHandler();
}

bool TemplatesModel::isNewTemplate(const std::string& path) const {
    return std::none_of(records_.begin(), records_.end(), [&](const Value& record) {
        const Value* v = record.find(keys::kFilePath);
        return v != nullptr && v->asString() != nullptr && *v->asString() == path;
    });
}

std::optional<Value> TemplatesModel::recordForFile(const std::string& source) {
    if (!isNameTaken(source).valueOr(false)) {
        return std::nullopt; // nothing to add
    }
    const std::string name = paths::lastPathComponent(source);
    std::string file;
    if (paths::deletingLastPathComponent(source) == templatesDir_ && isNewTemplate(source)) {
        file = source; // already in the folder, not yet a template
    } else {
        // A folder that holds the templates folder would be copied into itself.
        if (paths::standardizedPath(templatesDir_)
                .starts_with(paths::standardizedPath(source) + "/")) {
            return std::nullopt;
        }
        std::error_code ec;
        fs::create_directories(templatesDir_, ec);
        Expected<std::string> copied = copyItem(
            source, paths::appendingPathComponent(templatesDir_, name), WhenTaken::UseFreeName);
        if (!copied) {
            return std::nullopt;
        }
        file = *copied;
    }
    const std::string extension = paths::pathExtension(name);
    std::string title;
    if (isFolder(file)) {
        title = ports_.translate("Folder");
    } else {
        title = ports_.fileTypes.descriptionForExtension(extension).value_or(
            ports_.translate("Document"));
    }
    Value::Dictionary record;
    record[keys::kEnabled] = true;
    record[keys::kFilePath] = file;
    record[keys::kTitle] = title;
    record[keys::kPrefix] = paths::deletingPathExtension(name);
    record[keys::kSuffix] = extension;
    // The source's bit, which a copy may not keep; a folder: searchable.
    record[keys::kExecutable] = ::access(source.c_str(), X_OK) == 0;
    return Value(std::move(record));
}

std::size_t TemplatesModel::addFileTemplates(const std::vector<std::string>& paths) {
    const std::size_t before = records_.size();
    std::set<std::string> titles;
    for (std::size_t row = 0; row < before; ++row) {
        titles.insert(stringAt(row, keys::kTitle));
    }
    for (const auto& path : paths) {
        if (auto record = recordForFile(path)) {
            // Two rows with one title could not be told apart in the menus.
            Value::Dictionary& fields = *record->asDictionary();
            const std::string* made = fields[keys::kTitle].asString();
            const std::string title = distinctTitle(made != nullptr ? *made : "", titles);
            fields[keys::kTitle] = title;
            titles.insert(title);
            records_.push_back(std::move(*record));
        }
    }
    saveReportingToHandler();
    return records_.size() - before;
}

bool TemplatesModel::insideTemplatesDir(const std::string& stored) const {
    const fs::path path = pathFromLocation(stored).valueOr(std::string());
    const std::string name = path.filename().string();
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    // Resolve the folder part, so that neither ".." nor a linked folder
    // reaches outside; the item itself may be a link (only the link goes).
    std::error_code ec;
    const std::string folder = fs::weakly_canonical(path.parent_path(), ec).string();
    const std::string root = fs::weakly_canonical(templatesDir_, ec).string();
    if (ec || root.empty()) {
        return false;
    }
    return folder == root || folder.starts_with(root + "/");
}

bool TemplatesModel::trashedOnRemoval(std::size_t row) const {
    return row < count() && insideTemplatesDir(storedLocationAt(row));
}

std::size_t TemplatesModel::countTrashedOnRemoval(const std::set<std::size_t>& rows) const {
    return static_cast<std::size_t>(std::count_if(
        rows.begin(), rows.end(), [this](std::size_t row) { return trashedOnRemoval(row); }));
}

void TemplatesModel::removeRows(const std::set<std::size_t>& rows) {
    for (std::size_t row : rows) {
        if (trashedOnRemoval(row)) {
            // To the trash, from where a removal made by mistake can be
            // undone. A file that cannot go there stays; the record goes.
            (void)ports_.workspace.moveToTrash(pathAt(row));
        }
    }
    RecordListModel::removeRows(rows);
}

Status TemplatesModel::write() {
    if (Status stored = store_.setObject(keys::kFileTemplates, Value(records_)); !stored) {
        return stored.error().during("save the templates");
    }
    store_.synchronize();
    postRefreshNotification(ports_.notifications, keys::kFileTemplates);
    ports_.localNotifications.post(kTemplatesDidSave, "");
    return {};
}

} // namespace quillet::app
