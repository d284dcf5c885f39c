// Keyboard shortcuts in the helper: binding, a press, the current folder the
// user script reports, and the script's installation.
#include "helper/core/shortcuts/finder_path.h"
#include "helper/core/shortcuts/hot_key_binding.h"
#include "helper/core/shortcuts/script_installer.h"
#include "helper/core/shortcuts/user_script_check.h"
#include "helper_fixture.h"
#include "shared/ports/shortcut_registry.h"

#include <algorithm>

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

Value::Dictionary combo(int keysym, int modifiers = 12) {
    return {{keys::kShortcutKeyCode, keysym}, {keys::kShortcutModifierFlags, modifiers}};
}

class ShortcutsTest : public HelperFixture {
protected:
    Value withShortcut(Value record, const Value::Dictionary& shortcut) {
        record.asDictionary()->emplace(keys::kShortcut, Value(shortcut));
        return record;
    }
    Value text(const std::string& prefix) {
        return templateRecord(prefix, "txt", templatesDir + "/Text.txt");
    }
    // A press, then the script's answer handed to the main queue.
    void pressAndSettle(const std::string& identifier) {
        ASSERT_TRUE(hotKeys.pressIdentifier(identifier));
        queue.runPending();
    }
};

TEST_F(ShortcutsTest, BindingFollowsTheTemplatesThatHaveAShortcut) {
    struct Case {
        const char* name;
        Value::Array templates;
        std::vector<std::string> identifiers;
    };
    const Case cases[] = {
        {"none", {}, {}},
        {"A without, B and C with",
         {text("a"), withShortcut(text("b"), combo('b')), withShortcut(text("c"), combo('c'))},
         {"shortcut1", "shortcut2"}},
        {"a disabled template is bound too",
         {withShortcut(templateRecord("d", "txt", templatesDir + "/Text.txt", false, false),
                       combo('d'))},
         {"shortcut0"}},
        {"a shortcut that is not a dictionary is no shortcut",
         {[&] {
             Value v = text("e");
             v.asDictionary()->emplace(keys::kShortcut, Value("ctrl+e"));
             return v;
         }()},
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        setTemplates(c.templates);
        helper::bindHotKeys(hotKeys, c.templates, [](std::int64_t) {});
        std::vector<std::string> bound;
        for (const auto& key : hotKeys.allHotKeys()) {
            bound.push_back(key->identifier);
            // The dictionary goes to the registry unchanged.
            auto index = helper::indexFromHotKeyIdentifier(key->identifier);
            ASSERT_TRUE(index);
            EXPECT_EQ(Value(key->keyCombo), *c.templates[*index].find(keys::kShortcut));
        }
        EXPECT_EQ(bound, c.identifiers);
    }
    EXPECT_FALSE(helper::indexFromHotKeyIdentifier("shortcutx"));
    EXPECT_FALSE(helper::indexFromHotKeyIdentifier("test"));
}

TEST_F(ShortcutsTest, APressCreatesTheFileInTheFolderTheScriptReports) {
    setOption(keys::kSkipFilename, true);
    setOption(keys::kRunInBackground, true);
    // The second template is disabled: its shortcut works all the same.
    setTemplates({text("a"), withShortcut(templateRecord("untitled", "txt",
                                                         templatesDir + "/Text.txt", false, false),
                                          combo('n'))});
    installUserScript();
    scripts.outcome = work + "\n";
    start();
    pressAndSettle("shortcut1");
    ASSERT_EQ(scripts.runs.size(), 1u);
    EXPECT_EQ(scripts.runs[0].scriptPath, scriptsDir + "/QuilletHelper.sh");
    EXPECT_EQ(scripts.runs[0].arguments, std::vector<std::string>{"/resources/get-finder-path"});
    EXPECT_EQ(readFile(work + "/untitled.txt"), "hello\n");
    EXPECT_TRUE(alerts.shown().empty());
}

// The desktop's list of custom shortcuts, in memory.
class MemoryShortcutRegistry final : public ShortcutRegistry {
public:
    std::vector<RegistryEntry> held;
    ShortcutRegistryKind kind() const override { return ShortcutRegistryKind::Gnome; }
    Expected<std::vector<RegistryEntry>> entries() override { return held; }
    Status apply(const RegistryChanges& changes) override {
        std::erase_if(held, [&](const RegistryEntry& entry) {
            return std::find(changes.removed.begin(), changes.removed.end(), entry) !=
                   changes.removed.end();
        });
        for (const auto* list : {&changes.changed, &changes.added}) {
            for (const auto& entry : *list) {
                std::erase_if(held, [&](const RegistryEntry& e) { return e.id == entry.id; });
                held.push_back(entry);
            }
        }
        return {};
    }
};

TEST_F(ShortcutsTest, WithTheDesktopsListTheEntryRunsWhatAPressDoes) {
    setOption(keys::kSkipFilename, true);
    MemoryShortcutRegistry registry;
    shortcutRegistry = &registry;
    setTemplates({text("a"), withShortcut(text("untitled"), combo('n'))});
    installUserScript();
    scripts.outcome = work + "\n";
    auto& helper = start();
    // Entries instead of grabs: nothing keeps the helper running.
    EXPECT_TRUE(hotKeys.allHotKeys().empty());
    ASSERT_EQ(registry.held.size(), 1u);
    EXPECT_EQ(registry.held[0].id, "quillet-1");
    EXPECT_EQ(registry.held[0].command, "'" + executable + "' --shortcut 1");
    EXPECT_EQ(registry.held[0].binding, "<Control><Alt>n");

    // What `quillet-helper --shortcut 1` hands over.
    helper.handleShortcutActivation(1);
    queue.runPending();
    EXPECT_EQ(readFile(work + "/untitled.txt"), "hello\n");
    EXPECT_TRUE(alerts.shown().empty());
    // A request like any other: the helper ends once it is served.
    queue.advance(helper::kQuitCheckDelay);
    EXPECT_EQ(terminations, 1);
}

TEST_F(ShortcutsTest, WithoutSkipFilenameThePressOpensTheNewFilePanel) {
    setOption(keys::kSkipFilename, false);
    withPanel = true;
    setTemplates({withShortcut(text("untitled"), combo('n'))});
    installUserScript();
    scripts.outcome = work;
    start();
    pressAndSettle("shortcut0");
    ASSERT_EQ(panelRequests.size(), 1u);
    EXPECT_EQ(panelRequests[0].first, work);
    EXPECT_FALSE(exists(work + "/untitled.txt"));
}

TEST_F(ShortcutsTest, ATemplateKeptForSomeFoldersCreatesOnlyThere) {
    setOption(keys::kSkipFilename, true);
    setOption(keys::kRunInBackground, true);
    Value minutes = withShortcut(text("Minutes {date}"), combo('m'));
    minutes.asDictionary()->emplace(keys::kLimitedToPaths, Value::Array{work + "/Project"});
    setTemplates({minutes});
    installUserScript();
    std::filesystem::create_directories(work + "/Project");
    start();
    struct Case {
        std::string folder;
        bool created;
    };
    for (const Case& c : {Case{work, false}, Case{work + "/Project", true}}) {
        SCOPED_TRACE(c.folder);
        alerts.clear();
        scripts.outcome = c.folder + "\n";
        pressAndSettle("shortcut0");
        EXPECT_EQ(alerts.shown().size(), c.created ? 0u : 1u);
    }
    for (const auto& entry : std::filesystem::directory_iterator(work)) {
        EXPECT_FALSE(entry.path().filename().string().starts_with("Minutes"));
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work + "/Project"),
                            std::filesystem::directory_iterator()),
              1);
}

TEST_F(ShortcutsTest, APressAfterTheTemplateWasDeletedSaysSoAndRunsNothing) {
    setTemplates({text("a"), withShortcut(text("b"), combo('b'))});
    installUserScript();
    start();
    setTemplates({text("a")}); // the refresh notification has not come yet
    pressAndSettle("shortcut1");
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Unable to create file!");
    EXPECT_EQ(alerts.shown()[0].message, "No suitable file template found.");
    EXPECT_EQ(alerts.shown()[0].style, AlertStyle::Critical);
    EXPECT_TRUE(scripts.runs.empty());
}

TEST_F(ShortcutsTest, TheScriptsOutputIsTrimmedOfLineBreaksOnly) {
    struct Case {
        std::string output;
        std::optional<std::string> folder; // nothing: "Invalid directory path!"
    };
    const Case cases[] = {
        {"/Users/me/Desktop\n", "/Users/me/Desktop"},
        {"\n/Users/me/Projects\r\n", "/Users/me/Projects"},
        {"/Users/me/My Folder \n", "/Users/me/My Folder "},
        {"", std::nullopt},
        {"\r\n", std::nullopt},
        {"Desktop\n", std::nullopt},
        {" /leading/space", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.output);
        alerts.clear();
        scripts.outcome = c.output;
        helper::FinderPath finder(scripts, queue, alerts, nullptr, scriptsDir, "/query");
        std::optional<std::string> reported;
        finder.getFinderPathWithTemplate(
            text("a"), [&](const std::string& folder, const Value&) { reported = folder; });
        queue.runPending();
        EXPECT_EQ(reported, c.folder);
        EXPECT_EQ(helper::trimLineBreaks(c.output).size() <= c.output.size(), true);
        if (!c.folder) {
            ASSERT_EQ(alerts.shown().size(), 1u);
            EXPECT_EQ(alerts.shown()[0].title, "Invalid directory path!");
            EXPECT_EQ(alerts.shown()[0].message, helper::trimLineBreaks(c.output));
        } else {
            EXPECT_TRUE(alerts.shown().empty());
        }
    }
}

TEST_F(ShortcutsTest, AScriptThatCannotStartOrFailsIsReported) {
    helper::FinderPath finder(scripts, queue, alerts, nullptr, scriptsDir, "/query");
    bool called = false;
    auto handler = [&](const std::string&, const Value&) { called = true; };

    scripts.startError = Error(kScriptRunAction, "QuilletHelper.sh",
                               std::make_error_code(std::errc::permission_denied));
    finder.getFinderPathWithTemplate(text("a"), handler);
    ASSERT_EQ(alerts.shown().size(), 1u); // at once, on the main thread
    EXPECT_EQ(alerts.shown()[0].title, "Unable to run QuilletHelper.sh!");
    EXPECT_EQ(alerts.shown()[0].message, "QuilletHelper.sh: Permission denied");

    scripts.startError.reset();
    scripts.outcome =
        Error::withDetail(kScriptFinishAction, "QuilletHelper.sh", "ended with status 2");
    finder.getFinderPathWithTemplate(text("a"), handler);
    EXPECT_EQ(alerts.shown().size(), 1u); // not before the main queue runs
    queue.runPending();
    ASSERT_EQ(alerts.shown().size(), 2u);
    EXPECT_EQ(alerts.shown()[1].title, "Unable to get current folder path!");
    EXPECT_EQ(alerts.shown()[1].message, "QuilletHelper.sh ended with status 2");
    EXPECT_EQ(alerts.shown()[1].style, AlertStyle::Critical);
    EXPECT_FALSE(called);
}

TEST_F(ShortcutsTest, InstallationOutcomesAndThePanelCount) {
    enum class Panel { None, Cancel, Confirm, ConfirmOtherFolder };
    // What is at the script's name before the press.
    enum class AtName { Nothing, Script, GroupWritable, DanglingLink, Folder, Mode000 };
    struct Case {
        const char* name;
        AtName atName;
        bool resourceMissing; // the helper's own installation fails
        int reinstallChoice;  // the answer to the reinstall offer, -1 when none is made
        Panel panel;
        int copyFailChoice;        // the answer to the copy-failure alert
        bool manualWindowInstalls; // the user drags the script in
        bool installed;
        std::vector<std::string> titles;
    };
    const std::string mustInstall =
        "You must install the QuilletHelper.sh script in order to use keyboard shortcuts!";
    const std::string copyFailed = "Unable to install QuilletHelper.sh to the scripts directory!";
    const std::string refused = "Unable to run QuilletHelper.sh!";
    const std::string reinstall = "QuilletHelper.sh cannot be run. Reinstall it?";
    // clang-format off
    const Case cases[] = {
        {"runnable script",
         AtName::Script, false, -1, Panel::None, -1, false, true, {}},
        {"nothing: the helper installs it",
         AtName::Nothing, false, -1, Panel::None, -1, false, true, {}},
        {"installing fails, panel cancelled",
         AtName::Nothing, true, -1, Panel::Cancel, -1, false, false, {mustInstall}},
        {"installing fails, another folder confirmed",
         AtName::Nothing, true, -1, Panel::ConfirmOtherFolder, 1, false, false, {copyFailed}},
        {"installing and copy fail, cancel",
         AtName::Nothing, true, -1, Panel::Confirm, 1, false, false, {copyFailed}},
        {"installing and copy fail, manual, dragged",
         AtName::Nothing, true, -1, Panel::Confirm, 0, true, true, {copyFailed}},
        {"installing and copy fail, manual, closed",
         AtName::Nothing, true, -1, Panel::Confirm, 0, false, false, {copyFailed}},
        {"writable by the group: refused",
         AtName::GroupWritable, false, -1, Panel::None, -1, false, false, {refused}},
        {"a link to nothing: reinstalled",
         AtName::DanglingLink, false, 0, Panel::None, -1, false, true, {reinstall}},
        {"mode 000: reinstalled",
         AtName::Mode000, false, 0, Panel::None, -1, false, true, {reinstall}},
        {"a folder: reinstall declined",
         AtName::Folder, false, 1, Panel::None, -1, false, false, {reinstall}},
        {"a folder: reinstalled, installing fails, panel cancelled",
         AtName::Folder, true, 0, Panel::Cancel, -1, false, false, {reinstall, mustInstall}},
    };
    // clang-format on
    const std::string script = scriptsDir + "/QuilletHelper.sh";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove_all(scriptsDir);
        std::filesystem::create_directories(scriptsDir);
        alerts.clear();
        manualWindows.clear();
        switch (c.atName) {
        case AtName::Nothing:
            break;
        case AtName::Script:
            installUserScript();
            break;
        case AtName::GroupWritable:
            writeFile(script, "#!/bin/sh\necho /somewhere/else\n", 0775);
            break;
        case AtName::DanglingLink:
            std::filesystem::create_symlink(xdg.root() + "/gone.sh", script);
            break;
        case AtName::Folder:
            std::filesystem::create_directories(script + "/inside");
            break;
        case AtName::Mode000:
            writeFile(script, "#!/bin/sh\n# mine\n", 0);
            break;
        }
        std::string resource =
            c.resourceMissing ? xdg.root() + "/missing/QuilletHelper.sh" : scriptResource;
        std::int64_t count = 0;
        helper::ScriptInstaller installer(
            {.panels = panels,
             .alerts = alerts,
             .workspace = workspace,
             .privateDefaults = privateDefaults,
             .translate = nullptr,
             .raisePanelCount = [&] { ++count; },
             .lowerPanelCount = [&] { --count; },
             .runManualWindow =
                 [&](const std::string& shipped, const std::string& destDir) {
                     manualWindows.emplace_back(shipped, destDir);
                     EXPECT_EQ(count, 1);
                     if (c.manualWindowInstalls) {
                         writeFile(destDir + "/QuilletHelper.sh", "#!/bin/sh\n", 0755);
                     }
                 }},
            {.scriptsDir = scriptsDir, .scriptResource = resource, .homeDir = xdg.root()});
        alerts.nextChoice = c.reinstallChoice >= 0 ? c.reinstallChoice : c.copyFailChoice;
        std::optional<bool> answer;
        installer.checkAndInstallScripts([&](bool installed) { answer = installed; });
        if (c.panel != Panel::None) {
            EXPECT_FALSE(answer);
            EXPECT_EQ(count, 1);
            const auto& options = panels.opened().back().options;
            EXPECT_EQ(options.title, "Select Scripts Directory");
            // The message says why the helper could not do it itself.
            EXPECT_EQ(options.message.substr(0, options.message.find('\n')),
                      "QuilletHelper would like to access "
                      "\"~/data/quillet/scripts/org.quillet.QuilletHelper\" directory");
            EXPECT_NE(options.message.find("No such file or directory"), std::string::npos)
                << options.message;
            EXPECT_EQ(options.prompt, "Authorize");
            EXPECT_EQ(options.directory, scriptsDir);
            alerts.nextChoice = c.copyFailChoice;
            if (c.panel == Panel::Cancel) {
                panels.cancel();
            } else {
                panels.choose(c.panel == Panel::Confirm ? scriptsDir : work);
            }
        }
        EXPECT_EQ(answer, c.installed);
        EXPECT_EQ(count, 0);
        const auto presence = helper::checkUserScript(script, ::getuid());
        EXPECT_EQ(presence && *presence == helper::UserScriptPresence::Runnable, c.installed);
        if (c.installed && !c.manualWindowInstalls && c.atName != AtName::Script) {
            EXPECT_EQ(modeOf(script), 0755);
            EXPECT_EQ(readFile(script), readFile(scriptResource));
        }
        // What a reinstall replaced is kept beside it; a refused script is left alone.
        EXPECT_EQ(exists(script + ".old"), c.reinstallChoice == 0);
        if (c.atName == AtName::GroupWritable) {
            EXPECT_EQ(modeOf(script), 0775);
        }
        std::vector<std::string> titles;
        for (const auto& shown : alerts.shown()) {
            titles.push_back(shown.title.value_or(""));
            // Only failures are critical: a refusal, a copy that failed.
            EXPECT_EQ(shown.style == AlertStyle::Critical,
                      *shown.title == refused || *shown.title == copyFailed)
                << *shown.title;
        }
        EXPECT_EQ(titles, c.titles);
        if (c.reinstallChoice >= 0) {
            EXPECT_EQ(alerts.shown()[0].buttons, (std::vector<std::string>{"Reinstall", "Cancel"}));
        }
        if (c.copyFailChoice >= 0) {
            EXPECT_EQ(alerts.shown().back().buttons,
                      (std::vector<std::string>{"Install manually", "Cancel"}));
        }
        EXPECT_EQ(manualWindows.size(), c.copyFailChoice == 0 ? 1u : 0u);
    }
}

TEST_F(ShortcutsTest, AScriptsFolderThatCannotBeMadeIsReported) {
    writeFile(xdg.root() + "/blocker", "a file where a folder belongs", 0644);
    helper::ScriptInstaller installer({.panels = panels,
                                       .alerts = alerts,
                                       .workspace = workspace,
                                       .privateDefaults = privateDefaults,
                                       .translate = nullptr,
                                       .raisePanelCount = [] {},
                                       .lowerPanelCount = [] {},
                                       .runManualWindow = nullptr},
                                      {.scriptsDir = xdg.root() + "/blocker/scripts",
                                       .scriptResource = scriptResource,
                                       .homeDir = xdg.home()});
    std::optional<bool> answer;
    installer.checkAndInstallScripts([&](bool installed) { answer = installed; });
    EXPECT_EQ(answer, false);
    EXPECT_EQ(panels.openCount(), 0u);
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].title, "Error creating the scripts directory!");
}

TEST_F(ShortcutsTest, APressWithoutTheScriptInstallsItAndCreatesWithoutAsking) {
    setOption(keys::kSkipFilename, true);
    setOption(keys::kRunInBackground, true);
    setTemplates({withShortcut(text("untitled"), combo('n'))});
    scripts.outcome = work + "\n";
    auto& d = start();
    pressAndSettle("shortcut0");
    EXPECT_EQ(panels.openCount(), 0u);
    EXPECT_EQ(d.panelCount(), 0);
    EXPECT_TRUE(alerts.shown().empty());
    EXPECT_EQ(modeOf(scriptsDir + "/QuilletHelper.sh"), 0755);
    ASSERT_EQ(scripts.runs.size(), 1u);
    EXPECT_TRUE(exists(work + "/untitled.txt"));
}

TEST_F(ShortcutsTest, TheManualCommandAndTheDropRule) {
    EXPECT_EQ(helper::ScriptInstaller::commandString("/usr/share/quillet/helper/QuilletHelper.sh",
                                                     "/home/me/scripts"),
              "cp '/usr/share/quillet/helper/QuilletHelper.sh' '/home/me/scripts/'");
    // A quote in a path is shown as it is; the user quotes it otherwise.
    EXPECT_EQ(helper::ScriptInstaller::commandString("/opt/it's/QuilletHelper.sh", "/d"),
              "cp '/opt/it's/QuilletHelper.sh' '/d/'");
    EXPECT_TRUE(helper::ScriptInstaller::isDropIntoFolder("/d/QuilletHelper.sh", "/d"));
    EXPECT_FALSE(
        helper::ScriptInstaller::isDropIntoFolder("/home/me/Desktop/QuilletHelper.sh", "/d"));
}

} // namespace
} // namespace quillet::test
