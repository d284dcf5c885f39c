// One request from URL to item on disk, against fakes.
#include "helper_fixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class IntakeTest : public HelperFixture {
protected:
    void SetUp() override {
        setTemplates({templateRecord("untitled", "txt", templatesDir + "/Text.txt"),
                      templateRecord("script", "sh", templatesDir + "/Script.sh", true),
                      templateRecord("plain", "txt", templatesDir + "/Script.sh", false),
                      templateRecord("Makefile", "", templatesDir + "/Text.txt", false, false),
                      templateRecord("missing", "txt", templatesDir + "/Gone.txt")});
        setOption(keys::kSkipFilename, true);
        setOption(keys::kShowFileOnCreation, true);
    }
};

TEST_F(IntakeTest, CreatesOnTheDesktopAndThenTheNextFreeNameWithoutRevealing) {
    auto& d = start();
    d.handleURLEvent(url(desktop, "0"));
    d.handleURLEvent(url(desktop, "0"));
    EXPECT_EQ(readFile(desktop + "/untitled.txt"), "hello\n");
    EXPECT_EQ(readFile(desktop + "/untitled-1.txt"), "hello\n");
    // On the desktop the items are already visible.
    EXPECT_TRUE(log.steps.empty());
    EXPECT_TRUE(alerts.shown().empty());
    EXPECT_TRUE(d.shouldHandleURL());
}

TEST_F(IntakeTest, AFolderOutsideTheDesktopIsRevealedAndEscapesAreDecoded) {
    std::string folder = xdg.makeDir("home/My Folder \xC3\xA9t\xC3\xA9");
    start().handleURLEvent(url(folder, "0"));
    EXPECT_TRUE(exists(folder + "/untitled.txt"));
    EXPECT_EQ(log.steps, (std::vector<std::string>{"reveal " + folder + "/untitled.txt"}));
}

TEST_F(IntakeTest, AFolderInsideADesktopSubfolderIsRevealed) {
    std::string inner = xdg.makeDir("home/Desktop/inner");
    auto& d = start();
    EXPECT_TRUE(d.isDesktopDir(desktop));
    EXPECT_TRUE(d.isDesktopDir(desktop + "/"));
    EXPECT_TRUE(d.isDesktopDir(desktop + "/x.txt"));
    EXPECT_FALSE(d.isDesktopDir(inner + "/x.txt"));
    EXPECT_FALSE(d.isDesktopDir(desktop + "-other/x.txt"));
}

TEST_F(IntakeTest, IndexLookupCountsDisabledTemplatesAndIgnoresEnabled) {
    auto& d = start();
    d.handleURLEvent(url(work, "3")); // disabled, no suffix
    EXPECT_EQ(readFile(work + "/Makefile"), "hello\n");
    d.handleURLEvent(url(work, "3"));
    EXPECT_TRUE(exists(work + "/Makefile-1"));
    EXPECT_FALSE(d.findTemplateByIndex(5).has_value());
    EXPECT_FALSE(d.findTemplateByIndex(-1).has_value());
}

TEST_F(IntakeTest, AMissingQueryMeansTheFirstTemplateAndANonNumericOneIsRefused) {
    auto& d = start();
    d.handleURLEvent("quillet://" + percentEncodePath(work));
    EXPECT_TRUE(exists(work + "/untitled.txt"));
    EXPECT_TRUE(alerts.shown().empty());
    d.handleURLEvent("quillet://" + percentEncodePath(work) + "?first");
    EXPECT_FALSE(exists(work + "/untitled-1.txt"));
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_TRUE(
        alerts.shown()[0].message->starts_with("The request's template index is not a number.\n"));
}

TEST_F(IntakeTest, AnOverlongFolderIsRefusedUpFrontWithAShortMessage) {
    auto& d = start();
    // A missing folder below the unwritable root would otherwise be walked
    // and end in the authorisation panel.
    const std::string folder = "/nonexistent" + std::string(1 << 20, 'x');
    d.handleURLEvent(url(folder, "0"));
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
    EXPECT_TRUE(alerts.shown()[0].message->starts_with("The request's folder path is too long.\n"));
    EXPECT_LT(alerts.shown()[0].message->size(), 1000u);
    EXPECT_TRUE(panels.opened().empty());
}

TEST_F(IntakeTest, MessagesNameTheRealCause) {
    struct Row {
        const char* name;
        std::string settingsText; // empty: left as the fixture wrote it
        std::string folder;
        bool display;
        std::string title, messageStart, messageHas;
    };
    const std::string store = shared.filePath();
    const Row rows[] = {
        // Nobody could answer the authorisation panel: no panel, the reason.
        {"unwritable, no display", "", "/proc/1/new", false, "Unable to create file!", "",
         " (/proc/1/new)"},
        {"corrupt settings", "{\"fileTemplates\": [", work, true, "Unable to create file!",
         "The settings file could not be read.\n" + store + "\n", ""},
        {"settings not a dictionary", "[1, 2]", work, true, "Unable to create file!",
         "The settings file could not be read.\n" + store + "\n", ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        if (!row.settingsText.empty()) {
            std::ofstream(store, std::ios::binary | std::ios::trunc) << row.settingsText;
        }
        panels.available = row.display;
        auto& d = start();
        alerts.clear();
        d.handleURLEvent(url(row.folder, "0"));
        queue.advance(1s);
        ASSERT_EQ(alerts.shown().size(), 1u);
        EXPECT_EQ(alerts.shown()[0].title, row.title);
        EXPECT_TRUE(alerts.shown()[0].message->starts_with(row.messageStart))
            << *alerts.shown()[0].message;
        EXPECT_NE(alerts.shown()[0].message->find(row.messageHas), std::string::npos)
            << *alerts.shown()[0].message;
        EXPECT_TRUE(panels.opened().empty());
    }
    // Nothing of the unreadable file was lost.
    EXPECT_EQ(readFile(store), "[1, 2]");
}

TEST_F(IntakeTest, LargeFilesAndFoldersAreCopiedBesideTheMainLoopAndCountedMeanwhile) {
    const std::string large = templatesDir + "/Large.bin";
    writeFile(large, std::string(helper::kLargeCopyBytes, 'x'), 0644);
    const std::string folder = templatesDir + "/Project";
    std::filesystem::create_directories(folder + "/src");
    writeFile(folder + "/src/main.c", "int main;\n", 0644);
    struct Row {
        const char* name;
        Value record;
        int requests; // at once: each gets a name of its own
        std::vector<std::string> created;
        std::string copiedFile; // in the first item
        std::uintmax_t copiedSize;
    };
    const std::vector<Row> rows = {
        {"a large file",
         templateRecord("large", "bin", large),
         1,
         {"large.bin"},
         "",
         helper::kLargeCopyBytes},
        {"a folder, twice at once",
         templateRecord("project", "", folder),
         2,
         {"project", "project-1"},
         "/src/main.c",
         10},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        setTemplates({row.record});
        log.steps.clear();
        terminations = 0;
        auto& d = start();
        for (int i = 0; i < row.requests; ++i) {
            d.handleURLEvent(url(work, "0"));
        }
        // Accepted and under way: the helper stays while the copies run, and
        // the finishing steps wait for them.
        EXPECT_EQ(d.panelCount(), row.requests);
        EXPECT_TRUE(log.steps.empty());
        while (d.panelCount() > 0) {
            ASSERT_TRUE(queue.waitAndRunPending(std::chrono::seconds(30)));
        }
        std::vector<std::string> revealed;
        for (const auto& name : row.created) {
            revealed.push_back("reveal " + work + "/" + name);
        }
        std::sort(log.steps.begin(), log.steps.end());
        EXPECT_EQ(log.steps, revealed);
        EXPECT_EQ(std::filesystem::file_size(work + "/" + row.created[0] + row.copiedFile),
                  row.copiedSize);
        queue.advance(11s);
        EXPECT_EQ(terminations, 1); // the quit check counted from the copies' end
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
    }
}

TEST_F(IntakeTest, NoTemplateAtTheIndexIsACountedAlertAndCreatesNothing) {
    auto& d = start();
    std::int64_t countWhileOpen = -1;
    alerts.onShow = [&](const FakeAlerts::Shown&) { countWhileOpen = d.panelCount(); };
    d.handleURLEvent(url(work, "5"));
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
    EXPECT_EQ(alerts.shown()[0].message, "No suitable file template found.");
    EXPECT_EQ(alerts.shown()[0].style, AlertStyle::Critical);
    EXPECT_EQ(countWhileOpen, 1);
    EXPECT_EQ(d.panelCount(), 0);
    EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(IntakeTest, MalformedURLsAreReportedAndCreateNothing) {
    auto& d = start();
    for (const std::string& bad : {"file://" + work + "?0", "quillet://host" + work + "?0",
                                   std::string("quillet:relative?0"), std::string("not a url")}) {
        SCOPED_TRACE(bad);
        alerts.clear();
        d.handleURLEvent(bad);
        ASSERT_EQ(alerts.shown().size(), 1u);
        EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
        EXPECT_NE(alerts.shown()[0].message->find(bad), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_empty(work));
    EXPECT_EQ(d.panelCount(), 0);
}

TEST_F(IntakeTest, ExecuteBitsFollowTheTemplateNotTheFile) {
    auto& d = start();
    d.handleURLEvent(url(work, "1"));
    d.handleURLEvent(url(work, "2")); // copied from an executable, must not be
    EXPECT_EQ(modeOf(work + "/script.sh"), 0755u);
    EXPECT_EQ(modeOf(work + "/plain.txt"), 0644u);
}

TEST_F(IntakeTest, FinishingStepsRunInOrderAfterTheItemIsComplete) {
    setOption(keys::kPlaySound, true);
    setOption(keys::kOpenFileOnCreation, true);
    auto& d = start();
    d.handleURLEvent(url(work, "1"));
    const std::string item = work + "/script.sh";
    EXPECT_EQ(log.steps, (std::vector<std::string>{"reveal " + item, "sound /resources/sound.wav",
                                                   "open " + item}));
    EXPECT_EQ(modeOf(item), 0755u);
    // Dates are now, not the template's.
    struct stat st {};
    ::stat(item.c_str(), &st);
    EXPECT_LE(std::abs(static_cast<long>(st.st_mtime - ::time(nullptr))), 5);
}

TEST_F(IntakeTest, OptionsOffMeanNoRevealNoSoundNoOpen) {
    setOption(keys::kShowFileOnCreation, false);
    start().handleURLEvent(url(work, "0"));
    EXPECT_TRUE(exists(work + "/untitled.txt"));
    EXPECT_TRUE(log.steps.empty());
}

TEST_F(IntakeTest, AMissingTemplateFileShowsTheCopyErrorLater) {
    auto& d = start();
    d.handleURLEvent(url(work, "4"));
    EXPECT_TRUE(alerts.shown().empty());
    queue.advance(300ms);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Error creating file!");
    EXPECT_NE(alerts.shown()[0].message->find("No such file or directory"), std::string::npos);
    EXPECT_TRUE(std::filesystem::is_empty(work));
}

TEST_F(IntakeTest, APrefixThatLeavesTheFolderIsRefused) {
    std::string outside = xdg.makeDir("home/outside");
    setTemplates({templateRecord("../outside/evil", "txt", templatesDir + "/Text.txt"),
                  templateRecord("sub/evil", "txt", templatesDir + "/Text.txt"),
                  templateRecord("..", "", templatesDir + "/Text.txt"),
                  templateRecord(".", "", templatesDir + "/Text.txt")});
    auto& d = start();
    for (int i = 0; i < 4; ++i) {
        d.handleURLEvent(url(work, std::to_string(i)));
    }
    queue.advance(300ms);
    ASSERT_EQ(alerts.shown().size(), 4u);
    for (const auto& shown : alerts.shown()) {
        EXPECT_EQ(shown.title, "Unable to create file!");
    }
    EXPECT_TRUE(std::filesystem::is_empty(work));
    EXPECT_TRUE(std::filesystem::is_empty(outside));
}

TEST_F(IntakeTest, WithSkipFilenameOffTheRequestGoesToThePanel) {
    setOption(keys::kSkipFilename, false);
    withPanel = true;
    std::string absent = xdg.root() + "/not/yet/there";
    start().handleURLEvent(url(absent, "2"));
    ASSERT_EQ(panelRequests.size(), 1u);
    EXPECT_EQ(panelRequests[0].first, absent);
    EXPECT_EQ(panelRequests[0].second, templateRecord("plain", "txt", templatesDir + "/Script.sh"));
    EXPECT_EQ(panels.openCount(), 0u); // no writability test, no grant panel
}

TEST_F(IntakeTest, TheNewItemIsShownInTheFileManagerTheRequestCameFrom) {
    const struct {
        const char* fileManager;
        bool throughThePanel;
        const char* shownIn;
    } cases[] = {
        {"thunar", false, " in thunar"},
        {"nemo", false, " in nemo"},
        {"", false, ""},
        {"caja", true, " in caja"},
        {"", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.fileManager) + (c.throughThePanel ? " through the panel" : ""));
        log.steps.clear();
        panelRequests.clear();
        const std::string folder = xdg.makeDir(std::string("shown-") + c.fileManager +
                                               (c.throughThePanel ? "-panel" : ""));
        setOption(keys::kSkipFilename, !c.throughThePanel);
        withPanel = c.throughThePanel;
        // The panel's own creation, as the real one ends.
        onPanel = [&](helper::NewFilePanelHost& host, const std::string& in) {
            host.runFinishingSteps(in + "/typed.txt", FileTemplate{});
        };
        start().handleURLEvent(url(folder, "0"), c.fileManager);
        const std::string item = folder + (c.throughThePanel ? "/typed.txt" : "/untitled.txt");
        EXPECT_EQ(log.steps, (std::vector<std::string>{"reveal " + item + c.shownIn}));
    }
}

TEST_F(IntakeTest, AnUnwritableFolderReportsTheSystemsReason) {
    // Root writes everywhere; a folder below a file is unwritable for anyone.
    writeFile(work + "/file", "x", 0644);
    auto& d = start();
    d.makeFileAtDir(work + "/file", templateRecord("untitled", "txt", templatesDir + "/Text.txt"));
    queue.advance(300ms);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Error creating file!");
    EXPECT_NE(alerts.shown()[0].message->find("Not a directory"), std::string::npos);
}

TEST_F(IntakeTest, CreationLeftoversOfACrashedHelperAreCleanedAtStart) {
    std::string leftover = work + "/.quillet-tmp-1-0-dead";
    writeFile(leftover, "partial", 0600);
    std::filesystem::create_directories(xdg.root() + "/journal");
    pid_t dead = ::fork();
    if (dead == 0) {
        ::_exit(0);
    }
    ::waitpid(dead, nullptr, 0);
    writeFile(xdg.root() + "/journal/" + std::to_string(dead) + "-0.entry", leftover, 0600);
    auto& d = start(false);
    // A request served before launch leaves the clean-up for after.
    d.handleURLEvent(url(work, "0"));
    EXPECT_TRUE(exists(work + "/untitled.txt"));
    EXPECT_TRUE(exists(leftover));
    d.applicationDidFinishLaunching();
    EXPECT_FALSE(exists(leftover));
}

} // namespace
} // namespace quillet::test
