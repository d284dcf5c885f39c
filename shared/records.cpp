#include "records.h"

#include "file_uri.h"
#include "keys.h"
#include "xdg_paths.h"

#include <algorithm>

namespace quillet {

namespace {

std::string stringField(const Value& dict, const char* key) {
    const Value* v = dict.find(key);
    const std::string* s = v ? v->asString() : nullptr;
    return s ? *s : std::string();
}

bool boolField(const Value& dict, const char* key) {
    const Value* v = dict.find(key);
    return v && v->asBool().value_or(false);
}

} // namespace

std::optional<FileTemplate> FileTemplate::fromValue(const Value& value) {
    if (!value.isDictionary()) {
        return std::nullopt;
    }
    FileTemplate t;
    t.enabled = boolField(value, keys::kEnabled);
    t.title = stringField(value, keys::kTitle);
    t.filePath = stringField(value, keys::kFilePath);
    t.prefix = stringField(value, keys::kPrefix);
    t.suffix = stringField(value, keys::kSuffix);
    t.executable = boolField(value, keys::kExecutable);
    if (const Value* s = value.find(keys::kShortcut); s && s->isDictionary()) {
        t.shortcut = *s->asDictionary();
    }
    t.expandsVariables = boolField(value, keys::kExpandsVariables);
    if (const Value* limited = value.find(keys::kLimitedToPaths)) {
        for (const Value& path : limited->asArray() ? *limited->asArray() : Value::Array{}) {
            if (const std::string* text = path.asString()) {
                t.limitedToPaths.push_back(*text);
            }
        }
    }
    return t;
}

Value FileTemplate::toValue() const {
    Value::Dictionary d{
        {keys::kEnabled, enabled}, {keys::kTitle, title},   {keys::kFilePath, filePath},
        {keys::kPrefix, prefix},   {keys::kSuffix, suffix}, {keys::kExecutable, executable},
    };
    if (shortcut) {
        d[keys::kShortcut] = *shortcut;
    }
    if (expandsVariables) {
        d[keys::kExpandsVariables] = true;
    }
    if (!limitedToPaths.empty()) {
        Value::Array folders(limitedToPaths.begin(), limitedToPaths.end());
        d[keys::kLimitedToPaths] = std::move(folders);
    }
    return d;
}

std::string FileTemplate::defaultName() const {
    return suffix.empty() ? prefix : prefix + "." + suffix;
}

std::string FileTemplate::defaultName(const VariableContext& context) const {
    const std::string expanded = expandedPrefix(prefix, suffix, context);
    return suffix.empty() ? expanded : expanded + "." + suffix;
}

bool FileTemplate::isOfferedIn(const std::optional<std::string>& folder) const {
    if (limitedToPaths.empty() || !folder) {
        return true;
    }
    const std::string target = paths::standardizedPath(*folder);
    return std::any_of(
        limitedToPaths.begin(), limitedToPaths.end(), [&](const std::string& stored) {
            const Expected<std::string> path = pathFromLocation(stored);
            if (!path || !path->starts_with("/")) {
                return false;
            }
            const std::string root = paths::standardizedPath(*path);
            return target == root || target.starts_with(root == "/" ? root : root + "/");
        });
}

bool FileTemplate::hasSafeName() const {
    const std::string name = defaultName();
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    return name.find('/') == std::string::npos && name.find('\0') == std::string::npos;
}

std::optional<MonitoredLocation> MonitoredLocation::fromValue(const Value& value) {
    if (!value.isDictionary()) {
        return std::nullopt;
    }
    MonitoredLocation m;
    if (const Value* p = value.find(keys::kPath); p && p->asString()) {
        m.path = *p->asString();
    }
    m.enabled = boolField(value, keys::kEnabled);
    return m;
}

Value MonitoredLocation::toValue() const {
    Value::Dictionary d{{keys::kEnabled, enabled}};
    if (path) {
        d[keys::kPath] = *path;
    }
    return d;
}

std::optional<AuthorizedDir> AuthorizedDir::fromValue(const Value& value) {
    if (!value.isDictionary()) {
        return std::nullopt;
    }
    const Value* p = value.find(keys::kPath);
    if (!p || !p->asString()) {
        return std::nullopt;
    }
    AuthorizedDir a;
    a.path = *p->asString();
    if (const Value* b = value.find(keys::kBookmarkData); b && b->asData()) {
        a.bookmarkData = *b->asData();
    }
    return a;
}

Value AuthorizedDir::toValue() const {
    return Value::Dictionary{{keys::kPath, path}, {keys::kBookmarkData, bookmarkData}};
}

std::vector<std::optional<FileTemplate>> fileTemplatesFrom(const Value& array) {
    std::vector<std::optional<FileTemplate>> out;
    if (const Value::Array* a = array.asArray()) {
        out.reserve(a->size());
        for (const Value& v : *a) {
            out.push_back(FileTemplate::fromValue(v));
        }
    }
    return out;
}

} // namespace quillet
