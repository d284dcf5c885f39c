// The desktops' lists of custom shortcuts, written through the real
// services on the test's private bus: dconf for the GSettings desktops,
// xfconfd for Xfce. The user's own entry is there first and must survive.
#include "platform/linux/gsettings_shortcut_registry.h"
#include "platform/linux/xfconf_shortcut_registry.h"
#include "shared/desktop_shortcuts.h"
#include "shared/keys.h"
#include "tests/support/temp_xdg.h"

#include <gio/gio.h>
#include <gtest/gtest.h>

#include <algorithm>

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
    for (const char* name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME"}) {
        g_variant_builder_add(&env, "{ss}", name, g_getenv(name));
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

} // namespace
} // namespace quillet
