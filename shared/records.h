// Typed views of the records kept in the store's arrays. They tolerate missing
// and ill-typed fields: a field of the wrong type reads as absent.
#pragma once

#include "template_variables.h"
#include "value.h"

#include <optional>
#include <string>
#include <vector>

namespace quillet {

struct FileTemplate {
    bool enabled = false;
    std::string title;
    std::string filePath;
    std::string prefix;
    std::string suffix;
    bool executable = false;
    // `{}` lets a designated initializer leave it out without a warning.
    std::optional<Value::Dictionary> shortcut{};
    // Whether the variables are filled into a text template's contents.
    bool expandsVariables = false;
    // The folders (paths or "file://" URLs, as the Locations list holds them)
    // at or below which the template is offered; empty: everywhere.
    std::vector<std::string> limitedToPaths{};

    // Nothing when the value is not a dictionary.
    static std::optional<FileTemplate> fromValue(const Value& value);
    // The six first-run fields, plus `shortcut`, `expandsVariables` and
    // `limitedToPaths` when they say more than their defaults.
    Value toValue() const;

    // prefix, then "." and suffix when suffix is not empty.
    std::string defaultName() const;
    // The same with the prefix's variables filled in for a creation in
    // `context.folder` (the plain prefix when the result is no name).
    std::string defaultName(const VariableContext& context) const;

    // Whether the template is offered in `folder`; with the folder unknown
    // (a popover, which learns it only at the drop), it is. Menus, the share
    // entry, the popover and the shortcuts all ask this.
    bool isOfferedIn(const std::optional<std::string>& folder) const;
    // False when the prefix would place the item outside the folder.
    bool hasSafeName() const;

    bool operator==(const FileTemplate&) const = default;
};

struct MonitoredLocation {
    std::optional<std::string> path; // absent when missing or not a string
    bool enabled = false;

    static std::optional<MonitoredLocation> fromValue(const Value& value);
    Value toValue() const;
};

struct AuthorizedDir {
    std::string path;
    Value::Data bookmarkData;

    static std::optional<AuthorizedDir> fromValue(const Value& value);
    Value toValue() const;
};

// The `fileTemplates` array as records; entries that are not dictionaries keep
// their position as nothing, so indexes stay those of the stored array.
std::vector<std::optional<FileTemplate>> fileTemplatesFrom(const Value& array);

} // namespace quillet
