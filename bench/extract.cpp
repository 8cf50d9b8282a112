// Extracting every icon group of a large module the way the extract command does: CountIcons,
// then ExtractIconGroup(path, 0, folder/i.ico, i) for i = 1 to the count, each call opening and
// numbering the module afresh. Each group holds a 16 × 16 and a 32 × 32 32-bit DIB and a
// 256 × 256 PNG of about 134 KB, about 140 KB in all, so 1,000 groups make a module of 140 MB.
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
#include "support/icon_builder.h"
#include "support/pe_builder.h"
#include "support/temp_dir.h"

namespace {

using namespace tavrin;
using namespace tavrin::testing;

struct LargeModule {
    TempDir dir;
    std::string path;
    std::filesystem::path outputs;
};

std::shared_ptr<const ByteBuffer> Dib32(std::int32_t size) {
    DibSpec spec;
    spec.width = size;
    spec.height = size;
    spec.bitCount = 32;
    return std::make_shared<const ByteBuffer>(BuildDibImage(spec));
}

// The module of that many groups, written once per process; the images' bytes are shared by
// every group, so building it takes little memory.
const LargeModule& ModuleOf(int groups) {
    static std::map<int, std::unique_ptr<LargeModule>> modules;
    auto& module = modules[groups];
    if (module) return *module;
    module = std::make_unique<LargeModule>();
    auto small = Dib32(16);
    auto medium = Dib32(32);
    PngSpec spec;
    spec.width = 256;
    spec.height = 256;
    spec.padding = 134 * 1024;
    auto large = std::make_shared<const ByteBuffer>(BuildPngImage(spec));

    PeBuilder builder(PeFormat::Pe32Plus);
    for (int i = 0; i < groups; ++i) {
        auto first = static_cast<std::uint16_t>(3 * i + 1);
        builder.AddShared(kResourceTypeIcon, first, small);
        builder.AddShared(kResourceTypeIcon, static_cast<std::uint16_t>(first + 1), medium);
        builder.AddShared(kResourceTypeIcon, static_cast<std::uint16_t>(first + 2), large);
    }
    for (int i = 0; i < groups; ++i) {
        auto first = static_cast<std::uint16_t>(3 * i + 1);
        builder.Add(kResourceTypeGroupIcon, static_cast<std::uint16_t>(i + 1),
                    BuildGroupDirectory(
                        {{.id = first, .width = 16, .height = 16},
                         {.id = static_cast<std::uint16_t>(first + 1), .width = 32, .height = 32},
                         {.id = static_cast<std::uint16_t>(first + 2)}}));
    }
    module->path = module->dir.File("icons.dll");
    module->outputs = module->dir.path() / "out";
    std::filesystem::create_directory(module->outputs);
    if (!builder.WriteTo(module->path)) std::abort();
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
