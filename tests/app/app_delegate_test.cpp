// The main application's start-up and shut-down against fakes: first run,
// the extension question, the launch once per system version, the tray
// item and the login item.
#include "app/core/app_delegate.h"
#include "app_services_fixture.h"
#include "fake_application_shell.h"
#include "file_text.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <optional>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using app::AppDelegate;

class AppDelegateTest : public ::testing::Test {
protected:
    // A shipped folder of two templates and its list.
    static void shipTemplates(const AppServicesFixture& fixture, bool folder = true,
                              std::optional<std::string> list = std::nullopt) {
        const std::string shipped = fixture.services.resourcesDir + "/FileTemplates";
        if (folder) {
            fs::create_directories(shipped + "/Folder");
            std::ofstream(shipped + "/Text.txt") << "";
            std::ofstream(shipped + "/Folder/README") << "read me";
        }
        std::ofstream(shipped + ".json")
            << list.value_or(R"([{"filename": "Text.txt", "enabled": true, "title": "Text",
                "prefix": "Untitled", "suffix": "txt", "executable": false},
               {"filename": "Folder", "enabled": false, "title": "Folder"}])");
    }

    AppServicesFixture f;
    FakeApplicationShell shell;
};

struct FirstRunCase {
    const char* name;
    std::optional<Value> storedMonitored;
    std::optional<Value> registeredMonitored;
    bool templatesDirExists;
    bool shippedFolder;
    std::optional<std::string> list;
    // Expected.
    Value monitored;
    bool refreshPosted;
    std::optional<std::size_t> templateCount; // nothing: fileTemplates stays absent
    bool copyAlert;
    // Given, last so that the other cases need not name it: a list of one
    // template in the templates folder is stored already.
    bool listStored = false;
};

const Value kRoot = Value::Array{Value::Dictionary{{"path", "/"}, {"enabled", true}}};

TEST_F(AppDelegateTest, FirstRunSeedsOnlyWhatIsAbsent) {
    const FirstRunCase cases[] = {
        {"no settings at all", {}, {}, false, true, {}, kRoot, true, 2u, false},
        {"an empty list of locations is the user's",
         Value::Array{},
         {},
         false,
         true,
         {},
         Value::Array{},
         false,
         2u,
         false},
        {"a registered list counts as a value",
         {},
         Value::Array{},
         false,
         true,
         {},
         Value::Array{},
         false,
         2u,
         false},
        {"an existing templates folder skips the copy",
         {},
         {},
         true,
         true,
         {},
         kRoot,
         true,
         {},
         false},
        {"a missing shipped folder is a failed copy",
         {},
         {},
         false,
         false,
         {},
         kRoot,
         true,
         {},
         true},
        {"an unreadable list seeds an empty list",
         {},
         {},
         false,
         true,
         "{not json",
         kRoot,
         true,
         0u,
         false},
        {"a stored list is the user's: the folder is set up again, the list kept",
         {},
         {},
         false,
         true,
         {},
         kRoot,
         true,
         1u,
         false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        shipTemplates(fixture, c.shippedFolder, c.list);
        if (c.storedMonitored) {
            ASSERT_TRUE(fixture.shared().setObject(keys::kMonitoredPaths, *c.storedMonitored));
        }
        if (c.registeredMonitored) {
            fixture.registered[keys::kMonitoredPaths] = *c.registeredMonitored;
        }
        if (c.templatesDirExists) {
            fs::create_directories(fixture.services.templatesDir);
        }
        if (c.listStored) {
            ASSERT_TRUE(fixture.shared().setObject(
                keys::kFileTemplates,
                Value::Array{FileTemplate{.enabled = true,
                                          .title = "Mine",
                                          .filePath = fixture.services.templatesDir + "/Text.txt",
                                          .prefix = "mine",
                                          .suffix = "txt"}
                                 .toValue()}));
        }

        AppDelegate delegate(fixture.services, ui);
        delegate.applicationDidFinishLaunching();

        SettingsStore store = fixture.shared();
        const Value stored = store.storedValues().count(keys::kMonitoredPaths)
                                 ? store.storedValues().at(keys::kMonitoredPaths)
                                 : Value::Array{};
        EXPECT_EQ(stored, c.monitored);
        EXPECT_EQ(fixture.notifications.posts().size(), c.refreshPosted ? 1u : 0u);
        if (c.refreshPosted) {
            EXPECT_EQ(fixture.notifications.posts()[0],
                      (FakeNotificationCenter::Posted{ids::kSuiteName, keys::kMonitoredPaths}));
        }
        auto templates = store.arrayForKey(keys::kFileTemplates);
        ASSERT_EQ(templates.has_value(), c.templateCount.has_value());
        if (templates) {
            ASSERT_EQ(templates->size(), *c.templateCount);
            for (const auto& record : *templates) {
                const std::string path = *record.find(keys::kFilePath)->asString();
                EXPECT_EQ(path.rfind(fixture.services.templatesDir + "/", 0), 0u) << path;
                EXPECT_TRUE(fs::exists(path)) << path;
            }
        }
        ASSERT_EQ(fixture.alerts.shown().size(), c.copyAlert ? 1u : 0u);
        if (c.copyAlert) {
            EXPECT_EQ(fixture.alerts.shown()[0].title, "Error copying templates");
            EXPECT_EQ(fixture.alerts.shown()[0].message,
                      "Unable to copy templates to the directory:\n" +
                          fixture.services.templatesDir);
            EXPECT_EQ(fixture.alerts.shown()[0].style, AlertStyle::Critical);
        }
        // Not started at login: the window opens.
        EXPECT_EQ(ui.count("showPreferencesWindow"), 1u);
    }
}

// A store with a typo is the user's settings, not a first run: nothing is
// written until the user, told which file and where its copy is, says so.
TEST_F(AppDelegateTest, AnUnreadableStoreIsNotAFirstRun) {
    const std::string garbage = "{\n  \"fileTemplates\": [ oops ]\n}\n";
    const struct {
        const char* name;
        std::deque<int> answers;
        std::size_t alerts;
        bool terminated;
        bool folderOpened;
    } rows[] = {
        {"quit", {app::kAlertThirdButton}, 1, true, false},
        {"closed", {}, 1, true, false},
        {"open the folder, then quit",
         {app::kAlertFirstButton, app::kAlertThirdButton},
         2,
         true,
         true},
        {"start with the default settings", {app::kAlertSecondButton}, 1, false, false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        ui.answers = row.answers;
        shipTemplates(fixture);
        const std::string file = fixture.shared().filePath();
        fs::create_directories(fs::path(file).parent_path());
        std::ofstream(file) << garbage;

        AppDelegate delegate(fixture.services, ui);
        delegate.applicationDidFinishLaunching();

        EXPECT_EQ(delegate.hasTerminated(), row.terminated);
        ASSERT_EQ(ui.alerts.size(), row.alerts);
        std::string aside;
        for (const auto& entry : fs::directory_iterator(fs::path(file).parent_path())) {
            if (entry.path().string().starts_with(file + ".corrupt-")) {
                aside = entry.path().string();
            }
        }
        ASSERT_FALSE(aside.empty()) << "a copy is kept";
        EXPECT_EQ(fileText(aside), garbage);
        const app::AlertRequest& alert = ui.alerts.back();
        EXPECT_EQ(alert.message, "The settings cannot be read");
        EXPECT_EQ(alert.buttons,
                  (std::vector<std::string>{"Open Folder", "Start with Default Settings", "Quit"}));
        EXPECT_EQ(alert.escapeButton, 2u);
        for (const std::string& named : {file, aside, std::string("at line 2, column 22")}) {
            EXPECT_NE(alert.informative.find(named), std::string::npos) << alert.informative;
        }
        EXPECT_EQ(fixture.workspace.openedFiles,
                  row.folderOpened ? std::vector<std::string>{fs::path(file).parent_path()}
                                   : std::vector<std::string>{});
        if (row.terminated) {
            EXPECT_EQ(fileText(file), garbage) << "nothing written";
            EXPECT_EQ(ui.count("showPreferencesWindow"), 0u);
        } else {
            EXPECT_EQ(fixture.shared().objectForKey(keys::kMonitoredPaths), kRoot);
            EXPECT_EQ(ui.count("showPreferencesWindow"), 1u);
        }
    }
}

// The titles are stored in the user's language; the other fields, file
// names and name prefixes among them, as the list has them.
TEST_F(AppDelegateTest, FirstRunRecordsTakeTheListsFieldsWithTranslatedTitles) {
    shipTemplates(f);
    f.services.translate = [](const std::string& text) {
        return text == "Text" ? "Texte" : text == "Folder" ? "Dossier" : text;
    };
    AppDelegate delegate(f.services, shell);
    delegate.checkAndCopyTemplates();
    auto templates = f.shared().arrayForKey(keys::kFileTemplates);
    ASSERT_TRUE(templates);
    ASSERT_EQ(templates->size(), 2u);
    EXPECT_EQ((*templates)[0],
              (Value::Dictionary{{"enabled", true},
                                 {"title", "Texte"},
                                 {"prefix", "Untitled"},
                                 {"suffix", "txt"},
                                 {"executable", false},
                                 {"filePath", f.services.templatesDir + "/Text.txt"}}));
    // A key the entry lacks is absent from its record.
    EXPECT_EQ((*templates)[1],
              (Value::Dictionary{{"enabled", false},
                                 {"title", "Dossier"},
                                 {"filePath", f.services.templatesDir + "/Folder"}}));
    EXPECT_EQ(fileText(f.services.templatesDir + "/Folder/README"), "read me");
}

TEST_F(AppDelegateTest, FirstRunAddsTheDesktopTemplatesFolderAfterTheShippedOnes) {
    struct Case {
        const char* what;
        std::string userDirs;
        std::vector<std::string> titles;
    };
    const Case cases[] = {
        {"localized folder",
         "XDG_TEMPLATES_DIR=\"$HOME/Vorlagen\"\n",
         {"Text", "Folder", "Brief", "Minutes {date}"}},
        {"the home folder means none", "XDG_TEMPLATES_DIR=\"$HOME\"\n", {"Text", "Folder"}},
        {"not set", "", {"Text", "Folder"}},
    };
    const std::string vorlagen = f.xdg.makeDir("home/Vorlagen");
    std::ofstream(vorlagen + "/Minutes {date}.md") << "# {folder}";
    std::ofstream(vorlagen + "/Brief.odt") << "odt";
    shipTemplates(f);
    // A file's own name is its title in any language.
    f.services.translate = [](const std::string& text) {
        return text == "Brief" ? std::string("Letter") : text;
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::ofstream(f.xdg.configHome() + "/user-dirs.dirs") << c.userDirs;
        // Each case a first run: no folder, no list.
        fs::remove_all(f.services.templatesDir);
        ASSERT_TRUE(f.shared().removeObjectForKey(keys::kFileTemplates));
        AppDelegate delegate(f.services, shell);
        delegate.checkAndCopyTemplates();
        auto templates = f.shared().arrayForKey(keys::kFileTemplates);
        ASSERT_TRUE(templates);
        std::vector<std::string> titles;
        for (const Value& record : *templates) {
            titles.push_back(*record.find(keys::kTitle)->asString());
        }
        EXPECT_EQ(titles, c.titles);
        if (templates->size() == 4) {
            // Referenced where it is, not copied into Quillet's folder.
            EXPECT_EQ(*(*templates)[3].find(keys::kFilePath),
                      Value(vorlagen + "/Minutes {date}.md"));
            EXPECT_FALSE(fs::exists(f.services.templatesDir + "/Minutes {date}.md"));
        }
    }
}

struct ConfirmCase {
    const char* name;
    int answer;
    bool helpOpens;
    int restartAnswer;
    // Expected.
    bool settled;
    bool helpShown;
    bool restarted;
};

TEST_F(AppDelegateTest, TheExtensionQuestionIsSettledAsAnswered) {
    const ConfirmCase cases[] = {
        {"set up, help shown, restart", app::kAlertFirstButton, true, app::kAlertFirstButton, true,
         true, true},
        {"set up, help shown, no restart", app::kAlertFirstButton, true, app::kAlertSecondButton,
         true, true, false},
        {"set up, no browser", app::kAlertFirstButton, false, app::kAlertSecondButton, false, true,
         false},
        {"later", app::kAlertSecondButton, true, 0, false, false, false},
        {"do not show again", app::kAlertThirdButton, true, 0, true, false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        ui.answers = {c.answer, c.restartAnswer};
        fixture.workspace.succeed = c.helpOpens;
        AppDelegate delegate(fixture.services, ui);
        delegate.confirmExtension();

        ASSERT_FALSE(ui.alerts.empty());
        EXPECT_EQ(ui.alerts[0].message, "Quillet Extension");
        EXPECT_EQ(ui.alerts[0].buttons,
                  (std::vector<std::string>{"Set Up Extension…", "Later", "Do not show again"}));
        EXPECT_EQ(fixture.privateDefaults.boolForKey(app::kExtensionConfirmedKey), c.settled);
        EXPECT_EQ(fixture.workspace.openedURLs.size(), c.helpShown ? 1u : 0u);
        if (c.helpShown) {
            EXPECT_EQ(fixture.workspace.openedURLs[0],
                      "file://" + fixture.services.helpDir + "/finder-context-menu.html");
        }
        std::vector<std::string> restarted;
        for (const auto& launch : fixture.workspace.launched) {
            if (launch.args == std::vector<std::string>{"-q"}) {
                restarted.push_back(launch.path);
            }
        }
        EXPECT_EQ(restarted,
                  c.restarted ? fixture.services.fileManagerPaths : std::vector<std::string>{});
        // Every answer goes on to the launch once per system version.
        EXPECT_EQ(fixture.workspace.launched.back().path, fixture.services.helperPath);
    }
}

TEST_F(AppDelegateTest, StartUpAsksAboutTheExtensionOnlyWhileUnsettled) {
    struct Case {
        const char* name;
        bool settled;
        bool running;
        bool asked;
        bool settledAfter;
    } cases[] = {
        {"unsettled, not running: asked half a second later", false, false, true, false},
        {"a running extension settles it silently", false, true, false, true},
        {"settled: never asked", true, false, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        ui.answers = {app::kAlertSecondButton};
        ASSERT_TRUE(fixture.privateDefaults.setBool(app::kExtensionConfirmedKey, c.settled));
        fixture.workspace.setRunning(ids::kExtension + std::string(".Nemo"), c.running);
        AppDelegate delegate(fixture.services, ui);
        delegate.applicationDidFinishLaunching();
        fixture.queue.advance(499ms);
        EXPECT_TRUE(ui.alerts.empty());
        fixture.queue.advance(1ms);
        EXPECT_EQ(ui.alerts.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(fixture.privateDefaults.boolForKey(app::kExtensionConfirmedKey), c.settledAfter);
        // A running extension settles it without launching anything this time.
        EXPECT_EQ(fixture.workspace.launched.empty(), c.running);
    }
}

TEST_F(AppDelegateTest, TheHelperIsLaunchedOncePerSystemVersion) {
    struct Case {
        const char* name;
        std::optional<std::string> last;
        bool launchSucceeds;
        bool launched;
        std::optional<std::string> lastAfter;
    } cases[] = {
        {"first start", {}, true, true, f.services.osVersion},
        {"same version", f.services.osVersion, true, false, f.services.osVersion},
        {"new version", "Debian GNU/Linux 11 (bullseye) 5.10.0", true, true, f.services.osVersion},
        {"a failed launch is tried again next time", "old", false, true, "old"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        if (c.last) {
            ASSERT_TRUE(fixture.privateDefaults.setString(app::kLastOSVersionKey, *c.last));
        }
        fixture.workspace.succeed = c.launchSucceeds;
        AppDelegate delegate(fixture.services, shell);
        delegate.launchHelperOncePerSystemVersion();
        EXPECT_EQ(fixture.workspace.launched.size(), c.launched ? 1u : 0u);
        EXPECT_EQ(fixture.privateDefaults.stringForKey(app::kLastOSVersionKey), c.lastAfter);
    }
}

TEST_F(AppDelegateTest, LaunchHelperStartsOnlyAHelperThatIsNotRunning) {
    AppDelegate delegate(f.services, shell);
    f.workspace.setRunning(ids::kHelper, true);
    delegate.launchHelper();
    EXPECT_TRUE(f.workspace.launched.empty()); // it returns at once
    f.queue.runPending();
    EXPECT_TRUE(f.workspace.launched.empty());
    f.workspace.setRunning(ids::kHelper, false);
    delegate.launchHelper();
    f.queue.runPending();
    ASSERT_EQ(f.workspace.launched.size(), 1u);
    EXPECT_EQ(f.workspace.launched[0].path, f.services.helperPath);
}

TEST_F(AppDelegateTest, StartedAtLoginWithTheTrayItemOpensNoWindow) {
    struct Case {
        const char* name;
        bool showInMenuBar;
        bool launcherRunning;
        bool trayAvailable;
        bool window;
        bool statusItem;
    } cases[] = {
        {"at login with the tray item", true, true, true, false, true},
        {"started by the user", true, false, true, true, true},
        {"tray item off", false, true, true, true, false},
        {"no tray host: as if the option were off", true, true, false, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        ui.trayAvailable = c.trayAvailable;
        fixture.registered[keys::kShowInMenuBar] = c.showInMenuBar;
        fixture.workspace.setRunning(ids::kLauncher, c.launcherRunning);
        AppDelegate delegate(fixture.services, ui);
        delegate.applicationDidFinishLaunching();
        EXPECT_EQ(ui.count("showPreferencesWindow"), c.window ? 1u : 0u);
        EXPECT_EQ(ui.policy,
                  c.window ? app::ActivationPolicy::Regular : app::ActivationPolicy::Accessory);
        EXPECT_EQ(delegate.statusItemShown(), c.statusItem);
    }
}

TEST_F(AppDelegateTest, TheTrayItemFollowsTheOptionOnEveryUpdate) {
    f.registered[keys::kShowInMenuBar] = true;
    AppDelegate delegate(f.services, shell);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(shell.count("createStatusItem"), 1u);
    delegate.didClickStatusItem({});
    EXPECT_TRUE(shell.popoverShown);

    ASSERT_TRUE(f.shared().setBool(keys::kShowInMenuBar, false));
    f.localNotifications.post(app::kStatusItemShouldUpdate, "");
    EXPECT_FALSE(delegate.statusItemShown());
    EXPECT_FALSE(shell.popoverShown);
    EXPECT_TRUE(shell.popoverExists); // released a moment later
    f.queue.advance(300ms);
    EXPECT_FALSE(shell.popoverExists);

    ASSERT_TRUE(f.shared().setBool(keys::kShowInMenuBar, true));
    f.localNotifications.post(app::kStatusItemShouldUpdate, "");
    f.localNotifications.post(app::kStatusItemShouldUpdate, "");
    EXPECT_TRUE(delegate.statusItemShown());
    EXPECT_EQ(shell.count("createStatusItem"), 2u);
}

TEST_F(AppDelegateTest, AClickOpensTheMenuOrTogglesThePopover) {
    struct Case {
        const char* name;
        app::StatusClick click;
        app::StatusClickAction action;
    } cases[] = {
        {"plain click", {false, app::kNoModifier}, app::StatusClickAction::TogglePopover},
        {"right button", {true, app::kNoModifier}, app::StatusClickAction::ShowMenu},
        {"Alt alone", {false, app::kAltModifier}, app::StatusClickAction::ShowMenu},
        {"Alt and Shift",
         {false, app::kAltModifier | app::kShiftModifier},
         app::StatusClickAction::TogglePopover},
        {"Control", {false, app::kControlModifier}, app::StatusClickAction::TogglePopover},
        {"right button with Shift", {true, app::kShiftModifier}, app::StatusClickAction::ShowMenu},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(app::routeStatusClick(c.click), c.action);
    }

    AppDelegate delegate(f.services, shell);
    delegate.didClickStatusItem({false, app::kAltModifier});
    EXPECT_EQ(shell.log, (std::vector<std::string>{"popUpStatusMenu"}));
    delegate.didClickStatusItem({});
    delegate.didClickStatusItem({});
    delegate.didClickStatusItem({});
    EXPECT_EQ(shell.log, (std::vector<std::string>{"popUpStatusMenu", "createPopover",
                                                   "showPopover", "closePopover", "showPopover"}));
}

TEST_F(AppDelegateTest, QuittingReconcilesTheLoginItemOnce) {
    struct Case {
        const char* name;
        bool shouldLaunchHelper;
        bool launchAtLogin;
        bool registeredBefore;
        bool registeredAfter;
    } cases[] = {
        {"neither: unregistered", false, false, true, false},
        {"helper wanted", true, false, false, true},
        {"start at login", false, true, false, true},
        {"both, already registered", true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        AppServicesFixture fixture;
        FakeApplicationShell ui;
        fixture.registered[keys::kShowInMenuBar] = true;
        ASSERT_TRUE(fixture.shared().setBool(keys::kShouldLaunchHelper, c.shouldLaunchHelper));
        ASSERT_TRUE(fixture.shared().setBool(keys::kLaunchAtLogin, c.launchAtLogin));
        ASSERT_TRUE(fixture.loginItems.setRegistered(ids::kLauncher, "x", c.registeredBefore));
        AppDelegate delegate(fixture.services, ui);
        delegate.applicationDidFinishLaunching();
        ASSERT_TRUE(delegate.statusItemShown());

        delegate.applicationWillTerminate();
        delegate.applicationWillTerminate();
        EXPECT_TRUE(delegate.hasTerminated());
        EXPECT_EQ(fixture.loginItems.isRegistered(ids::kLauncher), c.registeredAfter);
        EXPECT_EQ(ui.count("removeStatusItem"), 1u);
        // The tray item no longer follows the option.
        fixture.localNotifications.post(app::kStatusItemShouldUpdate, "");
        EXPECT_EQ(ui.count("createStatusItem"), 1u);
    }
}

TEST_F(AppDelegateTest, ASecondStartShowsTheWindowOnlyWhenNoneIsVisible) {
    AppDelegate delegate(f.services, shell);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(shell.count("showPreferencesWindow"), 0u);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(shell.count("showPreferencesWindow"), 1u);
}

} // namespace
} // namespace quillet::test
