// One helper delegate wired to fakes, in a temporary home, on a virtual clock.
#pragma once

#include "fake_file_event_source.h"
#include "fake_panels.h"
#include "fake_script_runner.h"
#include "fakes.h"
#include "helper/core/app/app_delegate.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/request_url.h"
#include "temp_xdg.h"
#include "template_record.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace quillet::test {

// The order in which the desktop was asked to do things.
struct StepLog {
    std::vector<std::string> steps;
};

class LoggingWorkspace final : public Workspace {
public:
    explicit LoggingWorkspace(StepLog& log) : log_(log) {}
    Status openURL(const std::string& url) override { return record("openURL " + url); }
    Status openFile(const std::string& path) override { return record("open " + path); }
    Status revealItems(const std::vector<std::string>& paths,
                       const std::string& fileManager) override {
        return record("reveal " + (paths.empty() ? std::string() : paths.front()) +
                      (fileManager.empty() ? "" : " in " + fileManager));
    }
    Status moveToTrash(const std::string& path) override { return record("trash " + path); }
    Status launchProgram(const std::string& path, const std::vector<std::string>&) override {
        return record("launch " + path);
    }
    bool isProgramRunning(const std::string&) const override { return false; }
    std::vector<AssociatedApp> applicationsForFile(const std::string&) const override { return {}; }
    Status openFileWithApplication(const std::string& path, const std::string& app) override {
        return record("open " + path + " with " + app);
    }

private:
    Status record(const std::string& step) {
        log_.steps.push_back(step);
        return {};
    }
    StepLog& log_;
};

class LoggingSound final : public SoundPlayer {
public:
    explicit LoggingSound(StepLog& log) : log_(log) {}
    void play(const std::string& path) override { log_.steps.push_back("sound " + path); }

private:
    StepLog& log_;
};

class HelperFixture : public ::testing::Test {
protected:
    HelperFixture()
        : shared(ids::kSuiteName),
          privateDefaults(SettingsStore::atPath(xdg.configHome() + "/quillet/helper.json")),
          notifications(queue), volumes(queue), workspace(log), sound(log),
          events(std::make_shared<FakeFileEventState>()) {
        templatesDir = xdg.makeDir("data/quillet/Templates");
        desktop = xdg.makeDir("home/Desktop");
        work = xdg.makeDir("home/Work");
        writeFile(templatesDir + "/Text.txt", "hello\n", 0644);
        writeFile(templatesDir + "/Script.sh", "#!/bin/sh\n", 0755);
        executable = xdg.root() + "/quillet-helper";
        writeFile(executable, "binary", 0755);
        scriptsDir = xdg.dataHome() + "/quillet/scripts/org.quillet.QuilletHelper";
        scriptResource = xdg.makeDir("resources") + "/QuilletHelper.sh";
        writeFile(scriptResource, "#!/bin/sh\nexec /bin/sh \"$1\"\n", 0755);
    }

    ~HelperFixture() override { delegate.reset(); }

    static void writeFile(const std::string& path, const std::string& content, mode_t mode) {
        std::ofstream(path, std::ios::binary) << content;
        ::chmod(path.c_str(), mode);
    }
    static std::string readFile(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    static bool exists(const std::string& path) {
        struct stat st {};
        return ::lstat(path.c_str(), &st) == 0;
    }
    static mode_t modeOf(const std::string& path) {
        struct stat st {};
        ::stat(path.c_str(), &st);
        return st.st_mode & 07777;
    }

    void setTemplates(Value::Array records) {
        ASSERT_TRUE(shared.setObject(keys::kFileTemplates, Value(std::move(records))));
    }
    void setOption(const char* key, bool value) { ASSERT_TRUE(shared.setBool(key, value)); }
    // The user script in place, as after its installation.
    void installUserScript() {
        std::filesystem::create_directories(scriptsDir);
        writeFile(scriptsDir + "/QuilletHelper.sh", readFile(scriptResource), 0755);
    }

    // The defaults the shipped resource would give, written to a file the
    // delegate registers.
    void writeDefaults(const std::string& json) {
        defaultsFile = xdg.root() + "/Defaults.json";
        std::ofstream(defaultsFile) << json;
    }

    helper::AppDelegate& start(bool launch = true) {
        helper::HelperPorts ports{
            .sharedDefaults = shared,
            .privateDefaults = privateDefaults,
            .notifications = notifications,
            .mainQueue = queue,
            .alerts = alerts,
            .panels = panels,
            .workspace = workspace,
            .volumes = volumes,
            .sound = sound,
            .makeFileEventSource = [state = events]() -> std::unique_ptr<FileEventSource> {
                return std::make_unique<FakeFileEventSource>(state);
            },
            .translate = [](const std::string& text) { return text; },
            .terminate = [this] { ++terminations; },
            .showNewFilePanel = nullptr,
            .scriptRunner = &scripts,
            .runManualScriptInstallation =
                [this](const std::string& script, const std::string& destDir) {
                    manualWindows.emplace_back(script, destDir);
                    if (onManualWindow) {
                        onManualWindow(script, destDir);
                    }
                },
            .openShortcuts =
                [this] {
                    ++shortcutOpenings;
                    return helper::ShortcutPorts{hotKeys, shortcutRegistry};
                },
        };
        if (withPanel) {
            ports.showNewFilePanel = [this](helper::NewFilePanelHost& host,
                                            const std::string& folder, const Value& record) {
                panelRequests.emplace_back(folder, record);
                if (onPanel) {
                    onPanel(host, folder);
                }
            };
        }
        helper::HelperPaths paths{
            .defaultsFile = defaultsFile,
            .soundFile = "/resources/sound.wav",
            .executablePath = executable,
            .desktopDir = desktop,
            .homeDir = xdg.home(),
            .journalDir = xdg.root() + "/journal",
            .scriptsDir = scriptsDir,
            .scriptResource = scriptResource,
            .finderQuery = "/resources/get-finder-path",
        };
        delegate = std::make_unique<helper::AppDelegate>(ports, paths);
        if (launch) {
            delegate->applicationDidFinishLaunching();
        }
        return *delegate;
    }

    std::string url(const std::string& folder, const std::string& index) {
        return "quillet://" + percentEncodePath(folder) + "?" + index;
    }

    TempXdg xdg;
    std::string templatesDir, desktop, work, executable, defaultsFile;
    std::string scriptsDir, scriptResource;
    SettingsStore shared;
    SettingsStore privateDefaults;
    FakeMainQueue queue;
    FakeNotificationCenter notifications;
    FakeAlerts alerts;
    FakePanels panels;
    StepLog log;
    FakeVolumeMonitor volumes;
    FakeHotKeyCenter hotKeys;
    FakeScriptRunner scripts;
    std::vector<std::pair<std::string, std::string>> manualWindows;
    std::function<void(const std::string& script, const std::string& destDir)> onManualWindow;
    LoggingWorkspace workspace;
    LoggingSound sound;
    std::shared_ptr<FakeFileEventState> events;
    bool withPanel = false;
    std::vector<std::pair<std::string, Value>> panelRequests;
    // Runs while the panel is "shown", with the host it was given.
    std::function<void(helper::NewFilePanelHost&, const std::string& folder)> onPanel;
    int terminations = 0;
    std::unique_ptr<helper::AppDelegate> delegate;
    // The desktop's list of custom shortcuts, when a test gives one.
    ShortcutRegistry* shortcutRegistry = nullptr;
    int shortcutOpenings = 0;
};

} // namespace quillet::test
