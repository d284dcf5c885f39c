// Variables in template names and texts, the folders a template is kept for,
// and where the desktop keeps its templates.
#include "shared/files/expanding_copy.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/template_variables.h"
#include "shared/user_dirs.h"
#include "shared/xdg_paths.h"

#include "support/file_text.h"
#include "support/temp_files_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;

VariableContext december8(std::string folder = "/home/ann/Projects/Quillet",
                          std::string user = "Ann Example") {
    return VariableContext{.now = {2026, 12, 8, 9, 5}, .folder = folder, .user = user};
}

TEST(TemplateVariables, Expansion) {
    struct Case {
        const char* text;
        const char* expected;
    };
    const Case cases[] = {
        {"{date}", "2026-12-08"},
        {"{time}", "09-05"},
        {"{datetime}", "2026-12-08 09-05"},
        {"{year}-{month}-{day}", "2026-12-08"},
        {"{folder}", "Quillet"},
        {"{parent}", "Projects"},
        {"{user}", "Ann Example"},
        {"Minutes {date}", "Minutes 2026-12-08"},
        {"{date}{time}", "2026-12-0809-05"},
        // Escapes: doubled braces are one literal brace.
        {"{{date}}", "{date}"},
        {"{{{date}}}", "{2026-12-08}"},
        {"a}}b{{c", "a}b{c"},
        // Unknown names, odd braces: left as they are.
        {"{dat}", "{dat}"},
        {"{DATE}", "{DATE}"},
        {"{}", "{}"},
        {"{ date }", "{ date }"},
        {"{a{date}", "{a2026-12-08"},
        {"{dat}}", "{dat}}"},
        {"open {", "open {"},
        {"}", "}"},
        {"", ""},
        {"int main() { return 0; }", "int main() { return 0; }"},
        {"Grüße aus {folder}", "Grüße aus Quillet"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(expandVariables(c.text, december8()), c.expected);
    }
}

TEST(TemplateVariables, UnknownNamesAreListedOnceInOrder) {
    struct Case {
        const char* text;
        std::vector<std::string> unknown;
    };
    const Case cases[] = {
        {"Minutes {date}", {}}, {"{dat} {date} {dat} {x}", {"dat", "x"}},
        {"{{dat}}", {}},        {"{Folder}", {"Folder"}},
        {"{}", {""}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(unknownVariables(c.text), c.unknown);
    }
}

TEST(TemplateVariables, NamesFallBackToThePlainPrefixWhenTheResultIsNoName) {
    const std::string longUser(252, 'u'); // 256 bytes with ".txt"
    struct Case {
        const char* what;
        std::string prefix;
        std::string suffix;
        VariableContext context;
        std::string expected;
    };
    const Case cases[] = {
        {"expanded", "Minutes {date}", "md", december8(), "Minutes 2026-12-08"},
        {"no variables", "Untitled", "txt", december8(), "Untitled"},
        {"empty result", "{user}", "txt", december8("/f", ""), "{user}"},
        {"root folder's name is a slash", "{folder}", "", december8("/"), "{folder}"},
        {"parent of a top folder is the root", "{parent}", "", december8("/top"), "{parent}"},
        {"slash in the value", "{user}", "", december8("/f", "a/b"), "{user}"},
        {"dot", "{user}", "", december8("/f", "."), "{user}"},
        {"dot dot", "{user}", "", december8("/f", ".."), "{user}"},
        {"dot dot before a suffix", "{user}", "txt", december8("/f", ".."), "{user}"},
        {"NUL", "{user}", "", december8("/f", std::string("a\0b", 3)), "{user}"},
        {"255 bytes fit", "{user}", "", december8("/f", std::string(255, 'u')),
         std::string(255, 'u')},
        {"256 bytes do not", "{user}", "", december8("/f", std::string(256, 'u')), "{user}"},
        {"the suffix counts", "{user}", "txt", december8("/f", longUser), "{user}"},
        {"unknown stays", "Notes {dat}", "", december8(), "Notes {dat}"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(expandedPrefix(c.prefix, c.suffix, c.context), c.expected);
    }
    FileTemplate minutes{
        .title = "Minutes", .filePath = "/t", .prefix = "Minutes {date}", .suffix = "md"};
    EXPECT_EQ(minutes.defaultName(december8()), "Minutes 2026-12-08.md");
    EXPECT_EQ(minutes.defaultName(), "Minutes {date}.md") << "the stored name stays plain";
}

TEST(TemplateVariables, OnlyValidUtf8UpToOneMebibyteIsText) {
    struct Case {
        const char* what;
        std::string content;
        bool text;
    };
    const Case cases[] = {
        {"empty", "", true},
        {"ASCII", "plain {date}\n", true},
        {"two-byte", "Grüße", true},
        {"four-byte", "\xF0\x9F\x93\x9D", true},
        {"lone continuation byte", "\x80", false},
        {"Latin-1", "Gr\xFC\xDF", false},
        {"cut short", "\xC3", false},
        {"overlong slash", "\xC0\xAF", false},
        {"surrogate", "\xED\xA0\x80", false},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", false},
        {"NUL is text", std::string("a\0b", 3), true},
        {"exactly 1 MiB", std::string(kMaxExpandedTextBytes, 'a'), true},
        {"1 MiB and a byte", std::string(kMaxExpandedTextBytes + 1, 'a'), false},
        {"2 MiB", std::string(2 * kMaxExpandedTextBytes, 'a'), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(isExpandableText(c.content), c.text);
    }
}

class ExpandingCopyTest : public TempFilesTest {};

TEST_F(ExpandingCopyTest, TextFilesGetTheirVariablesOtherFilesTheirBytes) {
    const std::string twoMiB = "{date}" + std::string(2 * kMaxExpandedTextBytes, 'a');
    struct Case {
        const char* what;
        std::string content;
        std::string expected;
    };
    const Case cases[] = {
        {"text", "# {folder}, {date}\n{{literal}}\n", "# Quillet, 2026-12-08\n{literal}\n"},
        {"no variables", "nothing to do\n", "nothing to do\n"},
        {"not UTF-8", "\xFF{date}\xFE", "\xFF{date}\xFE"},
        {"2 MiB of text", twoMiB, twoMiB},
    };
    const std::string target = xdg.makeDir("Quillet");
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string source = "template" + std::to_string(n++);
        touch(source, c.content, 0755);
        Expected<std::string> made =
            copyItem(path(source), target + "/{date}.md", WhenTaken::UseFreeName, nullptr,
                     expandingCopyStep(december8(target)));
        ASSERT_TRUE(made) << made.error().logText();
        EXPECT_EQ(fileText(*made), c.expected);
        EXPECT_EQ(fs::status(*made).permissions(), fs::status(path(source)).permissions());
    }
    // Never replaced: each copy took the next free name.
    EXPECT_TRUE(fs::exists(target + "/{date}-3.md"));
    EXPECT_EQ(std::distance(fs::directory_iterator(target), fs::directory_iterator()), 4);
}

TEST_F(ExpandingCopyTest, FoldersAreCopiedAsTheyAre) {
    touch("Project/README.md", "{folder}");
    const std::string target = xdg.makeDir("into");
    Expected<std::string> made = copyItem(path("Project"), target + "/Project", WhenTaken::Fail,
                                          nullptr, expandingCopyStep(december8(target)));
    ASSERT_TRUE(made) << made.error().logText();
    EXPECT_EQ(fileText(*made + "/README.md"), "{folder}");
}

TEST(TemplateScope, AFolderListMeansAtOrBelowOneOfThem) {
    struct Case {
        std::vector<std::string> limitedTo;
        std::optional<std::string> folder;
        bool offered;
    };
    const std::vector<std::string> project{"/srv/Project", "file:///srv/Other%20Place"};
    const Case cases[] = {
        {{}, "/anywhere", true},
        {project, std::nullopt, true}, // folder unknown: a popover
        {project, "/srv/Project", true},
        {project, "/srv/Project/", true},
        {project, "/srv/Project/deep/er", true},
        {project, "/srv/Project/../Else", false},
        {project, "/srv/ProjectX", false},
        {project, "/srv", false},
        {project, "/srv/Other Place/x", true},
        {{"/srv/Project/"}, "/srv/Project", true},
        {{"/"}, "/x", true},
        {{"relative"}, "/x", false},
        {{"https://example.org/x"}, "/x", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.folder.value_or("(unknown)"));
        FileTemplate t{.title = "t", .filePath = "/t", .prefix = "p", .suffix = ""};
        t.limitedToPaths = c.limitedTo;
        EXPECT_EQ(t.isOfferedIn(c.folder), c.offered);
    }
}

TEST(TemplateScope, TheNewKeysAreOptionalAndRoundTrip) {
    FileTemplate plain{.title = "t", .filePath = "/t", .prefix = "p", .suffix = ""};
    const Value stored = plain.toValue();
    EXPECT_EQ(stored.find(keys::kExpandsVariables), nullptr);
    EXPECT_EQ(stored.find(keys::kLimitedToPaths), nullptr);

    auto read = FileTemplate::fromValue(Value::Dictionary{
        {keys::kPrefix, "p"},
        {keys::kExpandsVariables, 1},
        {keys::kLimitedToPaths, Value::Array{"/a", 5, "/b"}},
    });
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->expandsVariables);
    EXPECT_EQ(read->limitedToPaths, (std::vector<std::string>{"/a", "/b"}));
    EXPECT_EQ(FileTemplate::fromValue(read->toValue())->limitedToPaths, read->limitedToPaths);
    auto wrongType = FileTemplate::fromValue(
        Value::Dictionary{{keys::kPrefix, "p"}, {keys::kLimitedToPaths, "/a"}});
    EXPECT_TRUE(wrongType->limitedToPaths.empty()) << "ill-typed reads as absent";
}

TEST(UserDirectories, ReadAsTheToolWritesThem) {
    const std::string home = "/home/ann";
    struct Case {
        const char* what;
        std::string text;
        std::string expected;
    };
    const Case cases[] = {
        {"localized", "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n", "/home/ann/Vorlagen"},
        {"spaces and accents", "XDG_TEMPLATES_DIR=\"$HOME/Mes Modèles\"", "/home/ann/Mes Modèles"},
        {"absolute", "  XDG_TEMPLATES_DIR = \"/data/tpl/\"  ", "/data/tpl"},
        {"the home folder", "XDG_TEMPLATES_DIR=\"$HOME\"", "/home/ann"},
        {"the home folder with a slash", "XDG_TEMPLATES_DIR=\"$HOME/\"", "/home/ann"},
        {"escaped quote", "XDG_TEMPLATES_DIR=\"$HOME/a\\\"b\"", "/home/ann/a\"b"},
        {"last line wins", "XDG_TEMPLATES_DIR=\"$HOME/One\"\nXDG_TEMPLATES_DIR=\"$HOME/Two\"\n",
         "/home/ann/Two"},
        {"among others",
         "# comment\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_TEMPLATES_DIR=\"$HOME/T\"\n"
         "XDG_MUSIC_DIR=\"$HOME/Music\"",
         "/home/ann/T"},
        {"commented out", "# XDG_TEMPLATES_DIR=\"$HOME/x\"", ""},
        {"relative", "XDG_TEMPLATES_DIR=\"Templates\"", ""},
        {"not the home folder", "XDG_TEMPLATES_DIR=\"$HOMEWORK\"", ""},
        {"a longer key", "XDG_TEMPLATES_DIRS=\"$HOME/x\"", ""},
        {"unquoted, as older readers took it", "XDG_TEMPLATES_DIR=$HOME/Plain ", "/home/ann/Plain"},
        {"missing", "XDG_DESKTOP_DIR=\"$HOME/Desktop\"", ""},
        {"empty file", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(paths::userDirectory(c.text, "XDG_TEMPLATES_DIR", home), c.expected);
    }
}

TEST(UserDirectories, TemplatesFolderIsNoneWithoutFileOrWhenItIsHome) {
    TempXdg xdg;
    const std::string file = xdg.configHome() + "/user-dirs.dirs";
    struct Case {
        const char* what;
        std::optional<std::string> text; // nothing: no file
        std::string templates;
        std::string desktop;
    };
    const Case cases[] = {
        {"missing file", std::nullopt, "", xdg.home() + "/Desktop"},
        {"equal to $HOME", "XDG_TEMPLATES_DIR=\"$HOME/\"\nXDG_DESKTOP_DIR=\"$HOME\"\n", "",
         xdg.home()},
        {"localized",
         "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\nXDG_DESKTOP_DIR=\"$HOME/Arbeitsfläche\"",
         xdg.home() + "/Vorlagen", xdg.home() + "/Arbeitsfläche"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove(file);
        if (c.text) {
            std::ofstream(file) << *c.text;
        }
        EXPECT_EQ(paths::templatesUserDir(), c.templates);
        EXPECT_EQ(paths::desktopDir(), c.desktop);
    }
}

} // namespace
} // namespace quillet::test
