// Extracting every icon group of a large module (support/large_module.h) the way the extract
// command does: CountIcons, then ExtractIconGroup(path, 0, folder/i.ico, i) for i = 1 to the
// count, each call opening and numbering the module afresh.
//
// peak_rss_MB is the process's peak resident memory (ru_maxrss), building the module included;
// run one case per process (--benchmark_filter) to see each case's own peak.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "icons/extract.h"
#include "support/large_module.h"
#include "support/temp_dir.h"

namespace {

using namespace tavrin;
using namespace tavrin::testing;

struct LargeModule {
    TempDir dir;
    std::string path;
    std::filesystem::path outputs;
};

// The module of that many groups, written once per process.
const LargeModule& ModuleOf(int groups) {
    static std::map<int, std::unique_ptr<LargeModule>> modules;
    auto& module = modules[groups];
    if (module) return *module;
    module = std::make_unique<LargeModule>();
    module->path = module->dir.File("icons.dll");
    module->outputs = module->dir.path() / "out";
    std::filesystem::create_directory(module->outputs);
    if (!WriteLargeModule(module->path, groups)) std::abort();
    return *module;
}

void ReportPeakMemory(benchmark::State& state) {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_ExtractAllGroups(benchmark::State& state) {
    const LargeModule& module = ModuleOf(static_cast<int>(state.range(0)));
    std::vector<std::string> targets;
    for (int i = 1; i <= state.range(0); ++i) {
        targets.push_back((module.outputs / (std::to_string(i) + ".ico")).string());
    }
    std::int32_t extracted = 0;
    for (auto _ : state) {
        if (state.range(1) != 0) {
            state.PauseTiming();
            for (const std::string& target : targets) std::filesystem::remove(target);
            state.ResumeTiming();
        }
        std::int32_t count = CountIcons(module.path);
        for (std::int32_t i = 1; i <= count; ++i) {
            extracted += ExtractIconGroup(module.path, 0, targets[i - 1], i) > 0;
        }
    }
    if (extracted != state.range(0) * static_cast<std::int32_t>(state.iterations())) {
        state.SkipWithError("not every group was extracted");
    }
    state.counters["groups"] = static_cast<double>(state.range(0));
    state.counters["module_MB"] =
        static_cast<double>(std::filesystem::file_size(module.path)) / (1024.0 * 1024.0);
    ReportPeakMemory(state);
}
BENCHMARK(BM_ExtractAllGroups)
    ->ArgsProduct({{1000, 100}, {0, 1}})
    ->ArgNames({"groups", "fresh"})
    ->Unit(benchmark::kMillisecond);

void BM_CountIcons(benchmark::State& state) {
    const LargeModule& module = ModuleOf(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::int32_t count = CountIcons(module.path);
        if (count != state.range(0)) state.SkipWithError("wrong count");
        benchmark::DoNotOptimize(count);
    }
    ReportPeakMemory(state);
}
BENCHMARK(BM_CountIcons)->Arg(1000)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
