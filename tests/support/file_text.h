// Reading a whole file in tests, byte for byte.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace quillet::test {

// The file's bytes; empty when it cannot be read.
inline std::string fileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace quillet::test
