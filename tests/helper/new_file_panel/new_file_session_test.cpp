#include "helper/core/new_file_panel/new_file_session.h"

#include "shared/identifiers.h"
#include "shared/xdg_paths.h"

#include "fake_panel_host.h"
#include "panel_fixtures.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

namespace quillet::helper {
namespace {

using test::listing;
using test::readFile;
using test::templateRecord;
using test::writeFile;

// Stands in for the dialog: does what the user would, then closes.
class ScriptedPresenter final : public NewFileDialogPresenter {
public:
    using Script = std::function<std::optional<ConfirmedItem>(NewFilePanelModel&)>;
    explicit ScriptedPresenter(Script script) : script_(std::move(script)) {}

    std::optional<ConfirmedItem> run(NewFilePanelModel& model) override {
        ++runs;
        return script_(model);
    }
    int runs = 0;

private:
    Script script_;
};

class NewFileSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        writeFile(templates + "/text.txt", "text template");
        writeFile(templates + "/notes.md", "# markdown template");
        ASSERT_TRUE(store.setObject("fileTemplates", Value::Array{text, markdown}));
        host.journal = &journal;
    }

    void run(ScriptedPresenter& presenter, const Value& record,
             const CopyStep& copy = copyNewItem) {
        runNewFileSession(host, store, dir, record, presenter, copy);
    }

    test::TempXdg xdg;
    std::string templates = xdg.makeDir("Templates");
    std::string dir = xdg.makeDir("Documents");
    Value text = templateRecord("Text", templates + "/text.txt", "untitled", "txt");
    Value markdown = templateRecord("Markdown", templates + "/notes.md", "Notes", "md", true, true);
    SettingsStore store = SettingsStore::atPath(xdg.configHome() + "/store.json");
    test::FakePanelHost host;
    CreationJournal journal{xdg.makeDir("journal")};
};

TEST_F(NewFileSessionTest, CancellingCreatesNothingAndLowersTheCountOnce) {
    int countWhileOpen = 0;
    ScriptedPresenter presenter([&](NewFilePanelModel&) {
        countWhileOpen = host.panelCount;
        return std::nullopt;
    });
    run(presenter, text);
    EXPECT_EQ(countWhileOpen, 1);
    EXPECT_EQ(host.raises, 1);
    EXPECT_EQ(host.lowers, 1);
    EXPECT_EQ(host.panelCount, 0);
    EXPECT_TRUE(host.finished.empty());
    EXPECT_TRUE(host.pendingAlerts.empty());
    EXPECT_EQ(listing(dir), "");
    // Other panels of the helper open where this one was pointed.
    SettingsStore defaults = SettingsStore::atPath(paths::privateDefaultsFile(ids::kHelper));
    EXPECT_EQ(defaults.stringForKey("NSNavLastRootDirectory"), dir);
    EXPECT_EQ(defaults.stringForKey("NSNavLastCurrentDirectory"), dir);
}

TEST_F(NewFileSessionTest, ConfirmingCreatesTheItemThenRunsTheFinishingStepsWhileCounted) {
    ScriptedPresenter presenter([&](NewFilePanelModel& model) {
        EXPECT_EQ(model.title(), "New Text");
        EXPECT_EQ(model.nameField(), "untitled.txt");
        return ConfirmedItem{dir + "/report.txt", false};
    });
    run(presenter, text);
    EXPECT_EQ(readFile(dir + "/report.txt"), "text template");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].path, dir + "/report.txt");
    EXPECT_EQ(host.finished[0].fileTemplate.title, "Text");
    EXPECT_EQ(host.finished[0].panelCountThen, 1);
    EXPECT_EQ(host.panelCount, 0);
    EXPECT_EQ(host.lowers, 1);
}

TEST_F(NewFileSessionTest, TheTemplateChosenInTheChooserIsTheOneCopied) {
    ScriptedPresenter presenter([&](NewFilePanelModel& model) {
        EXPECT_TRUE(model.selectTemplate(1, dir));
        return ConfirmedItem{dir + "/plan.md", false};
    });
    run(presenter, text);
    EXPECT_EQ(readFile(dir + "/plan.md"), "# markdown template");
    ASSERT_EQ(host.finished.size(), 1u);
    EXPECT_EQ(host.finished[0].fileTemplate.title, "Markdown");
    EXPECT_TRUE(host.finished[0].fileTemplate.executable);
}

TEST_F(NewFileSessionTest, AFailedCopyIsReportedAndCountedUntilDismissed) {
    host.translations["Error creating file!"] = "Fehler beim Erstellen!";
    writeFile(dir + "/report.txt", "old report");
    ScriptedPresenter presenter([&](NewFilePanelModel&) {
        return ConfirmedItem{dir + "/report.txt", true};
    });
    run(presenter, text, [](const std::string&, const std::string& destination) {
        return Status(
            Error(kCopyAction, destination, std::make_error_code(std::errc::no_space_on_device)));
    });
    ASSERT_EQ(host.pendingAlerts.size(), 1u);
    EXPECT_EQ(host.pendingAlerts[0].title, "Fehler beim Erstellen!");
    EXPECT_EQ(host.pendingAlerts[0].message,
              std::make_error_code(std::errc::no_space_on_device).message());
    EXPECT_TRUE(host.finished.empty());
    // The old report survives the failed replacement.
    EXPECT_EQ(readFile(dir + "/report.txt"), "old report");
    EXPECT_EQ(listing(dir), "report.txt;");
    EXPECT_EQ(host.panelCount, 1);
    host.dismissAlerts();
    EXPECT_EQ(host.panelCount, 0);
    EXPECT_EQ(host.lowers, 1);
}

TEST_F(NewFileSessionTest, ANameTakenAfterConfirmationIsNotOverwritten) {
    ScriptedPresenter presenter([&](NewFilePanelModel&) {
        // Another program creates the name while the dialog closes.
        writeFile(dir + "/report.txt", "theirs");
        return ConfirmedItem{dir + "/report.txt", false};
    });
    run(presenter, text);
    ASSERT_EQ(host.pendingAlerts.size(), 1u);
    EXPECT_EQ(host.pendingAlerts[0].title, "Error creating file!");
    EXPECT_EQ(readFile(dir + "/report.txt"), "theirs");
    EXPECT_TRUE(host.finished.empty());
}

TEST_F(NewFileSessionTest, CopiesInProgressAreRecordedInTheHostsJournal) {
    for (const bool replace : {false, true}) {
        SCOPED_TRACE(replace ? "replacing" : "creating");
        ScriptedPresenter presenter([&](NewFilePanelModel&) {
            return ConfirmedItem{dir + "/report.txt", replace};
        });
        std::string entriesWhileCopying;
        run(presenter, text, [&](const std::string& source, const std::string& destination) {
            entriesWhileCopying = listing(journal.dir());
            return copyNewItem(source, destination);
        });
        EXPECT_NE(entriesWhileCopying, "");
        EXPECT_EQ(listing(journal.dir()), "");
        EXPECT_EQ(readFile(dir + "/report.txt"), "text template");
    }
    EXPECT_EQ(listing(dir), "report.txt;");
}

TEST_F(NewFileSessionTest, ARecordThatIsNoTemplateIsReportedWithoutADialog) {
    ScriptedPresenter presenter([](NewFilePanelModel&) { return std::nullopt; });
    run(presenter, Value("not a record"));
    EXPECT_EQ(presenter.runs, 0);
    ASSERT_EQ(host.pendingAlerts.size(), 1u);
    EXPECT_EQ(host.pendingAlerts[0].title, "Unable to create file!");
    EXPECT_EQ(host.pendingAlerts[0].message, "No suitable file template found.");
    host.dismissAlerts();
    EXPECT_EQ(host.panelCount, 0);
}

} // namespace
} // namespace quillet::helper
