// Uninstalling through the app: what Quillet wrote goes, what the user made
// (own shortcuts, a changed user script, an own script under our name, the
// templates) stays, and one failure does not stop the rest.
#include "app/core/in_memory_login_items.h"
#include "app/core/nautilus_script.h"
#include "app/core/uninstall.h"
#include "shared/identifiers.h"

#include "file_text.h"
#include "temp_xdg.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace quillet::app {
namespace {

namespace fs = std::filesystem;

class ListRegistry final : public ShortcutRegistry {
public:
    std::vector<RegistryEntry> held;
    bool leftoversRemoved = false;
    bool failWrites = false;
    ShortcutRegistryKind kind() const override { return ShortcutRegistryKind::Gnome; }
    Expected<std::vector<RegistryEntry>> entries() override { return held; }
    Status apply(const RegistryChanges& changes) override {
        if (failWrites) {
            return Error::withDetail("write", "", "read-only", std::errc::read_only_file_system);
        }
        std::erase_if(held, [&](const RegistryEntry& entry) {
            return std::find(changes.removed.begin(), changes.removed.end(), entry) !=
                   changes.removed.end();
        });
        return {};
    }
    Status removeLeftovers() override {
        leftoversRemoved = true;
        return {};
    }
};

TEST(UninstallTest, RemovesWhatQuilletWroteAndKeepsWhatTheUserMade) {
    const RegistryEntry users{.id = "custom0",
                              .name = "Terminal",
                              .command = "x-terminal-emulator",
                              .binding = "<Super>t"};
    const RegistryEntry ours{.id = "quillet-0",
                             .name = "Text",
                             .command = "'/opt/q/bin/quillet-helper' --shortcut 0",
                             .binding = "<Control><Alt>n"};
    struct Case {
        const char* what;
        bool scriptChanged;
        bool nautilusScriptIsUsers;
        bool registryFails;
    };
    for (const Case& c :
         {Case{"everything ours", false, false, false},
          Case{"the user changed the helper's script", true, false, false},
          Case{"a script of the user's under our Nautilus name", false, true, false},
          Case{"a registry that cannot be written", false, false, true}}) {
        SCOPED_TRACE(c.what);
        test::TempXdg xdg;
        const std::string shipped = xdg.dataHome() + "/shipped.sh";
        std::ofstream(shipped) << "#!/bin/sh\nexec \"$1\"\n";
        const std::string scriptsDir = xdg.dataHome() + "/quillet/scripts/" + ids::kHelper;
        fs::create_directories(scriptsDir);
        const std::string script = scriptsDir + "/" + ids::kHelperUserScript;
        fs::copy_file(shipped, script);
        if (c.scriptChanged) {
            std::ofstream(script, std::ios::app) << "# mine\n";
        }
        const std::string templates = xdg.dataHome() + "/quillet/Templates/Text.txt";
        fs::create_directories(fs::path(templates).parent_path());
        std::ofstream(templates) << "kept";
        if (c.nautilusScriptIsUsers) {
            fs::create_directories(fs::path(nautilusScriptPath()).parent_path());
            std::ofstream(nautilusScriptPath()) << "#!/bin/sh\necho mine\n";
        } else {
            ASSERT_TRUE(installNautilusScript("/opt/q/bin/quillet-share"));
        }
        ListRegistry registry;
        registry.held = {users, ours};
        registry.failWrites = c.registryFails;
        InMemoryLoginItems loginItems;
        ASSERT_TRUE(loginItems.setRegistered(ids::kLauncher, "/opt/q/bin/quillet-launcher", true));

        const auto failures = uninstall({.registries = {&registry},
                                         .loginItems = loginItems,
                                         .launcherPath = "/opt/q/bin/quillet-launcher",
                                         .helperScriptsDir = scriptsDir,
                                         .shippedUserScript = shipped});

        EXPECT_EQ(failures.size(), (c.scriptChanged || c.registryFails) ? 1u : 0u);
        EXPECT_EQ(registry.held,
                  c.registryFails ? (std::vector{users, ours}) : std::vector<RegistryEntry>{users});
        EXPECT_EQ(registry.leftoversRemoved, !c.registryFails);
        EXPECT_FALSE(loginItems.isRegistered(ids::kLauncher));
        EXPECT_EQ(fs::exists(script), c.scriptChanged);
        // The emptied scripts folders go with the script.
        EXPECT_EQ(fs::exists(xdg.dataHome() + "/quillet/scripts"), c.scriptChanged);
        EXPECT_EQ(fs::exists(nautilusScriptPath()), c.nautilusScriptIsUsers);
        EXPECT_EQ(test::fileText(templates), "kept");
    }
}

} // namespace
} // namespace quillet::app
