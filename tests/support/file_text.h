// What tests read back from a file they made: its bytes, its permissions.
#pragma once

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <string>

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

} // namespace quillet::test
