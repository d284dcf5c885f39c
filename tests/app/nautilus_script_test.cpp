// The per-user Nautilus script: written executable, kept up to date, and a
// script of the user's own under that name left alone.
#include "app/core/nautilus_script.h"

#include "file_text.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillet::app {
namespace {

TEST(NautilusScriptTest, WrittenUpdatedAndNeverOverAUsersScript) {
    test::TempXdg xdg;
    const std::string path = nautilusScriptPath();
    EXPECT_EQ(path, xdg.dataHome() + "/nautilus/scripts/New File from Template");

    ASSERT_TRUE(installNautilusScript("/opt/it's here/quillet-share").ok());
    const std::string text = test::fileText(path);
    EXPECT_NE(text.find("exec '/opt/it'\\''s here/quillet-share' \"$@\""), std::string::npos);
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0111, 0111);

    // Moved installation: our script follows.
    ASSERT_TRUE(installNautilusScript("/usr/bin/quillet-share").ok());
    EXPECT_EQ(test::fileText(path), nautilusScriptText("/usr/bin/quillet-share"));

    std::ofstream(path) << "#!/bin/sh\necho mine\n";
    const Status refused = installNautilusScript("/usr/bin/quillet-share");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code(), std::errc::file_exists);
    EXPECT_EQ(test::fileText(path), "#!/bin/sh\necho mine\n");
    EXPECT_EQ(
        std::distance(std::filesystem::directory_iterator(xdg.dataHome() + "/nautilus/scripts"),
                      std::filesystem::directory_iterator()),
        1);
}

} // namespace
} // namespace quillet::app
