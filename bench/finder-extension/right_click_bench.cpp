// The cost of one right click on a folder's background: the module's
// get_background_items, store read included, for 20, 100 and 1000 templates,
// with the store unchanged since the last click and just rewritten.
//
// Floors measured in the same run: a stat of the store file, and building the
// very same file-manager menu items (same names, labels and icons, each with
// an activation handler carrying its own data) from strings prepared
// beforehand, which is the least any extension offering those entries pays.
// The goal for an unchanged store: a click within 1.1 times that floor.
#include "tests/finder-extension/modules/harness_file_info.h"
#include "tests/finder-extension/modules/harness_module.h"

#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"
#include "shared/settings_store.h"
#include "shared/xdg_paths.h"
#include "support/temp_xdg.h"

#include <benchmark/benchmark.h>
#include <nautilus-extension.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

using quillet::FileTemplate;
using quillet::SettingsStore;
using quillet::Value;
namespace keys = quillet::keys;

struct Setup {
    quillet::test::TempXdg xdg;
    std::string served = xdg.makeDir("served");
    SettingsStore store{quillet::ids::kSuiteName};
    GTypeModule* module = nullptr;
    NautilusMenuProvider* provider = nullptr;
    NautilusFileInfo* folder = nullptr;
    int templates = -1;
    int generation = 0;

    Setup() {
        Value::Dictionary location;
        location[keys::kPath] = served;
        location[keys::kEnabled] = true;
        Value::Array locations;
        locations.emplace_back(std::move(location));
        (void)store.setObject(keys::kMonitoredPaths, Value(std::move(locations)));
        module = quillet::test::newHarnessModule(QUILLET_NAUTILUS_MODULE_FILE, "nautilus");
        if (!g_type_module_use(module)) {
            std::abort();
        }
        auto types = quillet::test::harnessModuleTypes(module);
        provider = NAUTILUS_MENU_PROVIDER(g_object_new(types.at(0), nullptr));
        folder = NAUTILUS_FILE_INFO(quillet::test::newFileInfoForPath(served));
    }

    // Rewrites the store with `count` templates; a new generation makes the
    // file differ so that the next read must parse it again.
    void writeTemplates(int count) {
        Value::Array records;
        for (int i = 0; i < count; ++i) {
            std::string n = std::to_string(i);
            records.push_back(FileTemplate{.enabled = true,
                                           .title = "Template " + n,
                                           .filePath = "/templates/t" + n,
                                           .prefix = "untitled",
                                           .suffix = "s" + std::to_string(i % 20)}
                                  .toValue());
        }
        (void)store.setObject(keys::kFileTemplates, Value(std::move(records)));
        (void)store.setInteger("benchGeneration", ++generation);
        templates = count;
    }

    void click() {
        GList* items = nautilus_menu_provider_get_background_items(provider, folder);
        benchmark::DoNotOptimize(items);
        nautilus_menu_item_list_free(items);
    }
};

Setup& setup() {
    static auto* instance = new Setup();
    return *instance;
}

// What one click's items are made of, read back from the items the module built.
struct ItemText {
    std::string name;
    std::string label;
    std::string icon;
};

std::vector<ItemText> itemTexts(GList* items) {
    std::vector<ItemText> texts;
    for (GList* it = items; it != nullptr; it = it->next) {
        gchar* name = nullptr;
        gchar* label = nullptr;
        gchar* icon = nullptr;
        g_object_get(it->data, "name", &name, "label", &label, "icon", &icon, nullptr);
        texts.push_back({name ? name : "", label ? label : "", icon ? icon : ""});
        g_free(name);
        g_free(label);
        g_free(icon);
    }
    return texts;
}

struct FloorPayload {
    std::size_t index;
};

void onFloorActivate(NautilusMenuItem*, gpointer) {}

void freeFloorPayload(gpointer data, GClosure*) {
    delete static_cast<FloorPayload*>(data);
}

void BM_FloorBuildTheSameItems(benchmark::State& state) {
    Setup& s = setup();
    s.writeTemplates(static_cast<int>(state.range(0)));
    GList* built = nautilus_menu_provider_get_background_items(s.provider, s.folder);
    const std::vector<ItemText> texts = itemTexts(built);
    nautilus_menu_item_list_free(built);
    if (texts.size() != static_cast<std::size_t>(state.range(0))) {
        state.SkipWithError("the module did not offer one entry per template");
        return;
    }
    for (auto _ : state) {
        GList* items = nullptr;
        for (std::size_t i = 0; i < texts.size(); ++i) {
            const ItemText& text = texts[i];
            NautilusMenuItem* item =
                nautilus_menu_item_new(text.name.c_str(), text.label.c_str(), nullptr,
                                       text.icon.empty() ? nullptr : text.icon.c_str());
            g_signal_connect_data(item, "activate", G_CALLBACK(onFloorActivate),
                                  new FloorPayload{i}, freeFloorPayload, GConnectFlags(0));
            items = g_list_prepend(items, item);
        }
        items = g_list_reverse(items);
        benchmark::DoNotOptimize(items);
        nautilus_menu_item_list_free(items);
    }
    state.SetLabel(std::to_string(state.range(0)) + " templates");
}
BENCHMARK(BM_FloorBuildTheSameItems)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_StatOfTheStoreFile(benchmark::State& state) {
    std::string file = setup().store.filePath();
    struct stat info {};
    for (auto _ : state) {
        benchmark::DoNotOptimize(::stat(file.c_str(), &info));
    }
}
BENCHMARK(BM_StatOfTheStoreFile);

void BM_RightClickStoreUnchanged(benchmark::State& state) {
    Setup& s = setup();
    s.writeTemplates(static_cast<int>(state.range(0)));
    s.click(); // the first read after the write parses the file
    for (auto _ : state) {
        s.click();
    }
    state.SetLabel(std::to_string(state.range(0)) + " templates");
}
BENCHMARK(BM_RightClickStoreUnchanged)->Arg(20)->Arg(100)->Arg(1000)->Unit(benchmark::kMicrosecond);

void BM_RightClickStoreJustChanged(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state) {
        state.PauseTiming();
        s.writeTemplates(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        s.click();
    }
    state.SetLabel(std::to_string(state.range(0)) + " templates");
}
BENCHMARK(BM_RightClickStoreJustChanged)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
