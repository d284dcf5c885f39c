// Opening the panel icon's popover with 10,000 templates: from the call to the
// window shown with its visible rows drawn, the store read included, first
// open and reopen; and the process's memory across reloads of the list.
//
// Floor measured in the same run: the same popup window with a plain list of
// 10,000 text rows built from strings prepared beforehand and drawn, which
// is the least a list of that length costs Qt. Goals: an open within 100 ms,
// and no growth of memory from one reload to the next.
#include "app/ui/template_popover.h"

#include "app/app_services_fixture.h"
#include "shared/identifiers.h"
#include "shared/keys.h"
#include "shared/records.h"

#include <QApplication>
#include <QIcon>
#include <QListWidget>
#include <QVBoxLayout>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <unistd.h>

namespace {

using namespace quillet;

constexpr int kTemplates = 10000;

// Resident memory of this process, in bytes.
double residentBytes() {
    long pages = 0;
    long resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return static_cast<double>(resident) * static_cast<double>(::sysconf(_SC_PAGESIZE));
}

// Until every posted event and the paint of `window` have run.
void drawn(QWidget& window) {
    QCoreApplication::processEvents();
    window.repaint();
    QCoreApplication::processEvents();
}

struct Setup {
    test::AppServicesFixture f;

    Setup() {
        // A few file types among many templates, as a large collection has.
        const char* suffixes[] = {"txt", "md", "sh", "py", "html", "css", "json", "odt", "", "c"};
        std::ofstream(f.services.templatesDir + "/Text.txt") << "text\n";
        Value::Array records;
        for (int i = 0; i < kTemplates; ++i) {
            records.push_back(FileTemplate{.enabled = true,
                                           .title = "Template " + std::to_string(i),
                                           .filePath = f.services.templatesDir + "/Text.txt",
                                           .prefix = "untitled " + std::to_string(i),
                                           .suffix = suffixes[i % 10]}
                                  .toValue());
        }
        if (!SettingsStore(ids::kSuiteName).setObject(keys::kFileTemplates, Value(records))) {
            std::abort();
        }
        warmUpDisplay();
    }

    // The program's first window pays for the display connection, the fonts
    // and the icon theme; in the app its other windows have paid by the time
    // the popover opens, and the floor comes after it: neither is timed.
    static void warmUpDisplay() {
        QWidget window(nullptr, Qt::Popup);
        auto* layout = new QVBoxLayout(&window);
        auto* list = new QListWidget(&window);
        list->addItem(new QListWidgetItem(QIcon::fromTheme(QStringLiteral("text-x-generic")),
                                          QStringLiteral("Template")));
        layout->addWidget(list);
        window.show();
        drawn(window);
        window.close();
        QCoreApplication::processEvents();
    }
};

Setup& setup() {
    static Setup instance;
    return instance;
}

// Closed again outside the timing, so that the next open starts hidden.
void closeUntimed(benchmark::State& state, QWidget& window) {
    state.PauseTiming();
    window.close();
    QCoreApplication::processEvents();
    state.ResumeTiming();
}

void BM_PopoverFirstOpen(benchmark::State& state) {
    Setup& s = setup();
    for (auto _ : state) {
        app::PopoverViewController popover(s.f.services);
        popover.showNearPointer();
        drawn(popover);
        closeUntimed(state, popover);
    }
}
BENCHMARK(BM_PopoverFirstOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_PopoverReopen(benchmark::State& state) {
    Setup& s = setup();
    app::PopoverViewController popover(s.f.services);
    for (auto _ : state) {
        popover.showNearPointer();
        drawn(popover);
        closeUntimed(state, popover);
    }
}
BENCHMARK(BM_PopoverReopen)->Unit(benchmark::kMillisecond)->Iterations(10);

// The list rebuilt as when another program saves the templates; the counter
// is what the process grew by over the reloads after the first.
void BM_PopoverReloadMemory(benchmark::State& state) {
    Setup& s = setup();
    app::PopoverViewController popover(s.f.services);
    popover.showNearPointer();
    drawn(popover);
    double before = 0;
    int round = 0;
    for (auto _ : state) {
        // Each reload a changed list, so that it is really rebuilt.
        SettingsStore store(ids::kSuiteName);
        Value::Array records = *store.arrayForKey(keys::kFileTemplates);
        records[0].asDictionary()->insert_or_assign(keys::kTitle, "Round " + std::to_string(round));
        (void)store.setObject(keys::kFileTemplates, Value(records));
        popover.loadTemplates();
        drawn(popover);
        if (++round == 2) {
            before = residentBytes();
        }
    }
    state.counters["growth_MB"] = (residentBytes() - before) / (1024.0 * 1024.0);
    state.counters["resident_MB"] = residentBytes() / (1024.0 * 1024.0);
}
BENCHMARK(BM_PopoverReloadMemory)->Unit(benchmark::kMillisecond)->Iterations(20);

void BM_FloorPlainListOpen(benchmark::State& state) {
    QStringList titles;
    for (int i = 0; i < kTemplates; ++i) {
        titles << QStringLiteral("Template %1").arg(i);
    }
    for (auto _ : state) {
        QWidget window(nullptr, Qt::Popup);
        auto* layout = new QVBoxLayout(&window);
        auto* list = new QListWidget(&window);
        list->setUniformItemSizes(true);
        list->addItems(titles);
        layout->addWidget(list);
        window.resize(280, 360);
        window.show();
        drawn(window);
        closeUntimed(state, window);
    }
}
BENCHMARK(BM_FloorPlainListOpen)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    // A display when there is one (xvfb-run), else drawn off screen.
    if (std::getenv("DISPLAY") == nullptr && std::getenv("WAYLAND_DISPLAY") == nullptr) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
