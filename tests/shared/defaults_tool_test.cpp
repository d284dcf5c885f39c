// quillet-defaults run as a program against a temporary config folder.
#include "shared/identifiers.h"
#include "shared/settings_store.h"
#include "support/file_text.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

using quillet::test::fileText;

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

std::string quote(const std::string& arg) {
    std::string q = "'";
    for (char c : arg) {
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return q + "'";
}

class DefaultsToolTest : public ::testing::Test {
protected:
    ToolRun run(const std::vector<std::string>& args) {
        std::string command = quote(QUILLET_DEFAULTS_TOOL);
        for (const auto& a : args) {
            command += ' ';
            command += quote(a);
        }
        const std::string out = xdg.root() + "/out";
        const std::string err = xdg.root() + "/err";
        command += " >" + quote(out) + " 2>" + quote(err) + " </dev/null";
        int raw = std::system(command.c_str());
        ToolRun r;
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        r.out = fileText(out);
        r.err = fileText(err);
        return r;
    }

    quillet::test::TempXdg xdg;
    quillet::SettingsStore store{quillet::ids::kSuiteName};
};

} // namespace

TEST_F(DefaultsToolTest, WriteThenReadTheDefaultSuite) {
    ToolRun w = run({"write", "fileTemplates", R"([{"title":"Text","enabled":true}])"});
    ASSERT_EQ(w.status, 0) << w.err;
    auto templates = store.arrayForKey("fileTemplates");
    ASSERT_TRUE(templates);
    EXPECT_EQ(templates->size(), 1u);

    ToolRun r = run({"read", "fileTemplates"});
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(r.out.find("\"Text\""), std::string::npos) << r.out;

    ToolRun all = run({"read"});
    EXPECT_EQ(all.status, 0);
    EXPECT_NE(all.out.find("fileTemplates"), std::string::npos) << all.out;
}

TEST_F(DefaultsToolTest, AbsentKeyExitsWithOne) {
    ToolRun r = run({"read", "nothingHere"});
    EXPECT_EQ(r.status, 1);
    EXPECT_TRUE(r.out.empty());
    EXPECT_NE(r.err.find("nothingHere"), std::string::npos);
    EXPECT_EQ(run({"delete", "nothingHere"}).status, 1);
}

TEST_F(DefaultsToolTest, BadJsonIsRefusedAndTheStoreUntouched) {
    ASSERT_TRUE(store.setBool("playSound", true));
    const std::string before = fileText(store.filePath());
    ToolRun r = run({"write", "playSound", "{tru"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("not valid JSON"), std::string::npos) << r.err;
    EXPECT_EQ(fileText(store.filePath()), before);
}

TEST_F(DefaultsToolTest, DeleteAndOtherSuites) {
    ASSERT_EQ(run({"write", "k", "\"v\""}).status, 0);
    ASSERT_EQ(run({"delete", "k"}).status, 0);
    EXPECT_TRUE(store.objectForKey("k").isNull());

    ASSERT_EQ(run({"--suite", "org.quillet.Quillet", "write", "lastOSVersion", "\"x\""}).status, 0);
    quillet::SettingsStore priv("org.quillet.Quillet");
    EXPECT_EQ(priv.stringForKey("lastOSVersion"), "x");
    EXPECT_TRUE(store.objectForKey("lastOSVersion").isNull());
    EXPECT_EQ(run({"--suite", "../escape", "read"}).status, 2);
    EXPECT_EQ(run({"frobnicate"}).status, 2);
}

// An unreadable store is reported, not printed as "{}" (no settings at all).
TEST_F(DefaultsToolTest, AnUnreadableStoreIsAnErrorNotAnEmptyOne) {
    std::filesystem::create_directories(std::filesystem::path(store.filePath()).parent_path());
    std::ofstream(store.filePath()) << "{\n  \"playSound\": true,\n  oops\n}\n";
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"read"}, std::vector<std::string>{"read", "playSound"}}) {
        SCOPED_TRACE(args.size());
        ToolRun r = run(args);
        EXPECT_EQ(r.status, 4);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find(store.filePath()), std::string::npos) << r.err;
        EXPECT_NE(r.err.find("not valid JSON (at line 3, column 3"), std::string::npos) << r.err;
    }
}
