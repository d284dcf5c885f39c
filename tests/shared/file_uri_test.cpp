// The one reading of "file:" URLs: as drop targets hand them over, and as
// the settings keep locations.
#include "shared/file_uri.h"

#include <gtest/gtest.h>

#include <optional>

namespace quillet {
namespace {

std::optional<std::string> orNothing(const Expected<std::string>& path) {
    return path ? std::optional<std::string>(*path) : std::nullopt;
}

TEST(FileURITest, LocalPathsOfThisMachineOnly) {
    struct Case {
        const char* uri;
        std::optional<std::string> path;
    } cases[] = {
        {"file:///a/b%20c", "/a/b c"},
        {"FILE:///a", "/a"},
        {"file://box/a/b?x#y", "/a/b"},
        {"file://Box/a", "/a"},
        {"file://other/a", std::nullopt},
        {"file://box", std::nullopt},
        {"http://box/a", std::nullopt},
        {"file:a", std::nullopt},
        {"file:/a", "/a"},
        {"file://localhost/a", "/a"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.uri);
        EXPECT_EQ(orNothing(localPathFromFileURI(c.uri, "box")), c.path);
    }
    EXPECT_TRUE(hasURIScheme("sftp://h/x"));
    EXPECT_FALSE(hasURIScheme("dir/a://b"));
}

TEST(FileURITest, StoredLocationsArePathsOrLocalFileURLs) {
    struct Case {
        const char* stored;
        std::optional<std::string> path;
    } cases[] = {
        {"/data/work/", "/data/work/"}, // a path stays as it is
        {"relative/dir", "relative/dir"},
        {"", ""},
        {"file:///data/My%20Work/", "/data/My Work/"},
        {"file://localhost/data/x", "/data/x"},
        {"file:///a%3Fb", "/a?b"},
        {"file:///a/b?query", "/a/b"},        // no query is part of a path
        {"file://host-only", std::nullopt},   // no path at all
        {"file://elsewhere/x", std::nullopt}, // another computer's folder
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        EXPECT_EQ(orNothing(pathFromLocation(c.stored)), c.path);
    }
    const Expected<std::string> refused = pathFromLocation("file://elsewhere/x");
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().path(), "file://elsewhere/x");
}

} // namespace
} // namespace quillet
