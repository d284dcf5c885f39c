// What tests read back from a file they made: its bytes, its permissions.
#pragma once

#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace quillet::test {

// The file's bytes; empty when it cannot be read.
inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The permission bits (with setuid, setgid and sticky); 0 when there is no
// such file.
inline mode_t fileMode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0;
}

// The names in a folder, sorted; none when the folder cannot be read.
inline std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

// The same, each name followed by ";", for "nothing else appeared" checks.
inline std::string listing(const std::string& folder) {
    std::string out;
    for (const auto& name : namesIn(folder)) {
        out += name + ";";
    }
    return out;
}

} // namespace quillet::test
