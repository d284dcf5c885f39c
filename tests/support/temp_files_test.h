// A test on real files: a fresh folder in a throw-away home, and files made in
// it by name.
#pragma once

#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace quillet::test {

class TempFilesTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir + "/" + name; }
    // A file with this content and mode, its folders made as needed.
    void touch(const std::string& name, const std::string& content = "x", mode_t mode = 0644) {
        std::filesystem::create_directories(std::filesystem::path(path(name)).parent_path());
        std::ofstream(path(name), std::ios::binary) << content;
        ::chmod(path(name).c_str(), mode);
    }

    TempXdg xdg;
    std::string dir = xdg.makeDir("files");
};

} // namespace quillet::test
