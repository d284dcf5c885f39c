// The creation request URL: escaped folder path and template index.
#include "shared/request_url.h"

#include <gtest/gtest.h>

#include <limits>

TEST(RequestURL, RoundTripsAwkwardFolderPaths) {
    const char* folders[] = {
        "/home/ann/My Documents",
        "/tmp/100% done",
        "/tmp/what?/where#now",
        "/tmp/Ünïcødé/日本語",
        "/tmp/a+b;c=d&e",
        "/tmp/%41 literal",
        "/",
        "/tmp/trailing/",
    };
    for (const char* folder : folders) {
        SCOPED_TRACE(folder);
        std::string url = quillet::makeRequestURL(folder, 7);
        EXPECT_EQ(url.rfind("quillet://", 0), 0u) << url;
        EXPECT_EQ(url.find(' '), std::string::npos) << url;
        EXPECT_EQ(url.find('#'), std::string::npos) << url;
        auto request = quillet::parseRequestURL(url);
        ASSERT_TRUE(request) << url;
        EXPECT_EQ(request->folderPath, folder);
        EXPECT_EQ(request->index, 7);
    }
}

TEST(RequestURL, EscapesExactlyWhatDecodingNeeds) {
    EXPECT_EQ(quillet::percentEncodePath("/a b"), "/a%20b");
    EXPECT_EQ(quillet::percentEncodePath("/%?#"), "/%25%3F%23");
    EXPECT_EQ(quillet::percentEncodePath("/é"), "/%C3%A9");
    EXPECT_EQ(quillet::percentDecode("/a%20b"), "/a b");
}

TEST(RequestURL, MalformedEscapesStayAsTheyAre) {
    EXPECT_EQ(quillet::percentDecode("100%"), "100%");
    EXPECT_EQ(quillet::percentDecode("%zz%4"), "%zz%4");
    EXPECT_EQ(quillet::percentDecode("%4a%4A"), "JJ");
}

TEST(RequestURL, QueryIndexIsTheIntegerValue) {
    auto parsed = [](const char* url) { return quillet::parseRequestURL(url); };
    EXPECT_EQ(parsed("quillet:///tmp?3")->index, 3);
    EXPECT_EQ(parsed("quillet:///tmp")->index, 0) << "no query";
    EXPECT_EQ(parsed("quillet:///tmp?")->index, 0);
    EXPECT_EQ(parsed("quillet:///tmp?abc")->index, 0);
    EXPECT_EQ(parsed("quillet:///tmp?12abc")->index, 12);
    EXPECT_EQ(parsed("quillet:///tmp?-1")->index, -1) << "callers must reject it themselves";
    EXPECT_EQ(parsed("quillet:///tmp?3")->folderPath, "/tmp");
}

TEST(RequestURL, TextThatIsNotAURLIsAnError) {
    EXPECT_FALSE(quillet::parseRequestURL(""));
    EXPECT_FALSE(quillet::parseRequestURL("/tmp/folder?1"));
    EXPECT_FALSE(quillet::parseRequestURL("no scheme here"));
}

TEST(IntegerValue, ParsesLikeThePlatform) {
    EXPECT_EQ(quillet::integerValue("42"), 42);
    EXPECT_EQ(quillet::integerValue("  -12abc"), -12);
    EXPECT_EQ(quillet::integerValue("+5"), 5);
    EXPECT_EQ(quillet::integerValue("abc"), 0);
    EXPECT_EQ(quillet::integerValue(""), 0);
    EXPECT_EQ(quillet::integerValue("99999999999999999999999"),
              std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(quillet::integerValue("-99999999999999999999999"),
              std::numeric_limits<std::int64_t>::min());
}
