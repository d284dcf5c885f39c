#include "helper/core/intake/creation_request.h"

#include <gtest/gtest.h>

namespace quillet::helper {
namespace {

struct Row {
    const char* url;
    const char* folder; // nullptr: refused
    std::int64_t index;
};

TEST(CreationRequestTest, ReadsFolderAndIndexOrRefuses) {
    const Row rows[] = {
        {"quillet:///home/me/Desktop?0", "/home/me/Desktop", 0},
        {"quillet:///home/me/Desktop?3", "/home/me/Desktop", 3},
        {"quillet:///home/me/Desktop", "/home/me/Desktop", 0}, // no query: index 0
        {"quillet:///home/me/Desktop?007", "/home/me/Desktop", 7},
        {"quillet:///home/me/Desktop?2#top", "/home/me/Desktop", 2},
        // The index is digits alone: anything else would pick some template.
        {"quillet:///home/me/Desktop?", nullptr, 0},
        {"quillet:///home/me/Desktop?abc", nullptr, 0},
        {"quillet:///home/me/Desktop?1x", nullptr, 0},
        {"quillet:///home/me/Desktop?  12xyz", nullptr, 0},
        {"quillet:///home/me/Desktop?-1", nullptr, 0},
        {"quillet:///home/me/Desktop?+1", nullptr, 0},
        {"quillet:///home/me/Desktop? 1", nullptr, 0},
        {"quillet:///home/me/Desktop?1?2", nullptr, 0},
        {"quillet:///home/me/My%20Folder?1", "/home/me/My Folder", 1},
        {"quillet:///home/me/%C3%89t%C3%A9?0", "/home/me/\xC3\x89t\xC3\xA9", 0},
        {"quillet:///a%3Fb%23c%25d?2", "/a?b#c%d", 2},
        {"QUILLET:///tmp?0", "/tmp", 0},
        {"quillet:/tmp?0", "/tmp", 0},
        {"file:///tmp?0", nullptr, 0},
        {"http://example/tmp?0", nullptr, 0},
        {"quillet://host/tmp?0", nullptr, 0},
        {"quillet:relative/path?0", nullptr, 0},
        {"quillet://?0", nullptr, 0},
        {"quillet:///tmp%00evil?0", nullptr, 0},
        {"quillet:///a/missing/../b?0", nullptr, 0}, // resolved differently by each reader
        {"quillet:///a/./b?0", nullptr, 0},
        {"quillet:///a/%2E%2E/b?0", nullptr, 0},
        {"quillet:///a/..b/c.?0", "/a/..b/c.", 0}, // dots inside names are names
        {"quillet://user@/tmp/x?0", nullptr, 0},
        {"", nullptr, 0},
        {"/tmp/plain/path", nullptr, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.url);
        const Expected<CreationRequest> read = readCreationRequest(row.url);
        if (row.folder == nullptr) {
            EXPECT_FALSE(read);
            continue;
        }
        ASSERT_TRUE(read);
        EXPECT_EQ(read->folderPath, row.folder);
        EXPECT_EQ(read->index, row.index);
    }
}

TEST(CreationRequestTest, AFolderPathLongerThanAnyPathIsRefused) {
    const std::string longest(kMaxFolderPathLength, 'a');
    const std::string fits = "/" + longest.substr(1);
    EXPECT_TRUE(readCreationRequest("quillet://" + fits));
    // Escapes count decoded: 4097 characters of text in three times as many bytes.
    std::string escaped = "/";
    for (std::size_t i = 0; i < kMaxFolderPathLength; ++i) {
        escaped += "%61";
    }
    for (const std::string& path : {"/" + longest, escaped, "/" + std::string(2 << 20, 'b')}) {
        const Expected<CreationRequest> read = readCreationRequest("quillet://" + path + "?0");
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error().detail(), "The request's folder path is too long.");
    }
}

} // namespace
} // namespace quillet::helper
