// When the helper ends, and the notifications it reacts to.
#include "helper_fixture.h"

namespace quillet::test {
namespace {

using namespace std::chrono_literals;

class LifecycleTest : public HelperFixture {
protected:
    void SetUp() override {
        setTemplates({templateRecord("untitled", "txt", templatesDir + "/Text.txt")});
        setOption(keys::kSkipFilename, true);
    }

    void addShortcutTemplates() {
        Value::Dictionary combo{{keys::kShortcutKeyCode, 46}, {keys::kShortcutModifierFlags, 12}};
        Value a = templateRecord("a", "txt", templatesDir + "/Text.txt");
        Value b = templateRecord("b", "txt", templatesDir + "/Text.txt");
        Value c = templateRecord("c", "txt", templatesDir + "/Text.txt");
        b.asDictionary()->emplace(keys::kShortcut, Value(combo));
        combo[keys::kShortcutKeyCode] = 47;
        c.asDictionary()->emplace(keys::kShortcut, Value(combo));
        setTemplates({a, b, c});
    }
};

TEST_F(LifecycleTest, IdleHelperEndsElevenSecondsAfterLaunch) {
    start();
    queue.advance(10999ms);
    EXPECT_EQ(terminations, 0);
    queue.advance(1ms);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, WithoutAWatchTheExecutableIsCheckedAtEachRequest) {
    setOption(keys::kRunInBackground, true);
    events->subscribeError = std::make_error_code(std::errc::no_space_on_device);
    ::testing::internal::CaptureStderr();
    auto& d = start();
    const std::string said = ::testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find("cannot watch " + executable + " (No space left on device)"),
              std::string::npos)
        << said;
    d.handleURLEvent(url(work, "0"));
    EXPECT_EQ(terminations, 0);
    // A new version installed: the request is still served, then it ends.
    writeFile(executable + ".new", "new version", 0755);
    std::filesystem::rename(executable + ".new", executable);
    d.handleURLEvent(url(work, "0"));
    EXPECT_TRUE(exists(work + "/untitled-1.txt"));
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, RequestsBeforeLaunchAreServedAndLaunchBindsWatchesAndArmsAfter) {
    addShortcutTemplates();
    auto& d = start(false);
    d.handleURLEvent(url(work, "0"));
    // A templates change before launch binds nothing yet.
    notifications.deliver(ids::kSuiteName, keys::kFileTemplates);
    queue.runPending();
    EXPECT_TRUE(exists(work + "/a.txt"));
    EXPECT_EQ(shortcutOpenings, 0);
    EXPECT_TRUE(hotKeys.allHotKeys().empty());
    EXPECT_FALSE(volumes.hasHandlers());
    EXPECT_EQ(d.fileWatcher(), nullptr);
    d.applicationDidFinishLaunching();
    d.applicationDidFinishLaunching(); // once only
    EXPECT_EQ(shortcutOpenings, 1);
    EXPECT_EQ(hotKeys.allHotKeys().size(), 2u);
    EXPECT_TRUE(volumes.hasHandlers());
    ASSERT_NE(d.fileWatcher(), nullptr);
    EXPECT_EQ(d.fileWatcher()->numberOfWatchedPaths(), 1u);
    EXPECT_EQ(events->open.size(), 1u);
    // The request came first: only the post-request check ends it.
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, LaunchAfterTheStartEndsWhenTheExecutableChangedOrTheHelperEnded) {
    struct Case {
        const char* name;
        bool replaceExecutable;
        bool quitFirst;
        int terminations;
    };
    for (const Case& c : {Case{"unchanged", false, false, 0}, Case{"replaced", true, false, 1},
                          Case{"quit before launch", false, true, 1}}) {
        SCOPED_TRACE(c.name);
        terminations = 0;
        setOption(keys::kRunInBackground, true);
        addShortcutTemplates();
        writeFile(executable, "this version", 0755);
        auto& d = start(false);
        if (c.replaceExecutable) {
            writeFile(executable + ".new", "a newer version", 0755);
            std::filesystem::rename(executable + ".new", executable);
        }
        if (c.quitFirst) {
            notifications.deliver(ids::kHelper, ids::kQuitObject);
            queue.runPending();
        }
        const int registeredBefore = hotKeys.registerCalls;
        d.applicationDidFinishLaunching();
        EXPECT_EQ(terminations, c.terminations);
        // An ended helper binds and watches nothing.
        EXPECT_EQ(hotKeys.registerCalls == registeredBefore, c.quitFirst);
        EXPECT_EQ(d.fileWatcher() == nullptr, c.quitFirst);
        delegate.reset();
    }
}

TEST_F(LifecycleTest, RunInBackgroundKeepsItRunning) {
    setOption(keys::kRunInBackground, true);
    auto& d = start();
    d.handleURLEvent(url(work, "0"));
    queue.advance(60s);
    EXPECT_EQ(terminations, 0);
}

TEST_F(LifecycleTest, RegisteredDefaultsDecideWhenTheStoreHasNoValue) {
    writeDefaults(R"({"runInBackground": true, "skipFilename": true})");
    start();
    queue.advance(60s);
    EXPECT_EQ(terminations, 0);
}

TEST_F(LifecycleTest, ACorruptDefaultsResourceRegistersNothing) {
    writeDefaults("{ not json");
    start();
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, BoundShortcutsKeepItAfterLaunchButARequestStillEndsIt) {
    addShortcutTemplates();
    auto& d = start();
    queue.advance(20s);
    EXPECT_EQ(terminations, 0);
    d.handleURLEvent(url(work, "0"));
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, ARequestBeforeTheIdleCheckDisarmsIt) {
    auto& d = start();
    queue.advance(5s);
    setOption(keys::kRunInBackground, true);
    d.handleURLEvent(url(work, "0")); // arms nothing: runInBackground is on now
    queue.advance(30s);
    EXPECT_EQ(terminations, 0);
}

TEST_F(LifecycleTest, SwitchingRunInBackgroundOnDoesNotCancelAnArmedCheck) {
    start();
    setOption(keys::kRunInBackground, true);
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, ACountedAlertOpenWhenTheCheckFiresKeepsTheHelper) {
    setOption(keys::kRunInBackground, true);
    auto& d = start();
    setOption(keys::kRunInBackground, false);
    // The panel's delayed failure alert: counted until dismissed.
    d.raisePanelCount();
    alerts.onShow = [&](const FakeAlerts::Shown&) { queue.advance(11s); };
    d.handleURLEvent(url(work, "0"));
    d.showCountedAlertLater("Error creating file!", "Permission denied");
    queue.advance(300ms);
    EXPECT_EQ(d.panelCount(), 0);
    EXPECT_EQ(terminations, 0);
    alerts.onShow = nullptr;
    // No later check follows by itself...
    queue.advance(60s);
    EXPECT_EQ(terminations, 0);
    // ...until the next request.
    d.handleURLEvent(url(work, "0"));
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, TheRequestCheckCountsFromTheEndOfAModalPanel) {
    setOption(keys::kSkipFilename, false);
    withPanel = true;
    auto& d = start();
    queue.advance(1s);
    // The panel runs modally inside the request: time passes while it is open.
    d.raisePanelCount();
    std::chrono::milliseconds closedAt{};
    alerts.onShow = nullptr;
    d.handleURLEvent(url(work, "0"));
    ASSERT_EQ(panelRequests.size(), 1u);
    d.lowerPanelCount();
    closedAt = queue.now();
    queue.advance(10999ms);
    EXPECT_EQ(terminations, 0);
    queue.advance(1ms);
    EXPECT_EQ(terminations, 1);
    EXPECT_EQ(queue.now() - closedAt, 11000ms);
}

TEST_F(LifecycleTest, TheAuthorisationPanelKeepsTheHelperUntilItCloses) {
    auto& d = start();
    d.handleURLEvent(url(work, "0"));
    d.showAuthorizationPanel(work, templateRecord("untitled", "txt", templatesDir + "/Text.txt"));
    queue.advance(30s);
    EXPECT_EQ(terminations, 0);
    panels.cancel();
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, TheQuitNotificationEndsItAtOnceAndOthersAreIgnored) {
    setOption(keys::kRunInBackground, true);
    auto& d = start();
    notifications.deliver(ids::kSuiteName, keys::kMonitoredPaths);
    notifications.deliver(ids::kSuiteName, keys::kIncludeExternalDrives);
    notifications.deliver(ids::kHelper, "something");
    queue.runPending();
    EXPECT_EQ(terminations, 0);
    notifications.deliver(ids::kHelper, ids::kQuitObject);
    queue.runPending();
    EXPECT_EQ(terminations, 1);
    EXPECT_TRUE(d.isTerminating());
    // Tear-down: the watcher is emptied and detached, observers are gone.
    EXPECT_EQ(d.fileWatcher()->numberOfWatchedPaths(), 0u);
    EXPECT_EQ(d.fileWatcher()->delegate(), nullptr);
    EXPECT_EQ(notifications.observerCount(), 0u);
    // Ending twice ends once.
    d.terminate();
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, ATemplatesChangeRebindsAndArmsAnotherIdleCheck) {
    setOption(keys::kRunInBackground, true);
    auto& d = start();
    EXPECT_TRUE(hotKeys.allHotKeys().empty());
    addShortcutTemplates();
    setOption(keys::kRunInBackground, false);
    notifications.deliver(ids::kSuiteName, keys::kFileTemplates);
    queue.runPending();
    auto bound = hotKeys.allHotKeys();
    ASSERT_EQ(bound.size(), 2u);
    EXPECT_EQ(bound[0]->identifier, "shortcut1");
    EXPECT_EQ(bound[1]->identifier, "shortcut2");
    EXPECT_EQ(d.templates().size(), 3u);
    queue.advance(11s);
    EXPECT_EQ(terminations, 0); // shortcuts keep it

    setTemplates({});
    notifications.deliver(ids::kSuiteName, keys::kFileTemplates);
    queue.runPending();
    EXPECT_TRUE(hotKeys.allHotKeys().empty());
    queue.advance(11s);
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, APressedShortcutWhoseTemplateIsGoneSaysSo) {
    setOption(keys::kRunInBackground, true);
    addShortcutTemplates();
    installUserScript();
    start();
    setTemplates({templateRecord("only", "txt", templatesDir + "/Text.txt")});
    ASSERT_TRUE(hotKeys.pressIdentifier("shortcut2"));
    ASSERT_EQ(alerts.shown().size(), 1u);
    EXPECT_EQ(alerts.shown()[0].message, "No suitable file template found.");
}

TEST_F(LifecycleTest, AnyEventOnTheExecutableEndsTheHelper) {
    setOption(keys::kRunInBackground, true);
    auto& d = start();
    ASSERT_NE(d.fileWatcher(), nullptr);
    FileEventSource::Handle handle = -1;
    {
        std::lock_guard guard(events->mutex);
        ASSERT_EQ(events->open.size(), 1u);
        handle = events->open.begin()->first;
        EXPECT_EQ(events->open.begin()->second, executable);
        EXPECT_EQ(events->flags[handle], vnode::kDelete | vnode::kWrite | vnode::kRename);
    }
    FakeFileEventSource::push(*events, handle, vnode::kDelete);
    ASSERT_TRUE(queue.waitAndRunPending(5s));
    EXPECT_EQ(terminations, 1);
}

TEST_F(LifecycleTest, WithoutAKernelWatchTheHelperStillRuns) {
    setOption(keys::kRunInBackground, true);
    events->missing.insert(executable); // cannot be opened
    auto& d = start();
    ASSERT_NE(d.fileWatcher(), nullptr);
    EXPECT_EQ(d.fileWatcher()->numberOfWatchedPaths(), 0u);
    queue.advance(30s);
    EXPECT_EQ(terminations, 0);
}

TEST_F(LifecycleTest, OverridesApplyOnlyWhenNotEmpty) {
    ASSERT_TRUE(shared.setObject(keys::kLocalizedStrings,
                                 Value(Value::Dictionary{{"New %@", ""}, {"Quillet", "Q"}})));
    auto& d = start();
    EXPECT_EQ(d.localizedStringForKey("New %@"), "New %@");
    EXPECT_EQ(d.localizedStringForKey("Quillet"), "Q");
}

} // namespace
} // namespace quillet::test
