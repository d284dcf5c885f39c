// A built file-manager module, loaded as its file manager loads it (the
// driver, see module_driver.h), asked for menus over real folders, with its
// requests going over a private session bus. The same cases run against every
// module.
#include "fake_helper.h"
#include "harness_file_info.h"
#include "module_driver.h"
#include "session_bus.h"
#include "spin_main_context.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/request_url.h"
#include "shared/settings_store.h"
#include "shared/xdg_paths.h"
#include "support/temp_xdg.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <memory>

namespace quillet::test {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Labels = std::vector<std::string>;

Value templateRecord(const std::string& title, const std::string& file, const std::string& prefix,
                     const std::string& suffix, bool enabled = true) {
    return FileTemplate{
        .enabled = enabled, .title = title, .filePath = file, .prefix = prefix, .suffix = suffix}
        .toValue();
}

// One home, one bus and one loaded module per process, as in the file
// manager: a dynamic type is registered by one module only.
struct Harness {
    TempXdg xdg;
    std::string served = xdg.makeDir("served");
    std::string outside = xdg.makeDir("outside");
    std::string serviceDir = xdg.makeDir("services");
    std::unique_ptr<PrivateSessionBus> bus;
    // Why the module is not there to test, if it is not.
    std::string failure;
};

Harness* gHarness = nullptr;

// Whether every value reached the disk.
Status writeBaseSettings(SettingsStore& store) {
    std::string templates = paths::templatesDir();
    fs::create_directories(templates);
    std::ofstream(templates + "/untitled.md") << "# notes\n";
    std::ofstream(templates + "/untitled.txt") << "hello\n";
    std::ofstream(templates + "/script.sh") << "#!/bin/sh\n";
    Status written = store.setObject(
        keys::kFileTemplates,
        Value::Array{templateRecord("Markdown", templates + "/untitled.md", "notes", "md", false),
                     templateRecord("Text", templates + "/untitled.txt", "untitled", "txt"),
                     templateRecord("Script", templates + "/script.sh", "script", "sh")});
    if (written) {
        written = store.setObject(keys::kMonitoredPaths,
                                  Value::Array{Value::Dictionary{{keys::kPath, gHarness->served},
                                                                 {keys::kEnabled, true}}});
    }
    for (const char* key : {keys::kCascadeMenu, keys::kHideMenuForFiles, keys::kShowFileOnCreation,
                            keys::kOpenFileOnCreation, keys::kPlaySound, keys::kRunInBackground}) {
        if (written) {
            written = store.setBool(key, false);
        }
    }
    if (written) {
        written = store.setBool(keys::kSkipFilename, true);
    }
    if (written) {
        written = store.removeObjectForKey(keys::kLocalizedStrings);
    }
    return written;
}

// GLib's criticals (a library function refusing its arguments, say) since
// the last test; the file manager runs on past them, the tests do not.
std::vector<std::string> gCriticals;

GLogWriterOutput recordCriticals(GLogLevelFlags level, const GLogField* fields, gsize count,
                                 gpointer data) {
    if ((level & G_LOG_LEVEL_CRITICAL) != 0) {
        for (gsize i = 0; i < count; ++i) {
            if (g_strcmp0(fields[i].key, "MESSAGE") == 0) {
                gCriticals.emplace_back(static_cast<const char*>(fields[i].value));
            }
        }
    }
    return g_log_writer_default(level, fields, count, data);
}

// A failure here is told by every test: gtest would skip them all, quietly.
class HarnessEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        g_log_set_writer_func(recordCriticals, nullptr, nullptr);
        gHarness = new Harness();
#ifdef QUILLET_HELPER_SERVICE_FILE
        fs::copy_file(QUILLET_HELPER_SERVICE_FILE,
                      gHarness->serviceDir + "/" +
                          fs::path(QUILLET_HELPER_SERVICE_FILE).filename().string());
#endif
        gHarness->bus = std::make_unique<PrivateSessionBus>(gHarness->xdg.root() + "/bus",
                                                            gHarness->serviceDir);
        if (!gHarness->bus->running()) {
            gHarness->failure = "no private session bus";
            return;
        }
        // What the cases click on, besides the two folders above.
        fs::create_directories(gHarness->served + "/deep/er");
        fs::create_directories(gHarness->served + "/folder");
        fs::create_directories(gHarness->served + "2");
        for (const char* file : {"served/doc.txt", "served/other.txt", "outside/far.txt"}) {
            std::ofstream(gHarness->xdg.root() + "/" + file) << "x";
        }
        SettingsStore store(ids::kSuiteName);
        if (const Status written = writeBaseSettings(store); !written) {
            gHarness->failure = "settings not written: ";
            gHarness->failure += written.error().logText();
            return;
        }
        gHarness->failure = driver::loadModule();
    }

    void TearDown() override {
        driver::unloadModule();
        gHarness->bus->stopOwnerOf(ids::kHelper);
        delete gHarness;
        gHarness = nullptr;
    }
};

const auto* const gEnvironment = ::testing::AddGlobalTestEnvironment(new HarnessEnvironment);

void freeItems(GList* items) {
    g_list_free_full(items, g_object_unref);
}

struct Item {
    std::string name;
    std::string label;
    std::vector<Item> submenu;
    bool hasSubmenu = false;
};

// What the items show, read through the properties all file managers share;
// frees the list.
std::vector<Item> describe(GList* items) {
    std::vector<Item> out;
    for (GList* it = items; it != nullptr; it = it->next) {
        gchar* name = nullptr;
        gchar* label = nullptr;
        GObject* menu = nullptr;
        g_object_get(it->data, "name", &name, "label", &label, "menu", &menu, nullptr);
        Item item{name ? name : "", label ? label : "", {}, menu != nullptr};
        if (menu != nullptr) {
            item.submenu = describe(driver::submenuItems(menu));
            g_object_unref(menu);
        }
        g_free(name);
        g_free(label);
        out.push_back(std::move(item));
    }
    freeItems(items);
    return out;
}

Labels labels(const std::vector<Item>& items) {
    Labels out;
    for (const auto& item : items) {
        out.push_back(item.label);
    }
    return out;
}

// Chooses the entry with the given label of a list (top level or submenu),
// as the file manager does: the item's "activate" signal.
bool activate(GList* items, const std::string& label) {
    for (GList* it = items; it != nullptr; it = it->next) {
        gchar* own = nullptr;
        g_object_get(it->data, "label", &own, nullptr);
        bool match = own != nullptr && label == own;
        g_free(own);
        if (match) {
            g_signal_emit_by_name(it->data, "activate");
            return true;
        }
    }
    return false;
}

class ModuleTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (gHarness->failure.starts_with(driver::kUnavailable)) {
            GTEST_SKIP() << gHarness->failure;
        }
        ASSERT_EQ(gHarness->failure, "");
        ASSERT_TRUE(writeBaseSettings(store));
        provider = driver::newMenuProvider();
        ASSERT_NE(provider, nullptr);
        // An earlier test of this process may have changed the served folders.
        postRefresh(keys::kMonitoredPaths);
        ASSERT_TRUE(spinUntil(
            [&] {
                GList* items = backgroundItems(gHarness->served);
                freeItems(items);
                return items != nullptr;
            },
            5000ms));
    }

    void TearDown() override {
        g_clear_object(&provider);
        // Let replies and idle work of this test finish before the next one.
        spinUntil([] { return false; }, 50ms);
        EXPECT_EQ(gCriticals, std::vector<std::string>{}) << "GLib criticals";
        gCriticals.clear();
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

    // Items for a right click on the background of a folder (a path or a URI),
    // owned by the caller. The file manager knows the folder it shows is one.
    GList* backgroundItems(const std::string& folder) {
        GObject* info = folder.find("://") != std::string::npos ? newFileInfoForUri(folder, true)
                                                                : newFileInfoForPath(folder, true);
        GList* items = driver::backgroundItems(provider, info);
        g_object_unref(info);
        return items;
    }

    GList* fileItems(GList* files) {
        GList* items = driver::fileItems(provider, files);
        g_list_free_full(files, g_object_unref);
        return items;
    }

    GList* fileItems(const std::vector<std::string>& paths) {
        GList* files = nullptr;
        for (const auto& path : paths) {
            files = g_list_append(files, newFileInfoForPath(path));
        }
        return fileItems(files);
    }

    SettingsStore store{ids::kSuiteName};
    GObject* provider = nullptr;
};

TEST_F(ModuleTest, ProvidesMenusAndOwnsItsOwnBusName) {
    EXPECT_TRUE(g_type_is_a(G_OBJECT_TYPE(provider), driver::menuProviderInterface()));
    EXPECT_TRUE(
        spinUntil([] { return gHarness->bus->nameHasOwner(driver::extensionBusName()); }, 5000ms));
    // Each file manager's module has a name of its own, so that two file
    // managers of one session both serve.
    for (const char* name : {ids::kExtension, ids::kExtensionNemo, ids::kExtensionCaja,
                             ids::kExtensionThunar, ids::kExtensionDolphin}) {
        if (std::string(name) != driver::extensionBusName()) {
            EXPECT_FALSE(gHarness->bus->nameHasOwner(name)) << name;
        }
    }
}

TEST_F(ModuleTest, EntriesGetTheirIconsOnceTheIconCacheIsBuilt) {
    // showFileIcon comes from the registered defaults found beside the
    // module; the icon names arrive once the cache is built.
    EXPECT_TRUE(spinUntil(
        [&] {
            GList* list = backgroundItems(gHarness->served);
            gchar* icon = nullptr;
            g_object_get(list->data, "icon", &icon, nullptr);
            bool known = icon != nullptr && *icon != '\0';
            g_free(icon);
            freeItems(list);
            return known;
        },
        5000ms));
}

// A right click: on a folder's background, or on selected items; paths are
// below the test's home, or URIs.
struct Click {
    bool background;
    std::vector<std::string> targets;
};

struct MenuCase {
    const char* name;
    void (*tweak)(SettingsStore&); // over the base settings
    Click click;
    // The entries' labels, at the top level or under the cascade item when it
    // is named; no labels: no menu at all.
    Labels labels;
    const char* cascade = nullptr;
};

void noTweak(SettingsStore&) {}
void hideMenuForFiles(SettingsStore& store) {
    ASSERT_TRUE(store.setBool(keys::kHideMenuForFiles, true));
}

const Labels kEntries{"New Text", "New Script"};

const MenuCase kMenuCases[] = {
    {"ServedFolder", noTweak, {true, {"served"}}, kEntries},
    {"FolderDeepBelowAServedOne", noTweak, {true, {"served/deep/er"}}, kEntries},
    {"OutsideFolder", noTweak, {true, {"outside"}}, {}},
    {"SiblingWhoseNameExtendsAServedOne", noTweak, {true, {"served2"}}, {}},
    {"LocationThatIsNoFile", noTweak, {true, {"trash:///"}}, {}},
    {"CascadeUnderALocalizedNewFile",
     [](SettingsStore& store) {
         ASSERT_TRUE(store.setBool(keys::kCascadeMenu, true));
         ASSERT_TRUE(
             store.setObject(keys::kLocalizedStrings, Value::Dictionary{{"New File", "Fresh"}}));
     },
     {true, {"served"}},
     {"Text", "Script"},
     "Fresh"},
    {"OverriddenEntryFormat",
     [](SettingsStore& store) {
         ASSERT_TRUE(
             store.setObject(keys::kLocalizedStrings, Value::Dictionary{{"New %@", "Create %@"}}));
     },
     {true, {"served"}},
     {"Create Text", "Create Script"}},
    {"AFile", noTweak, {false, {"served/doc.txt"}}, kEntries},
    {"AFileWhenHiddenForFiles", hideMenuForFiles, {false, {"served/doc.txt"}}, {}},
    {"AFolderWhenHiddenForFiles", hideMenuForFiles, {false, {"served/folder"}}, kEntries},
    {"TwoFilesWhenHiddenForFiles",
     hideMenuForFiles,
     {false, {"served/doc.txt", "served/other.txt"}},
     kEntries},
    // Items of several folders: no single folder is acted in.
    {"ItemsFromTwoFolders", noTweak, {false, {"served/doc.txt", "outside/far.txt"}}, {}},
    {"AFileOutside", noTweak, {false, {"outside/far.txt"}}, {}},
    {"TemplatesThatAreNoArray",
     [](SettingsStore& store) {
         ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value("not an array")));
     },
     {true, {"served"}},
     {}},
    {"TemplatesThatAreJunk",
     [](SettingsStore& store) {
         ASSERT_TRUE(store.setObject(keys::kFileTemplates, Value::Array{Value(1), Value("x")}));
     },
     {true, {"served"}},
     {}},
    {"CorruptSettingsFile",
     [](SettingsStore&) {
         std::ofstream(paths::storeFile(ids::kSuiteName), std::ios::trunc) << "\x01 not json {";
     },
     {true, {"served"}},
     {}},
    {"CorruptSettingsFileOnItems",
     [](SettingsStore&) {
         std::ofstream(paths::storeFile(ids::kSuiteName), std::ios::trunc) << "\x01 not json {";
     },
     {false, {"served/folder"}},
     {}},
};

class MenuTest : public ModuleTest, public ::testing::WithParamInterface<MenuCase> {};

TEST_P(MenuTest, Offers) {
    const MenuCase& c = GetParam();
    ASSERT_NO_FATAL_FAILURE(c.tweak(store));
    GList* items = nullptr;
    if (c.click.background) {
        ASSERT_EQ(c.click.targets.size(), 1u);
        const std::string& target = c.click.targets[0];
        items = backgroundItems(
            target.find("://") != std::string::npos ? target : gHarness->xdg.root() + "/" + target);
    } else {
        std::vector<std::string> paths;
        for (const auto& target : c.click.targets) {
            paths.push_back(gHarness->xdg.root() + "/" + target);
        }
        items = fileItems(paths);
    }
    if (c.labels.empty()) {
        EXPECT_EQ(items, nullptr);
        freeItems(items);
        return;
    }
    auto described = describe(items);
    if (c.cascade != nullptr) {
        ASSERT_EQ(labels(described), Labels{c.cascade});
        EXPECT_EQ(described[0].name, "QuilletExtension::NewFile");
        ASSERT_TRUE(described[0].hasSubmenu);
        auto entries = std::move(described[0].submenu);
        described = std::move(entries);
    }
    EXPECT_EQ(labels(described), c.labels);
    for (const auto& item : described) {
        EXPECT_EQ(item.name.rfind("QuilletExtension::menuItemAction", 0), 0u) << item.name;
        EXPECT_FALSE(item.hasSubmenu) << item.label;
    }
}

INSTANTIATE_TEST_SUITE_P(Clicks, MenuTest, ::testing::ValuesIn(kMenuCases),
                         [](const auto& param) { return std::string(param.param.name); });

TEST_F(ModuleTest, WhetherAnItemIsAFolderIsTheFileManagersWord) {
    // The item stands for one on a hung mount: it is not on disk, so any look
    // at the disk (which would freeze the file manager) gives the wrong answer.
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    ASSERT_TRUE(store.setBool(keys::kHideMenuForFiles, true));
    const std::string away = gHarness->served + "/on-a-hung-mount";
    auto itemsFor = [&](bool isFolder) {
        return fileItems(g_list_append(nullptr, newFileInfoForPath(away, isFolder)));
    };
    EXPECT_EQ(itemsFor(false), nullptr) << "a single file: no menu";
    GList* items = itemsFor(true);
    ASSERT_NE(items, nullptr) << "a single folder: a menu";
    ASSERT_TRUE(activate(items, "New Text"));
    freeItems(items);
    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 1; }, 5000ms));
    auto request = parseRequestURL(helper.openedURIs()[0]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->folderPath, away) << "the new file goes into the selected folder";
}

TEST_F(ModuleTest, ChoosingAnEntrySendsTheRequestToTheHelper) {
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    std::string folder = gHarness->served + "/Ma Données";
    fs::create_directories(folder);

    GList* items = backgroundItems(gHarness->served);
    ASSERT_TRUE(activate(items, "New Script"));
    freeItems(items);

    // A single selected folder is where the file goes.
    items = fileItems({folder});
    ASSERT_TRUE(activate(items, "New Text"));
    freeItems(items);

    // Under the cascade item, as the file manager shows its submenu.
    ASSERT_TRUE(store.setBool(keys::kCascadeMenu, true));
    items = backgroundItems(gHarness->served);
    ASSERT_NE(items, nullptr);
    GObject* submenu = nullptr;
    g_object_get(items->data, "menu", &submenu, nullptr);
    ASSERT_NE(submenu, nullptr);
    GList* entries = driver::submenuItems(submenu);
    ASSERT_TRUE(activate(entries, "Text"));
    freeItems(entries);
    g_object_unref(submenu);
    freeItems(items);

    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 3; }, 5000ms));
    EXPECT_EQ(helper.openedURIs()[0], "quillet://" + gHarness->served + "?2");
    auto request = parseRequestURL(helper.openedURIs()[1]);
    ASSERT_TRUE(request);
    EXPECT_EQ(request->folderPath, folder);
    EXPECT_EQ(request->index, 1);
    EXPECT_NE(helper.openedURIs()[1].find("Ma%20Donn%C3%A9es?1"), std::string::npos);
    EXPECT_EQ(helper.openedURIs()[2], "quillet://" + gHarness->served + "?1");
}

TEST_F(ModuleTest, EntriesStillWorkAfterTheMenuIsGone) {
    // The file manager may drop its menu before the activation reaches us.
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    GList* items = backgroundItems(gHarness->served);
    ASSERT_NE(items, nullptr);
    GObject* entry = G_OBJECT(g_object_ref(items->data));
    freeItems(items);
    g_signal_emit_by_name(entry, "activate");
    g_object_unref(entry);
    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == 1; }, 5000ms));
}

// The entries of a click share their activation closures, a few entries
// each: every entry, in every share, still sends its own template, and a
// settings change written just before the click shows in it.
TEST_F(ModuleTest, EachEntryOfALongMenuSendsItsOwnTemplate) {
    FakeHelper helper(gHarness->bus->newConnection());
    ASSERT_TRUE(helper.ownsName());
    const std::string file = paths::templatesDir() + "/untitled.txt";
    Value::Array templates;
    for (int i = 0; i < 40; ++i) {
        templates.push_back(templateRecord("T" + std::to_string(i), file, "untitled", "txt"));
    }
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, templates));
    GList* items = backgroundItems(gHarness->served);
    ASSERT_EQ(g_list_length(items), 40u);
    const int chosen[] = {0, 15, 16, 17, 39};
    for (int index : chosen) {
        ASSERT_TRUE(activate(items, "New T" + std::to_string(index)));
    }
    freeItems(items);
    ASSERT_TRUE(spinUntil([&] { return helper.openedURIs().size() == std::size(chosen); }, 5000ms));
    for (std::size_t k = 0; k < std::size(chosen); ++k) {
        EXPECT_EQ(helper.openedURIs()[k],
                  "quillet://" + gHarness->served + "?" + std::to_string(chosen[k]));
    }
}

TEST_F(ModuleTest, RefreshNotificationOverTheBusServesNewFolders) {
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
    freeItems(items);
    EXPECT_EQ(backgroundItems(gHarness->served), nullptr);
}

TEST_F(ModuleTest, WithoutAHelperAChoiceIsDroppedQuietly) {
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
    freeItems(items);
    spinUntil([] { return false; }, 500ms);
    EXPECT_TRUE(fs::is_empty(folder));
}

#ifdef QUILLET_HELPER_SERVICE_FILE
TEST_F(ModuleTest, TheBusStartsTheHelperWhichCreatesTheFile) {
    std::string folder = gHarness->served + "/with space";
    fs::create_directories(folder);
    GList* items = backgroundItems(folder);
    ASSERT_TRUE(activate(items, "New Text"));
    freeItems(items);
    EXPECT_TRUE(spinUntil([&] { return fs::exists(folder + "/untitled.txt"); }, 20000ms));

    // A second choice does not replace the first file.
    items = backgroundItems(folder);
    ASSERT_TRUE(activate(items, "New Text"));
    freeItems(items);
    EXPECT_TRUE(spinUntil([&] { return fs::exists(folder + "/untitled-1.txt"); }, 20000ms));
    std::ifstream in(folder + "/untitled.txt");
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "hello\n");
}

// The day as the helper names it: the local date, ISO 8601.
std::string today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    ::localtime_r(&now, &local);
    char text[16];
    std::strftime(text, sizeof text, "%Y-%m-%d", &local);
    return text;
}

TEST_F(ModuleTest, ATemplateKeptForAProjectFillsInItsVariablesThereAndIsAbsentElsewhere) {
    const std::string project = gHarness->served + "/Project";
    const std::string other = gHarness->served + "2";
    fs::create_directories(project);
    const std::string file = paths::templatesDir() + "/Minutes {date}.md";
    std::ofstream(file) << "# Minutes of {folder}, {date}\n{{kept}} {unknown}\n";
    FileTemplate minutes{.enabled = true,
                         .title = "Minutes",
                         .filePath = file,
                         .prefix = "Minutes {date}",
                         .suffix = "md"};
    minutes.expandsVariables = true;
    minutes.limitedToPaths = {project};
    Value::Array templates = *store.arrayForKey(keys::kFileTemplates);
    templates.push_back(minutes.toValue());
    ASSERT_TRUE(store.setObject(keys::kFileTemplates, templates));
    ASSERT_TRUE(store.setObject(
        keys::kMonitoredPaths,
        Value::Array{Value::Dictionary{{keys::kPath, gHarness->served}, {keys::kEnabled, true}},
                     Value::Dictionary{{keys::kPath, other}, {keys::kEnabled, true}}}));
    postRefresh(keys::kMonitoredPaths);
    postRefresh(keys::kFileTemplates);
    ASSERT_TRUE(spinUntil(
        [&] {
            GList* items = backgroundItems(other);
            freeItems(items);
            return items != nullptr;
        },
        5000ms));

    const Labels elsewhere = labels(describe(backgroundItems(other)));
    EXPECT_EQ(elsewhere, kEntries);

    GList* items = backgroundItems(project);
    ASSERT_TRUE(activate(items, "New Minutes"));
    freeItems(items);
    const std::string created = project + "/Minutes " + today() + ".md";
    ASSERT_TRUE(spinUntil([&] { return fs::exists(created); }, 20000ms));
    std::ifstream in(created);
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(content, "# Minutes of Project, " + today() + "\n{kept} {unknown}\n");

    // The unique-name rule after the expansion.
    items = backgroundItems(project);
    ASSERT_TRUE(activate(items, "New Minutes"));
    freeItems(items);
    EXPECT_TRUE(
        spinUntil([&] { return fs::exists(project + "/Minutes " + today() + "-1.md"); }, 20000ms));
}
#endif

} // namespace
} // namespace quillet::test
