// The shared store and the unique-name search, each beside the floor the
// machine sets for it: one stat, one small-file read, one durable small write.
// The "floor_ns" and "x_floor" counters put every figure next to its floor.
#include "shared/files/unique_name.h"
#include "shared/records.h"
#include "shared/settings_store.h"
#include "support/temp_xdg.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::unique_ptr<quillet::test::TempXdg> sandbox;

std::string storePath() {
    return sandbox->root() + "/store/suite.json";
}

// A store as a real user has it: ten templates and the options.
void seedStore() {
    quillet::SettingsStore store = quillet::SettingsStore::atPath(storePath());
    quillet::Value::Array templates;
    for (int i = 0; i < 10; ++i) {
        quillet::FileTemplate t;
        t.enabled = true;
        t.title = "Template " + std::to_string(i);
        t.filePath =
            sandbox->dataHome() + "/quillet/Templates/Template " + std::to_string(i) + ".txt";
        t.prefix = "Untitled";
        t.suffix = "txt";
        templates.push_back(t.toValue());
    }
    for (const quillet::Status& seeded :
         {store.setObject("fileTemplates", templates), store.setBool("skipFilename", true),
          store.setBool("showFileOnCreation", true)}) {
        if (!seeded) {
            std::fprintf(stderr, "cannot seed the store: %s\n", seeded.error().logText().c_str());
            std::exit(1);
        }
    }
}

void statOnce() {
    struct stat st {};
    benchmark::DoNotOptimize(::stat(storePath().c_str(), &st));
}

void readOnce() {
    int fd = ::open(storePath().c_str(), O_RDONLY | O_CLOEXEC);
    char buffer[16384];
    benchmark::DoNotOptimize(::read(fd, buffer, sizeof buffer));
    ::close(fd);
}

void durableWriteOnce() {
    const std::string temp = sandbox->root() + "/store/floor.tmp";
    int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    benchmark::DoNotOptimize(::write(fd, "{\"k\": 1}\n", 9));
    ::fsync(fd);
    ::close(fd);
    ::rename(temp.c_str(), (sandbox->root() + "/store/floor.json").c_str());
}

template <typename F> double measureNs(F f, int rounds) {
    auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i) {
        f();
    }
    auto elapsed = std::chrono::steady_clock::now() - start;
    return std::chrono::duration<double, std::nano>(elapsed).count() / rounds;
}

// Puts a figure beside its floor, measured right after the benchmark's own
// loop so both see the same cache and disk state. perIterationNs is the
// benchmark's own time per iteration; per names how many floor operations one
// iteration is made of (the unique-name search tries 10,001 names).
template <typename F>
void besideFloor(benchmark::State& state, double perIterationNs, F floorOp, int floorRounds,
                 double per = 1) {
    measureNs(floorOp, floorRounds / 10 + 1); // warm up
    double floorNs = measureNs(floorOp, floorRounds);
    state.counters["floor_ns"] = floorNs;
    state.counters["x_floor"] = perIterationNs / (floorNs * per);
}

// Times the part of an iteration that matters, like PauseTiming does, so the
// ratio to the floor uses the same figure Google Benchmark prints.
class Stopwatch {
public:
    void start() { begin_ = std::chrono::steady_clock::now(); }
    void stop() { total_ += std::chrono::steady_clock::now() - begin_; }
    double perIterationNs(const benchmark::State& state) const {
        return std::chrono::duration<double, std::nano>(total_).count() /
               static_cast<double>(std::max<benchmark::IterationCount>(state.iterations(), 1));
    }

private:
    std::chrono::steady_clock::time_point begin_;
    std::chrono::steady_clock::duration total_{};
};

void BM_FloorStat(benchmark::State& state) {
    for (auto _ : state) {
        statOnce();
    }
}
BENCHMARK(BM_FloorStat)->UseRealTime();

void BM_FloorSmallFileRead(benchmark::State& state) {
    for (auto _ : state) {
        readOnce();
    }
}
BENCHMARK(BM_FloorSmallFileRead)->UseRealTime();

void BM_FloorDurableSmallWrite(benchmark::State& state) {
    for (auto _ : state) {
        durableWriteOnce();
    }
}
BENCHMARK(BM_FloorDurableSmallWrite)->UseRealTime();

// The common case: nobody wrote since the last read, so a read is one stat.
void BM_StoreReadUnchanged(benchmark::State& state) {
    quillet::SettingsStore store = quillet::SettingsStore::atPath(storePath());
    benchmark::DoNotOptimize(store.arrayForKey("fileTemplates"));
    Stopwatch watch;
    watch.start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(store.arrayForKey("fileTemplates"));
    }
    watch.stop();
    besideFloor(state, watch.perIterationNs(state), statOnce, 20000);
}
BENCHMARK(BM_StoreReadUnchanged)->UseRealTime();

// Another handle (another program) wrote: the reader re-reads and parses.
void BM_StoreReadAfterChange(benchmark::State& state) {
    quillet::SettingsStore reader = quillet::SettingsStore::atPath(storePath());
    quillet::SettingsStore writer = quillet::SettingsStore::atPath(storePath());
    std::int64_t n = 0;
    Stopwatch watch;
    for (auto _ : state) {
        state.PauseTiming();
        if (!writer.setInteger("counter", ++n)) {
            state.SkipWithError("write failed");
        }
        state.ResumeTiming();
        watch.start();
        benchmark::DoNotOptimize(reader.arrayForKey("fileTemplates"));
        watch.stop();
    }
    besideFloor(state, watch.perIterationNs(state), readOnce, 20000);
}
BENCHMARK(BM_StoreReadAfterChange)->UseRealTime();

// One setter: lock, re-read, write a temporary file, fsync, rename.
void BM_StoreWrite(benchmark::State& state) {
    quillet::SettingsStore store = quillet::SettingsStore::atPath(storePath());
    std::int64_t n = 0;
    Stopwatch watch;
    watch.start();
    for (auto _ : state) {
        if (!store.setInteger("counter", ++n)) {
            state.SkipWithError("write failed");
        }
    }
    watch.stop();
    besideFloor(state, watch.perIterationNs(state), durableWriteOnce, 200);
}
BENCHMARK(BM_StoreWrite)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The wanted name and 10,000 numbered names are taken.
void BM_UniqueNameWith10000Taken(benchmark::State& state) {
    const std::string dir = sandbox->makeDir("names");
    std::ofstream(dir + "/Untitled.txt");
    for (int n = 1; n <= 10000; ++n) {
        std::ofstream(dir + "/Untitled-" + std::to_string(n) + ".txt");
    }
    Stopwatch watch;
    watch.start();
    for (auto _ : state) {
        benchmark::DoNotOptimize(quillet::firstFreeName(dir + "/Untitled.txt"));
    }
    watch.stop();
    // x_floor here is the cost of one tried name over one stat.
    besideFloor(state, watch.perIterationNs(state), statOnce, 20000, 10001);
}
BENCHMARK(BM_UniqueNameWith10000Taken)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    sandbox = std::make_unique<quillet::test::TempXdg>();
    seedStore();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    sandbox.reset();
    return 0;
}
