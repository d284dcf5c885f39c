// Template records and files shared by the panel's tests.
#pragma once

#include "shared/value.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <system_error>
#include <vector>

namespace quillet::test {

inline Value templateRecord(const std::string& title, const std::string& filePath,
                            const std::string& prefix, const std::string& suffix,
                            bool enabled = true, bool executable = false) {
    return Value(Value::Dictionary{{"enabled", enabled},
                                   {"title", title},
                                   {"filePath", filePath},
                                   {"prefix", prefix},
                                   {"suffix", suffix},
                                   {"executable", executable}});
}

inline void writeFile(const std::string& path, const std::string& content) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::ofstream(path, std::ios::binary) << content;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The names in a folder, sorted, for "nothing else appeared" checks.
inline std::string listing(const std::string& folder) {
    std::vector<std::string> names;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    std::string out;
    for (const auto& name : names) {
        out += name + ";";
    }
    return out;
}

} // namespace quillet::test
