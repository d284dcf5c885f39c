#include "helper/core/new_file_panel/new_item_name.h"

#include "shared/files/item_lookup.h"
#include "shared/files/unique_name.h"
#include "shared/xdg_paths.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace quillet::helper {

namespace fs = std::filesystem;

namespace {

// Longest file name most Linux file systems take, in bytes.
constexpr std::size_t kMaxNameBytes = 255;

bool endsWithIgnoringCase(const std::string& text, const std::string& end) {
    if (end.size() > text.size()) {
        return false;
    }
    return std::equal(end.begin(), end.end(), text.end() - static_cast<std::ptrdiff_t>(end.size()),
                      [](char a, char b) {
                          return std::tolower(static_cast<unsigned char>(a)) ==
                                 std::tolower(static_cast<unsigned char>(b));
                      });
}

std::string normalFolder(const std::string& path) {
    std::string out = fs::path(path).lexically_normal().string();
    while (out.size() > 1 && out.back() == '/') {
        out.pop_back();
    }
    return out;
}

// The refusal of a typed text: `pattern` is the English "%@" pattern the
// panel shows, `subject` what fills it in.
Error invalid(std::string pattern, std::string subject, std::errc reason) {
    return Error::withDetail("create the item", std::move(subject), std::move(pattern), reason);
}

} // namespace

DefaultName defaultNameIn(const std::string& folder, const FileTemplate& fileTemplate) {
    DefaultName result;
    const std::string wanted = paths::appendingPathComponent(
        folder, fileTemplate.defaultName(VariableContext::at(folder)));
    // A folder that cannot be looked into offers the wanted name; creating
    // the item there then says why it cannot be done.
    result.path = firstFreeName(wanted).valueOr(wanted);
    result.fieldText = paths::lastPathComponent(result.path);
    result.baseLength = result.fieldText.size();
    if (!fileTemplate.suffix.empty()) {
        const std::string extension = "." + fileTemplate.suffix;
        if (result.fieldText.size() > extension.size() &&
            endsWithIgnoringCase(result.fieldText, extension)) {
            result.baseLength -= extension.size();
        } else {
            // A suffix with a dot inside ("tar.gz") loses only its last part
            // to the unique-name counter ("a.tar-1.gz").
            result.baseLength = paths::deletingPathExtension(result.fieldText).size();
        }
    }
    return result;
}

std::string nameWithExtension(const std::string& typedName, const std::string& suffix,
                              const FileTypes* types) {
    if (suffix.empty()) {
        return typedName;
    }
    const std::string extension = "." + suffix;
    if (typedName.size() > extension.size() && endsWithIgnoringCase(typedName, extension)) {
        return typedName;
    }
    // Its own extension: what follows the last dot, unless that dot starts
    // the name (".profile" is a hidden name, not an extension).
    const auto dot = typedName.rfind('.');
    if (types != nullptr && dot != std::string::npos && dot > 0 && dot + 1 < typedName.size() &&
        types->descriptionForExtension(typedName.substr(dot + 1))) {
        return typedName;
    }
    return typedName + extension;
}

Expected<TypedTarget> resolveTypedName(const std::string& currentDir, const std::string& text,
                                       const std::string& suffix, const FileTypes* types) {
    if (text.empty()) {
        return invalid("Type a name for the new item.", {}, std::errc::invalid_argument);
    }
    const std::string full =
        text.front() == '/' ? text : paths::appendingPathComponent(currentDir, text);
    if (isFolder(full)) {
        return TypedTarget{TypedTarget::Kind::Navigate, normalFolder(full), false};
    }
    const auto slash = full.rfind('/');
    if (slash == std::string::npos) {
        return invalid("The folder “%@” does not exist.", currentDir,
                       std::errc::no_such_file_or_directory);
    }
    const std::string folder = slash == 0 ? std::string("/") : full.substr(0, slash);
    const std::string name = full.substr(slash + 1);
    if (name.empty() || !isFolder(folder)) {
        return invalid("The folder “%@” does not exist.", normalFolder(folder),
                       std::errc::no_such_file_or_directory);
    }
    const std::string finalName = nameWithExtension(name, suffix, types);
    if (finalName.size() > kMaxNameBytes) {
        return invalid("The name “%@” is too long.", finalName, std::errc::filename_too_long);
    }
    const std::string path = paths::appendingPathComponent(normalFolder(folder), finalName);
    // A name that cannot be looked up is offered as free: the creation never
    // replaces, and reports the reason.
    return TypedTarget{TypedTarget::Kind::Create, path, isNameTaken(path).valueOr(false)};
}

} // namespace quillet::helper
