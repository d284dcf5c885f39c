#include "folder_bookmark.h"

#include "file_uri.h"

#include <nlohmann/json.hpp>

#include <cstdint>
#include <sys/stat.h>

namespace quillet {

Expected<Value::Data> bookmarkForFolder(const std::string& folder) {
    constexpr const char* kAction = "bookmark the folder";
    Expected<std::string> location = pathFromLocation(folder);
    if (!location) {
        return location.error().during(kAction);
    }
    const std::string& path = *location;
    if (path.empty() || path.front() != '/') {
        return Error::withDetail(kAction, folder, "not an absolute path");
    }
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        return Error::fromErrno(kAction, path);
    }
    if (!S_ISDIR(st.st_mode)) {
        return Error(kAction, path, std::make_error_code(std::errc::not_a_directory));
    }
    nlohmann::json bookmark = {{"path", path},
                               {"dev", static_cast<std::uint64_t>(st.st_dev)},
                               {"ino", static_cast<std::uint64_t>(st.st_ino)}};
    std::string text;
    try {
        text = bookmark.dump();
    } catch (const nlohmann::json::exception&) {
        // A path that is not UTF-8 cannot be kept in the store's JSON.
        return Error::withDetail(kAction, path, "a name that is not UTF-8",
                                 std::errc::illegal_byte_sequence);
    }
    return Value::Data(text.begin(), text.end());
}

Expected<std::string> folderForBookmark(const Value::Data& bookmark) {
    constexpr const char* kAction = "resolve the bookmark";
    nlohmann::json parsed = nlohmann::json::parse(bookmark.begin(), bookmark.end(), nullptr, false);
    auto path = parsed.is_object() ? parsed.find("path") : parsed.end();
    auto dev = parsed.is_object() ? parsed.find("dev") : parsed.end();
    auto ino = parsed.is_object() ? parsed.find("ino") : parsed.end();
    if (!parsed.is_object() || path == parsed.end() || dev == parsed.end() || ino == parsed.end() ||
        !path->is_string() || !dev->is_number_unsigned() || !ino->is_number_unsigned()) {
        return Error::withDetail(kAction, "", "not a folder bookmark");
    }
    const std::string& folder = path->get_ref<const std::string&>();
    if (folder.empty()) {
        return Error::withDetail(kAction, "", "not a folder bookmark");
    }
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        return Error::fromErrno(kAction, folder);
    }
    if (!S_ISDIR(st.st_mode) ||
        static_cast<std::uint64_t>(st.st_dev) != dev->get<std::uint64_t>() ||
        static_cast<std::uint64_t>(st.st_ino) != ino->get<std::uint64_t>()) {
        return Error::withDetail(kAction, folder, "another folder is there now",
                                 std::errc::no_such_file_or_directory);
    }
    return folder;
}

} // namespace quillet
