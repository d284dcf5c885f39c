// Template records and files shared by the panel's tests.
#pragma once

#include "shared/value.h"
#include "support/file_text.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

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

} // namespace quillet::test
