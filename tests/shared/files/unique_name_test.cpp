// The unique-name rule and the taken-name check it stands on, on real files.
#include "shared/files/item_lookup.h"
#include "shared/files/unique_name.h"

#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace quillet {
namespace {

namespace fs = std::filesystem;

class UniqueNameTest : public ::testing::Test {
protected:
    std::string path(const std::string& name) const { return dir + "/" + name; }
    void touch(const std::string& name) { std::ofstream(path(name), std::ios::binary) << "x"; }

    test::TempXdg xdg;
    std::string dir = xdg.makeDir("files");
};

TEST_F(UniqueNameTest, CandidatesFollowTheRule) {
    struct Case {
        const char* wanted;
        std::uint64_t n;
        const char* expected;
    };
    const Case cases[] = {
        {"/d/Untitled.txt", 0, "/d/Untitled.txt"},
        {"/d/Untitled.txt", 2, "/d/Untitled-2.txt"},
        {"/d/Makefile", 1, "/d/Makefile-1"},
        {"/d/archive.tar.gz", 1, "/d/archive.tar-1.gz"}, // only the last extension
        {"/d/Note-1.txt", 1, "/d/Note-1-1.txt"},         // numbers are not parsed
        {"/d/.bashrc", 1, "/d/.bashrc-1"},               // a leading dot is no extension
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(uniqueNameCandidate(c.wanted, c.n), c.expected);
    }
}

TEST_F(UniqueNameTest, TheFirstFreeNameSkipsWhatIsTaken) {
    struct Case {
        std::vector<std::string> taken;
        std::string wanted;
        std::string expected;
    };
    const Case cases[] = {
        {{}, "Untitled.txt", "Untitled.txt"},
        {{"Untitled.txt", "Untitled-1.txt"}, "Untitled.txt", "Untitled-2.txt"},
        {{"Makefile"}, "Makefile", "Makefile-1"},
        {{"Note-1.txt"}, "Note-1.txt", "Note-1-1.txt"},
        {{"archive.tar.gz"}, "archive.tar.gz", "archive.tar-1.gz"},
        {{"Untitled.txt", "Untitled-2.txt"}, "Untitled.txt", "Untitled-1.txt"},
        {{".bashrc"}, ".bashrc", ".bashrc-1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.wanted);
        for (const auto& name : c.taken) {
            touch(name);
        }
        const Expected<std::string> free = firstFreeName(path(c.wanted));
        ASSERT_TRUE(free) << free.error().logText();
        EXPECT_EQ(*free, path(c.expected));
        for (const auto& name : c.taken) {
            fs::remove(path(name));
        }
    }
}

TEST_F(UniqueNameTest, FoldersAndDanglingLinksTakeTheirNames) {
    fs::create_directory(path("Untitled Folder"));
    fs::create_symlink(path("nowhere"), path("link.txt"));
    struct Case {
        const char* wanted;
        const char* expected;
    };
    for (const Case& c : {Case{"Untitled Folder", "Untitled Folder-1"},
                          Case{"link.txt", "link-1.txt"}, Case{"free.txt", "free.txt"}}) {
        SCOPED_TRACE(c.wanted);
        EXPECT_EQ(isNameTaken(path(c.wanted)).valueOr(false), std::string(c.wanted) != "free.txt");
        EXPECT_EQ(firstFreeName(path(c.wanted)).valueOr(std::string()), path(c.expected));
    }
}

TEST_F(UniqueNameTest, SearchesPastManyTakenNames) {
    touch("Untitled.txt");
    for (int n = 1; n <= 300; ++n) {
        touch("Untitled-" + std::to_string(n) + ".txt");
    }
    EXPECT_EQ(firstFreeName(path("Untitled.txt")).valueOr(std::string()), path("Untitled-301.txt"));
}

TEST_F(UniqueNameTest, ANameThatCannotBeLookedUpIsNeitherFreeNorTaken) {
    touch("plain");
    fs::create_directory(path("closed"));
    ::chmod(path("closed").c_str(), 0);
    struct Case {
        const char* name;
        std::errc reason;
    };
    for (const Case& c : {Case{"plain/x.txt", std::errc::not_a_directory},
                          Case{"closed/x.txt", std::errc::permission_denied}}) {
        SCOPED_TRACE(c.name);
        if (c.reason == std::errc::permission_denied && ::geteuid() == 0) {
            continue; // root searches any folder
        }
        const Expected<bool> taken = isNameTaken(path(c.name));
        ASSERT_FALSE(taken);
        EXPECT_EQ(taken.error().code(), c.reason);
        EXPECT_EQ(taken.error().path(), path(c.name));
        const Expected<std::string> free = firstFreeName(path(c.name));
        ASSERT_FALSE(free);
        EXPECT_EQ(free.error().code(), c.reason);
    }
    ::chmod(path("closed").c_str(), 0755);
}

TEST_F(UniqueNameTest, IsFolderFollowsLinks) {
    touch("f");
    fs::create_directory(path("d"));
    fs::create_directory_symlink(path("d"), path("link"));
    struct Case {
        const char* name;
        bool folder;
    };
    for (const Case& c :
         {Case{"d", true}, Case{"link", true}, Case{"f", false}, Case{"missing", false}}) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isFolder(path(c.name)), c.folder);
    }
}

} // namespace
} // namespace quillet
