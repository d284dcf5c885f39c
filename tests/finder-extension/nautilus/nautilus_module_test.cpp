// The built module, loaded as the file manager loads it, asked for menus over
// real folders, with its requests going over a private session bus.
#include "fake_helper.h"
#include "harness_file_info.h"
#include "harness_module.h"
#include "session_bus.h"
#include "spin_main_context.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/request_url.h"
#include "shared/settings_store.h"
#include "shared/xdg_paths.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>
#include <nautilus-extension.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

Value templateRecord(const std::string& title, const std::string& file, const std::string& prefix,
                     const std::string& suffix, bool enabled = true) {
    return Value::Dictionary{{keys::kEnabled, enabled}, {keys::kTitle, title},
                             {keys::kFilePath, file},   {keys::kPrefix, prefix},
                             {keys::kSuffix, suffix},   {keys::kExecutable, false}};
}

// One home, one bus and one loaded module per process, as in the file
// manager: a dynamic type is registered by one module only.
struct Harness {
    TempXdg xdg;
    std::string served = xdg.makeDir("served");
    std::string outside = xdg.makeDir("outside");
    std::string serviceDir = xdg.makeDir("services");
    std::unique_ptr<PrivateSessionBus> bus;
    GTypeModule* module = nullptr;
    GType providerType = 0;
};

Harness* gHarness = nullptr;

void writeBaseSettings(SettingsStore& store) {
    std::string templates = paths::templatesDir();
    fs::create_directories(templates);
    std::ofstream(templates + "/untitled.md") << "# notes\n";
    std::ofstream(templates + "/untitled.txt") << "hello\n";
    std::ofstream(templates + "/script.sh") << "#!/bin/sh\n";
    ASSERT_TRUE(store.setObject(
        keys::kFileTemplates,
        Value::Array{templateRecord("Markdown", templates + "/untitled.md", "notes", "md", false),
                     templateRecord("Text", templates + "/untitled.txt", "untitled", "txt"),
                     templateRecord("Script", templates + "/script.sh", "script", "sh")}));
    ASSERT_TRUE(store.setObject(
        keys::kMonitoredPaths,
        Value::Array{Value::Dictionary{{keys::kPath, gHarness->served}, {keys::kEnabled, true}}}));
    for (const char* key : {keys::kCascadeMenu, keys::kHideMenuForFiles, keys::kShowFileOnCreation,
                            keys::kOpenFileOnCreation, keys::kPlaySound, keys::kRunInBackground}) {
        ASSERT_TRUE(store.setBool(key, false));
    }
    ASSERT_TRUE(store.setBool(keys::kSkipFilename, true));
    ASSERT_TRUE(store.removeObjectForKey(keys::kLocalizedStrings));
}

class HarnessEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        gHarness = new Harness();
#ifdef QUILLET_HELPER_SERVICE_FILE
        fs::copy_file(QUILLET_HELPER_SERVICE_FILE,
                      gHarness->serviceDir + "/" +
                          fs::path(QUILLET_HELPER_SERVICE_FILE).filename().string());
#endif
        gHarness->bus = std::make_unique<PrivateSessionBus>(gHarness->xdg.root() + "/bus",
                                                            gHarness->serviceDir);
        ASSERT_TRUE(gHarness->bus->running());
        SettingsStore store(ids::kSuiteName);
        writeBaseSettings(store);

        gHarness->module = newHarnessModule(QUILLET_NAUTILUS_MODULE_FILE);
        ASSERT_TRUE(g_type_module_use(gHarness->module));
        auto types = harnessModuleTypes(gHarness->module);
        ASSERT_EQ(types.size(), 1u);
        gHarness->providerType = types[0];
    }

    void TearDown() override {
        if (gHarness->module != nullptr && gHarness->providerType != 0) {
            g_type_module_unuse(gHarness->module);
        }
        gHarness->bus->stopOwnerOf(ids::kHelper);
        delete gHarness;
        gHarness = nullptr;
    }
};

const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new HarnessEnvironment);

struct Item {
    std::string name;
    std::string label;
    std::vector<Item> submenu;
    bool hasSubmenu = false;
};

std::vector<Item> describe(GList* items) {
    std::vector<Item> out;
    for (GList* it = items; it != nullptr; it = it->next) {
        gchar* name = nullptr;
        gchar* label = nullptr;
        NautilusMenu* menu = nullptr;
        g_object_get(it->data, "name", &name, "label", &label, "menu", &menu, nullptr);
        Item item{name ? name : "", label ? label : "", {}, menu != nullptr};
        if (menu != nullptr) {
            GList* children = nautilus_menu_get_items(menu);
            item.submenu = describe(children);
            nautilus_menu_item_list_free(children);
            g_object_unref(menu);
        }
        g_free(name);
        g_free(label);
        out.push_back(std::move(item));
    }
    return out;
}

std::vector<std::string> labels(const std::vector<Item>& items) {
    std::vector<std::string> out;
    for (const auto& item : items) {
        out.push_back(item.label);
    }
    return out;
}

class NautilusModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(gHarness, nullptr);
        ASSERT_NE(gHarness->providerType, GType(0));
        writeBaseSettings(store);
        provider = NAUTILUS_MENU_PROVIDER(g_object_new(gHarness->providerType, nullptr));
        // An earlier test of this process may have changed the served folders.
        postRefresh(keys::kMonitoredPaths);
        ASSERT_TRUE(spinUntil(
            [&] {
                GList* items = backgroundItems(gHarness->served);
                nautilus_menu_item_list_free(items);
                return items != nullptr;
            },
            5000ms));
    }

    // The refresh notification as the main application sends it.
    static void postRefresh(const char* key) {
        GDBusConnection* other = gHarness->bus->newConnection();
        ASSERT_NE(other, nullptr);
        ASSERT_TRUE(g_dbus_connection_emit_signal(
            other, nullptr, ids::kNotificationsPath, ids::kNotificationsInterface,
            ids::kNotificationsSignal, g_variant_new("(ss)", ids::kSuiteName, key), nullptr));
        g_dbus_connection_flush_sync(other, nullptr, nullptr);
        g_dbus_connection_close_sync(other, nullptr, nullptr);
        g_object_unref(other);
    }

    void TearDown() override {
        g_clear_object(&provider);
        // Let replies and idle work of this test finish before the next one.
        spinUntil([] { return false; }, 50ms);
    }

    // Items for a right click on the folder's background, owned by the caller.
    GList* backgroundItems(const std::string& folder) {
        NautilusFileInfo* info = newFileInfoForPath(folder);
        GList* items = nautilus_menu_provider_get_background_items(provider, info);
        g_object_unref(info);
        return items;
    }

    GList* fileItems(const std::vector<std::string>& paths) {
        GList* files = nullptr;
        for (const auto& path : paths) {
            files = g_list_append(files, newFileInfoForPath(path));
        }
        GList* items = nautilus_menu_provider_get_file_items(provider, files);
        nautilus_file_info_list_free(files);
        return items;
    }

    std::vector<Item> describeAndFree(GList* items) {
        auto out = describe(items);
        nautilus_menu_item_list_free(items);
        return out;
    }

    // Activates the entry with the given label of a list (top level or submenu).
    static bool activate(GList* items, const std::string& label) {
        for (GList* it = items; it != nullptr; it = it->next) {
            gchar* own = nullptr;
            g_object_get(it->data, "label", &own, nullptr);
            bool match = own != nullptr && label == own;
            g_free(own);
            if (match) {
                nautilus_menu_item_activate(NAUTILUS_MENU_ITEM(it->data));
                return true;
            }
        }
        return false;
    }

    SettingsStore store{ids::kSuiteName};
    NautilusMenuProvider* provider = nullptr;
};

TEST_F(NautilusModuleTest, ProvidesMenusAndOwnsTheExtensionNameWhileLoaded) {
    EXPECT_TRUE(g_type_is_a(gHarness->providerType, NAUTILUS_TYPE_MENU_PROVIDER));
    EXPECT_TRUE(spinUntil([] { return gHarness->bus->nameHasOwner(ids::kExtension); }, 5000ms));
}

TEST_F(NautilusModuleTest, BackgroundMenuListsEnabledTemplatesInServedFoldersOnly) {
    auto items = describeAndFree(backgroundItems(gHarness->served));
    EXPECT_EQ(labels(items), (std::vector<std::string>{"New Text", "New Script"}));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[0].name, "QuilletExtension::menuItemAction1");
    EXPECT_FALSE(items[0].hasSubmenu);

    // showFileIcon comes from the registered defaults found beside the
    // module; the icon names arrive once the cache is built.
    EXPECT_TRUE(spinUntil(
        [&] {
            GList* list = backgroundItems(gHarness->served);
            gchar* icon = nullptr;
            g_object_get(list->data, "icon", &icon, nullptr);
            bool known = icon != nullptr && *icon != '\0';
            g_free(icon);
            nautilus_menu_item_list_free(list);
            return known;
        },
        5000ms));

    fs::create_directories(gHarness->served + "/deep/er");
    EXPECT_EQ(describeAndFree(backgroundItems(gHarness->served + "/deep/er")).size(), 2u);

    EXPECT_EQ(backgroundItems(gHarness->outside), nullptr);
    EXPECT_EQ(backgroundItems(gHarness->served + "2"), nullptr);

    NautilusFileInfo* trash = newFileInfoForUri("trash:///");
    EXPECT_EQ(nautilus_menu_provider_get_background_items(provider, trash), nullptr);
    g_object_unref(trash);
}

TEST_F(NautilusModuleTest, CascadeNestsTheEntriesUnderNewFile) {
    ASSERT_TRUE(store.setBool(keys::kCascadeMenu, true));
    ASSERT_TRUE(store.setObject(keys::kLocalizedStrings, Value::Dictionary{{"New File", "Fresh"}}));
    auto items = describeAndFree(backgroundItems(gHarness->served));
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].label, "Fresh");
    ASSERT_TRUE(items[0].hasSubmenu);
    EXPECT_EQ(labels(items[0].submenu), (std::vector<std::string>{"Text", "Script"}));
}

TEST_F(NautilusModuleTest, AnOverriddenEntryFormatRenamesTheNextMenu) {
    ASSERT_TRUE(store.setBool(keys::kCascadeMenu, false));
    ASSERT_TRUE(
        store.setObject(keys::kLocalizedStrings, Value::Dictionary{{"New %@", "Create %@"}}));
    EXPECT_EQ(labels(describeAndFree(backgroundItems(gHarness->served))),
              (std::vector<std::string>{"Create Text", "Create Script"}));
    ASSERT_TRUE(store.removeObjectForKey(keys::kLocalizedStrings));
    EXPECT_EQ(labels(describeAndFree(backgroundItems(gHarness->served))),
              (std::vector<std::string>{"New Text", "New Script"}));
}

TEST_F(NautilusModuleTest, FileMenuFollowsHideMenuForFiles) {
    std::string doc = gHarness->served + "/doc.txt";
    std::string other = gHarness->served + "/other.txt";
    std::string folder = gHarness->served + "/folder";
    std::ofstream(doc) << "x";
    std::ofstream(other) << "x";
    fs::create_directories(folder);
    std::ofstream(gHarness->outside + "/far.txt") << "x";

    EXPECT_EQ(describeAndFree(fileItems({doc})).size(), 2u);
    ASSERT_TRUE(store.setBool(keys::kHideMenuForFiles, true));
    EXPECT_EQ(fileItems({doc}), nullptr);
    EXPECT_EQ(describeAndFree(fileItems({folder})).size(), 2u);
    EXPECT_EQ(describeAndFree(fileItems({doc, other})).size(), 2u);
    // Items of several folders: no single folder is acted in.
    EXPECT_EQ(fileItems({doc, gHarness->outside + "/far.txt"}), nullptr);
    EXPECT_EQ(fileItems({gHarness->outside + "/far.txt"}), nullptr);
}

TEST_F(NautilusModuleTest, WhetherAnItemIsAFolderIsTheFileManagersWord) {
    // The item stands for one on a hung mount: it is not on disk, so any look
    // at the disk (which would freeze the file manager) gives the wrong answer.
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    ASSERT_TRUE(store.setBool(keys::kHideMenuForFiles, true));
    const std::string away = gHarness->served + "/on-a-hung-mount";
    auto itemsFor = [&](bool isFolder) {
        GList* files = g_list_append(nullptr, newFileInfoForPath(away, isFolder));
        GList* items = nautilus_menu_provider_get_file_items(provider, files);
        nautilus_file_info_list_free(files);
        return items;
    };
    EXPECT_EQ(itemsFor(false), nullptr) << "a single file: no menu";
    GList* items = itemsFor(true);
    ASSERT_NE(items, nullptr) << "a single folder: a menu";
    ASSERT_TRUE(activate(items, "New Text"));
    nautilus_menu_item_list_free(items);
    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 1; }, 5000ms));
    auto request = parseRequestURL(helper.openedURIs()[0]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->folderPath, away) << "the new file goes into the selected folder";
}

TEST_F(NautilusModuleTest, UnusableSettingsGiveNoEntriesAndNoCrash) {
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value("not an array")));
    EXPECT_EQ(backgroundItems(gHarness->served), nullptr);
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value::Array{Value(1), Value("x")}));
    EXPECT_EQ(backgroundItems(gHarness->served), nullptr);

    std::ofstream(paths::storeFile(ids::kSuiteName), std::ios::trunc) << "\x01 not json {";
    EXPECT_EQ(backgroundItems(gHarness->served), nullptr);
    EXPECT_EQ(fileItems({gHarness->served}), nullptr);
}

TEST_F(NautilusModuleTest, ChoosingAnEntrySendsTheRequestToTheHelper) {
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    std::string folder = gHarness->served + "/Ma Données";
    fs::create_directories(folder);

    GList* items = backgroundItems(gHarness->served);
    ASSERT_TRUE(activate(items, "New Script"));
    nautilus_menu_item_list_free(items);

    // A single selected folder is where the file goes.
    items = fileItems({folder});
    ASSERT_TRUE(activate(items, "New Text"));
    nautilus_menu_item_list_free(items);

    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 2; }, 5000ms));
    EXPECT_EQ(helper.openedURIs()[0], "quillet://" + gHarness->served + "?2");
    auto request = parseRequestURL(helper.openedURIs()[1]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->folderPath, folder);
    EXPECT_EQ(request->index, 1);
    EXPECT_NE(helper.openedURIs()[1].find("Ma%20Donn%C3%A9es?1"), std::string::npos);
}

TEST_F(NautilusModuleTest, EntriesStillWorkAfterTheMenuIsGone) {
    // The file manager may drop its menu before the activation reaches us.
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    GList* items = backgroundItems(gHarness->served);
    ASSERT_NE(items, nullptr);
    auto* entry = NAUTILUS_MENU_ITEM(g_object_ref(items->data));
    nautilus_menu_item_list_free(items);
    nautilus_menu_item_activate(entry);
    g_object_unref(entry);
    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 1; }, 5000ms));
}

TEST_F(NautilusModuleTest, RefreshNotificationOverTheBusServesNewFolders) {
    EXPECT_EQ(backgroundItems(gHarness->outside), nullptr);
    ASSERT_TRUE(store.setObject(
        keys::kMonitoredPaths,
        Value::Array{Value::Dictionary{{keys::kPath, gHarness->outside}, {keys::kEnabled, true}}}));
    postRefresh(keys::kMonitoredPaths);
    GList* items = nullptr;
    EXPECT_TRUE(spinUntil(
        [&] {
            items = backgroundItems(gHarness->outside);
            return items != nullptr;
        },
        5000ms));
    nautilus_menu_item_list_free(items);
    EXPECT_EQ(backgroundItems(gHarness->served), nullptr);
}

TEST_F(NautilusModuleTest, WithoutAHelperAChoiceIsDroppedQuietly) {
    // The bus forgets the helper's service file for this test.
    std::string parked = gHarness->xdg.root() + "/parked-services";
    fs::rename(gHarness->serviceDir, parked);
    fs::create_directories(gHarness->serviceDir);
    ASSERT_TRUE(gHarness->bus->reloadConfig());
    struct Restore {
        std::string parked;
        ~Restore() {
            fs::remove_all(gHarness->serviceDir);
            fs::rename(parked, gHarness->serviceDir);
            gHarness->bus->reloadConfig();
        }
    } restore{parked};
    gHarness->bus->stopOwnerOf(ids::kHelper);
    ASSERT_TRUE(spinUntil([] { return !gHarness->bus->nameHasOwner(ids::kHelper); }, 5000ms));
    std::string folder = gHarness->served + "/quiet";
    fs::create_directories(folder);
    GList* items = backgroundItems(folder);
    ASSERT_TRUE(activate(items, "New Text"));
    nautilus_menu_item_list_free(items);
    spinUntil([] { return false; }, 500ms);
    EXPECT_TRUE(fs::is_empty(folder));
}

#ifdef QUILLET_HELPER_SERVICE_FILE
TEST_F(NautilusModuleTest, TheBusStartsTheHelperWhichCreatesTheFile) {
    std::string folder = gHarness->served + "/with space";
    fs::create_directories(folder);
    GList* items = backgroundItems(folder);
    ASSERT_TRUE(activate(items, "New Text"));
    nautilus_menu_item_list_free(items);
    EXPECT_TRUE(spinUntil([&] { return fs::exists(folder + "/untitled.txt"); }, 20000ms));

    // A second choice does not replace the first file.
    items = backgroundItems(folder);
    ASSERT_TRUE(activate(items, "New Text"));
    nautilus_menu_item_list_free(items);
    EXPECT_TRUE(spinUntil([&] { return fs::exists(folder + "/untitled-1.txt"); }, 20000ms));
    std::ifstream in(folder + "/untitled.txt");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "hello\n");
}
#endif

} // namespace
} // namespace quillet::test
