// The desktops' lists of custom shortcuts, written through the real
// services on the test's private bus: dconf for the GSettings desktops,
// xfconfd for Xfce, kglobalaccel5 for KDE. The user's own entry is there
// first and must survive.
#include "platform/linux/bus_application.h"
#include "platform/linux/gsettings_shortcut_registry.h"
#include "platform/linux/kglobalaccel_shortcut_registry.h"
#include "platform/linux/xfconf_shortcut_registry.h"
#include "shared/desktop_shortcuts.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "spin_main_context.h"
#include "tests/support/temp_xdg.h"
#include "x11_keys.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <filesystem>

namespace quillet {
namespace {

const char* kHelperPath = "/opt/q/bin/quillet-helper";

// Services the bus starts from now on (dconf-service, xfconfd) keep their
// files in the test's folders, not the user's.
void privateActivationEnvironment() {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    ASSERT_NE(bus, nullptr);
    GVariantBuilder env;
    g_variant_builder_init(&env, G_VARIANT_TYPE("a{ss}"));
    for (const char* name :
         {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "DISPLAY"}) {
        if (g_getenv(name) != nullptr) {
            g_variant_builder_add(&env, "{ss}", name, g_getenv(name));
        }
    }
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
        "UpdateActivationEnvironment", g_variant_new("(a{ss})", &env), nullptr,
        G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    ASSERT_NE(reply, nullptr);
    g_variant_unref(reply);
    g_object_unref(bus);
}

Value::Array templatesWithCtrlAltN() {
    Value shortcut(Value::Dictionary{{keys::kShortcutKeyCode, std::int64_t{'n'}},
                                     {keys::kShortcutModifierFlags, std::int64_t{12}}});
    return {Value(Value::Dictionary{
        {keys::kTitle, "Text"}, {keys::kEnabled, true}, {keys::kShortcut, shortcut}})};
}

std::vector<RegistryEntry> customEntries(ShortcutRegistry& registry) {
    auto entries = registry.entries();
    EXPECT_TRUE(entries) << entries.error().logText();
    std::vector<RegistryEntry> custom;
    for (const auto& entry : entries.valueOr(std::vector<RegistryEntry>{})) {
        if (!entry.builtIn) {
            custom.push_back(entry);
        }
    }
    return custom;
}

// Syncs the templates, then an empty list; the user's entries (and the
// desktop's defaults) stay through both, in their order where the registry
// keeps one, and the combination reads as taken by the user's entry.
void checkRoundTrip(ShortcutRegistry& registry, const RegistryEntry& user,
                    const RegistryEntry& expectedOurs, bool ordered) {
    ASSERT_TRUE(registry.apply({.added = {user}, .changed = {}, .removed = {}}));
    const auto before = customEntries(registry);
    ASSERT_TRUE(std::find(before.begin(), before.end(), user) != before.end());
    auto expected = before;
    expected.push_back(expectedOurs);
    auto byId = [](const RegistryEntry& a, const RegistryEntry& b) { return a.id < b.id; };
    ASSERT_TRUE(syncShortcutRegistry(registry, templatesWithCtrlAltN(), kHelperPath));
    auto after = customEntries(registry);
    if (!ordered) {
        std::sort(expected.begin(), expected.end(), byId);
        std::sort(after.begin(), after.end(), byId);
    }
    EXPECT_EQ(after, expected);

    RegistryHotKeyCenter center(registry);
    auto trial = std::make_shared<HotKey>();
    trial->keyCombo = Shortcut{'t', modifier::kControl | modifier::kAlt}.toDictionary();
    const Status taken = center.registerHotKey(trial);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().reason(), user.name.empty() ? user.command : user.name);

    ASSERT_TRUE(syncShortcutRegistry(registry, {}, kHelperPath));
    auto cleared = customEntries(registry);
    expected = before;
    if (!ordered) {
        std::sort(expected.begin(), expected.end(), byId);
        std::sort(cleared.begin(), cleared.end(), byId);
    }
    EXPECT_EQ(cleared, expected);
}

TEST(DesktopShortcutRegistryTest, GSettingsDesktopsKeepTheUsersEntries) {
    test::TempXdg xdg;
    privateActivationEnvironment();
    struct Case {
        ShortcutRegistryKind kind;
        const char* userId;
    };
    int tried = 0;
    for (const Case& c : {Case{ShortcutRegistryKind::Gnome, "custom0"},
                          Case{ShortcutRegistryKind::Cinnamon, "custom0"},
                          Case{ShortcutRegistryKind::Mate, "custom0"}}) {
        SCOPED_TRACE(registryDescription(c.kind));
        auto registry = platform::GSettingsShortcutRegistry::open(c.kind);
        if (!registry) {
            std::printf("skipped: %s\n", registry.error().reason().c_str());
            continue;
        }
        ++tried;
        // A second entry of the user's before ours: the order must stay.
        ASSERT_TRUE((*registry)->apply({.added = {{.id = "custom1",
                                                   .name = "Mail",
                                                   .command = "thunderbird",
                                                   .binding = "<Super>m"}},
                                        .changed = {},
                                        .removed = {}}));
        const RegistryEntry user{.id = c.userId,
                                 .name = "Terminal",
                                 .command = "x-terminal-emulator",
                                 .binding = "<Control><Alt>t"};
        checkRoundTrip(**registry, user,
                       {.id = "quillet-0",
                        .name = "Text",
                        .command = "'/opt/q/bin/quillet-helper' --shortcut 0",
                        .binding = "<Control><Alt>n"},
                       c.kind != ShortcutRegistryKind::Mate);
    }
    if (tried == 0) {
        GTEST_SKIP() << "no desktop's keyboard-settings schema is installed";
    }
}

TEST(DesktopShortcutRegistryTest, XfconfKeepsTheUsersEntries) {
    test::TempXdg xdg;
    privateActivationEnvironment();
    auto registry = platform::XfconfShortcutRegistry::open();
    if (!registry) {
        GTEST_SKIP() << registry.error().reason();
    }
    const RegistryEntry user{
        .id = "<Primary><Alt>t", .command = "xfce4-terminal", .binding = "<Primary><Alt>t"};
    checkRoundTrip(**registry, user,
                   {.id = "<Primary><Alt>n",
                    .command = "'/opt/q/bin/quillet-helper' --shortcut 0",
                    .binding = "<Primary><Alt>n"},
                   false);
}

// A call to KDE's daemon as another program makes it; the reply, or null.
GVariant* callKGlobalAccel(const char* method, GVariant* parameters) {
    GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
    GVariant* reply = g_dbus_connection_call_sync(
        bus, "org.kde.kglobalaccel", "/kglobalaccel", "org.kde.KGlobalAccel", method, parameters,
        nullptr, G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
    g_object_unref(bus);
    return reply;
}

// The daemon the bus started grabs keys on the shared display: it ends
// with the test, not with the bus.
struct StopKGlobalAccel {
    ~StopKGlobalAccel() {
        GDBusConnection* bus = g_bus_get_sync(G_BUS_TYPE_SESSION, nullptr, nullptr);
        GVariant* reply = g_dbus_connection_call_sync(
            bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
            "GetConnectionUnixProcessID", g_variant_new("(s)", "org.kde.kglobalaccel"),
            G_VARIANT_TYPE("(u)"), G_DBUS_CALL_FLAGS_NONE, -1, nullptr, nullptr);
        if (reply != nullptr) {
            guint32 pid = 0;
            g_variant_get(reply, "(u)", &pid);
            ::kill(static_cast<pid_t>(pid), SIGTERM);
            g_variant_unref(reply);
        }
        g_object_unref(bus);
    }
};

TEST(DesktopShortcutRegistryTest, KGlobalAccelActivatesTheHelperAndKeepsOthersShortcuts) {
    using namespace std::chrono_literals;
    if (!test::haveDisplay() || !std::filesystem::exists("/usr/bin/kglobalaccel5")) {
        GTEST_SKIP() << "needs an X display and kglobalaccel5";
    }
    test::TempXdg xdg;
    privateActivationEnvironment();
    auto registry = platform::KGlobalAccelShortcutRegistry::open();
    ASSERT_TRUE(registry) << registry.error().logText();
    StopKGlobalAccel stop;
    // Another program's action on Ctrl+Alt+T (Qt: Ctrl|Alt|'T').
    const char* kwin[] = {"kwin", "Window Close", "KWin", "Close Window", nullptr};
    const gint32 ctrlAltT[] = {0x0C000054};
    GVariant* registered = callKGlobalAccel("doRegister", g_variant_new("(^as)", kwin));
    ASSERT_NE(registered, nullptr);
    g_variant_unref(registered);
    GVariant* held = callKGlobalAccel(
        "setShortcut",
        g_variant_new("(^as@aiu)", kwin,
                      g_variant_new_fixed_array(G_VARIANT_TYPE_INT32, ctrlAltT, 1, sizeof(gint32)),
                      6u));
    ASSERT_NE(held, nullptr);
    g_variant_unref(held);

    ASSERT_TRUE(syncShortcutRegistry(**registry, templatesWithCtrlAltN(), kHelperPath));
    EXPECT_EQ(
        customEntries(**registry),
        (std::vector<RegistryEntry>{{.id = "quillet-0", .name = "Text", .binding = "201326670"}}));
    EXPECT_TRUE(std::filesystem::exists(platform::KGlobalAccelShortcutRegistry::desktopFilePath()));

    // The sheet's trial: taken by the other program, named as KDE shows it.
    RegistryHotKeyCenter center(**registry);
    auto trial = std::make_shared<HotKey>();
    trial->keyCombo = Shortcut{'t', modifier::kControl | modifier::kAlt}.toDictionary();
    const Status taken = center.registerHotKey(trial);
    ASSERT_FALSE(taken);
    EXPECT_EQ(taken.error().reason(), "KWin: Close Window");

    // A press reaches the helper's bus name as the entry's action.
    platform::BusApplication helper(ids::kHelper, true);
    ASSERT_TRUE(helper.registerOnBus());
    std::vector<std::string> actions;
    helper.setActionHandler([&actions](const std::string& name, std::optional<std::int32_t>) {
        actions.push_back(name);
    });
    ASSERT_EQ(test::pressKeys("ctrl+alt+n"), 0);
    EXPECT_TRUE(test::spinUntil([&] { return !actions.empty(); }, 10s));
    EXPECT_EQ(actions, std::vector<std::string>{"quillet-0"});

    // Removing ours leaves the other program's shortcut where it was.
    ASSERT_TRUE(syncShortcutRegistry(**registry, {}, kHelperPath));
    EXPECT_TRUE(customEntries(**registry).empty());
    ASSERT_TRUE((*registry)->removeLeftovers());
    EXPECT_FALSE(
        std::filesystem::exists(platform::KGlobalAccelShortcutRegistry::desktopFilePath()));
    GVariant* holder = callKGlobalAccel("action", g_variant_new("(i)", ctrlAltT[0]));
    ASSERT_NE(holder, nullptr);
    gsize count = 0;
    GVariant* actionId = g_variant_get_child_value(holder, 0);
    const gchar** names = g_variant_get_strv(actionId, &count);
    g_variant_unref(actionId);
    ASSERT_GE(count, 2u);
    EXPECT_STREQ(names[0], "kwin");
    EXPECT_STREQ(names[1], "Window Close");
    g_free(names);
    g_variant_unref(holder);
}

} // namespace
} // namespace quillet
