// Dropping templates out of the popover: names, execute bits, failures in
// the middle of a drag, the staged copies and their removal, and what each
// desktop is offered.
#include "app/core/template_drop.h"

#include "fake_alerts.h"
#include "fake_main_queue.h"
#include "file_text.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

class TemplateDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        templates = xdg.makeDir("Templates");
        drop = xdg.makeDir("Drop here");
        std::ofstream(templates + "/Text.txt") << "text\n";
        std::ofstream(templates + "/Tool.sh") << "#!/bin/sh\n";
        ::chmod((templates + "/Tool.sh").c_str(), 0755);
    }
    FileTemplate make(std::string prefix, std::string suffix, std::string file,
                      bool executable = false) {
        FileTemplate t;
        t.enabled = true;
        t.title = prefix;
        t.prefix = std::move(prefix);
        t.suffix = std::move(suffix);
        t.filePath = templates + "/" + file;
        t.executable = executable;
        return t;
    }
    TemplateDropper dropper() {
        return TemplateDropper(
            {queue, alerts, [](const std::string& s) { return s; },
             [this](std::function<void()> task) { background.push_back(std::move(task)); }});
    }
    void runBackground() {
        for (auto& task : background) {
            task();
        }
        background.clear();
    }

    test::TempXdg xdg;
    test::FakeMainQueue queue;
    test::FakeAlerts alerts;
    std::vector<std::function<void()>> background;
    std::string templates, drop;
};

TEST_F(TemplateDropTest, NamesAndExecuteBits) {
    struct Case {
        const char* taken;
        FileTemplate fileTemplate;
        const char* created;
        mode_t mode;
    } cases[] = {
        {nullptr, make("untitled", "txt", "Text.txt"), "untitled.txt", 0644},
        {"untitled.txt", make("untitled", "txt", "Text.txt"), "untitled-1.txt", 0644},
        {nullptr, make("Makefile", "", "Text.txt"), "Makefile", 0644},
        {"Makefile", make("Makefile", "", "Text.txt"), "Makefile-1", 0644},
        {nullptr, make("run", "sh", "Text.txt", true), "run.sh", 0755},
        // An executable template file, not to be executable: the bits go.
        {nullptr, make("plain", "sh", "Tool.sh", false), "plain.sh", 0644},
    };
    ::umask(022);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.created);
        fs::remove_all(drop);
        fs::create_directories(drop);
        if (c.taken) {
            std::ofstream(drop + "/" + c.taken) << "taken";
        }
        auto names = dropper().dropTemplates({c.fileTemplate}, drop);
        EXPECT_EQ(names, std::vector<std::string>{c.created});
        runBackground();
        const std::string path = drop + "/" + c.created;
        EXPECT_EQ(test::fileMode(path), c.mode);
        if (c.taken) {
            EXPECT_EQ(test::fileText(drop + "/" + c.taken), "taken");
        }
    }
    EXPECT_TRUE(alerts.shown().empty());
}

TEST_F(TemplateDropTest, AFailedMiddleCopyIsReportedOnceAndTheOthersAreMade) {
    auto text = make("untitled", "txt", "Text.txt");
    auto names = dropper().dropTemplates(
        {text, make("gone", "txt", "Missing.txt"), make("tool", "sh", "Tool.sh", true)}, drop);
    EXPECT_EQ(names, (std::vector<std::string>{"untitled.txt", "tool.sh"}));
    EXPECT_TRUE(fs::exists(drop + "/untitled.txt"));
    EXPECT_TRUE(fs::exists(drop + "/tool.sh"));
    EXPECT_FALSE(fs::exists(drop + "/gone.txt"));

    // Shown after the drag has ended, not during it.
    queue.advance(299ms);
    EXPECT_TRUE(alerts.shown().empty());
    queue.advance(1ms);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
    EXPECT_EQ(alerts.shown()[0].style, AlertStyle::Critical);
    EXPECT_NE(alerts.shown()[0].message->find("Missing.txt"), std::string::npos);

    // Two drops of one template: two files.
    EXPECT_EQ(dropper().dropTemplates({text}, drop), std::vector<std::string>{"untitled-1.txt"});

    // A name that would leave the folder is refused, also reported.
    EXPECT_TRUE(dropper().dropTemplates({make("../out", "txt", "Text.txt")}, drop).empty());
    queue.advance(300ms);
    EXPECT_EQ(alerts.shown().size(), 2u);
    EXPECT_FALSE(fs::exists(xdg.root() + "/out.txt"));
}

TEST_F(TemplateDropTest, StagedCopiesAreFinishedAtOnceInAFreshFolder) {
    const std::string root = xdg.root() + "/cache/quillet/drag";
    auto tool = make("tool", "sh", "Text.txt", true);
    auto first = dropper().stageTemplates({tool, tool}, root);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(fs::path(first[0]).filename(), "tool.sh");
    EXPECT_EQ(fs::path(first[1]).filename(), "tool-1.sh");
    EXPECT_EQ(test::fileMode(first[0]) & 0111, 0111u);
    EXPECT_TRUE(background.empty());

    auto second = dropper().stageTemplates({tool}, root);
    ASSERT_EQ(second.size(), 1u);
    EXPECT_NE(fs::path(second[0]).parent_path(), fs::path(first[0]).parent_path());
    EXPECT_TRUE(fs::exists(first[0])); // a target may still be copying it
    // Stale ones go at the next drag.
    auto third = dropper().stageTemplates({tool}, root, std::chrono::minutes(-1));
    EXPECT_FALSE(fs::exists(first[0]));
    EXPECT_TRUE(fs::exists(third[0]));
}

// A drag stages through the one copy: a template kept as a link is staged
// as a copy of its file, so the target never receives a link to it.
TEST_F(TemplateDropTest, ALinkedTemplateIsStagedAsACopy) {
    fs::create_symlink(templates + "/Text.txt", templates + "/Linked.txt");
    auto staged = dropper().stageTemplates({make("linked", "txt", "Linked.txt")},
                                           xdg.root() + "/cache/quillet/drag");
    ASSERT_EQ(staged.size(), 1u);
    EXPECT_FALSE(fs::is_symlink(staged[0]));
    EXPECT_EQ(test::fileText(staged[0]), "text\n");
}

TEST(DragOfferTest, FileManagersThatPreferAFileListGetDirectSaveAlone) {
    struct Case {
        const char* windowClass;
        bool alone;
    } cases[] = {
        {"Thunar", true},
        {"thunar", true},
        {"Xfdesktop", true},
        {"Caja", true},
        {"Nemo", true},
        {"Nemo-desktop", true},
        {"org.gnome.Nautilus", false}, // GTK 4: no direct save at all
        {"dolphin", false},
        {"firefox", false},
        {"", false},
        {"Thunar-settings", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.windowClass);
        EXPECT_EQ(offerDirectSaveAloneTo(c.windowClass), c.alone);
    }
}

TEST_F(TemplateDropTest, StagedCopiesGoWhenTheDragEndsAtQuitAndAtStart) {
    const std::string root = xdg.root() + "/cache/quillet/drag";
    auto folderText = make("untitled", "txt", "Text.txt");
    struct Case {
        const char* name;
        bool dropped;
        std::chrono::milliseconds gone; // when the copies are removed
    } cases[] = {
        {"cancelled: at once", false, 0ms},
        {"dropped: once the target has copied", true, kStagedCopyKeep},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto staged = dropper().stageTemplates({folderText, folderText}, root);
        ASSERT_EQ(staged.size(), 2u);
        dropper().dragEnded(staged, c.dropped);
        if (c.gone > 0ms) {
            EXPECT_TRUE(fs::exists(staged[1]));
            queue.advance(c.gone - 1ms);
            EXPECT_TRUE(fs::exists(staged[0]));
            queue.advance(1ms);
        }
        EXPECT_FALSE(fs::exists(fs::path(staged[0]).parent_path()));
    }
    // What a drag left when the program ended early goes at the next start
    // (or quit), read-only folders of a folder template included; nothing
    // else in the cache is touched.
    auto left = dropper().stageTemplates({folderText}, root);
    ASSERT_EQ(left.size(), 1u);
    fs::create_directories(fs::path(left[0]).parent_path() / "sub/deeper");
    ::chmod((fs::path(left[0]).parent_path() / "sub").c_str(), 0500);
    std::ofstream(root + "/not-ours.txt") << "keep\n";
    removeStagedDrags(root);
    EXPECT_EQ(test::fileText(root + "/not-ours.txt"), "keep\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(root), fs::directory_iterator()), 1);
    EXPECT_EQ(dragStagingRoot(), root);
}

TEST(EnabledTemplatesTest, EnabledRecordsInStoredOrder) {
    test::TempXdg xdg;
    SettingsStore store(ids::kSuiteName);
    auto record = [](const char* title, bool enabled) {
        return Value(Value::Dictionary{{keys::kEnabled, enabled},
                                       {keys::kTitle, title},
                                       {keys::kPrefix, title},
                                       {keys::kFilePath, "/t"}});
    };
    ASSERT_TRUE(store.setObject(
        keys::kFileTemplates,
        Value(Value::Array{record("A", true), record("B", false), Value(3), record("C", true)})));
    auto rows = enabledTemplates(store);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].title, "A");
    EXPECT_EQ(rows[1].title, "C");
    // A row's place in the whole list, which the helper's shortcuts count
    // by: disabled records and entries that are no record count too.
    const std::pair<std::size_t, std::optional<std::size_t>> places[] = {
        {0, 0}, {1, 3}, {2, std::nullopt}};
    for (const auto& [row, place] : places) {
        SCOPED_TRACE(row);
        EXPECT_EQ(storedIndexOfEnabledRow(store, row), place);
    }
}

} // namespace
} // namespace quillet::app
