// The profile store: N writes (in one update) and N reads, in one section or spread over many.
#include "profile/IniFile.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

std::string benchFile() {
    return (std::filesystem::temp_directory_path() / "zarn-bench-store.ini").string();
}

std::string sectionFor(int64_t i, bool spread) {
    return spread ? "Section" + std::to_string(i / 10) : "Section";
}

void writeKeys(zarn::TIniFile& ini, int64_t n, bool spread) {
    zarn::TIniUpdate update(ini);
    for (int64_t i = 0; i < n; ++i)
        ini.WriteString(sectionFor(i, spread), "Key" + std::to_string(i), "value " + std::to_string(i));
    update.Commit();
}

void BM_StoreWrite(benchmark::State& state) {
    const int64_t n = state.range(0);
    const bool spread = state.range(1) != 0;
    const std::string path = benchFile();
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(path);
        zarn::ClearProfileCache();
        zarn::TIniFile ini(path);
        state.ResumeTiming();
        writeKeys(ini, n, spread);
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

void BM_StoreRead(benchmark::State& state) {
    const int64_t n = state.range(0);
    const bool spread = state.range(1) != 0;
    const std::string path = benchFile();
    std::filesystem::remove(path);
    zarn::ClearProfileCache();
    zarn::TIniFile ini(path);
    writeKeys(ini, n, spread);
    zarn::ClearProfileCache(); // the first read parses the file
    for (auto _ : state) {
        std::size_t total = 0;
        for (int64_t i = 0; i < n; ++i)
            total += ini.ReadString(sectionFor(i, spread), "Key" + std::to_string(i), "").size();
        benchmark::DoNotOptimize(total);
    }
    state.SetComplexityN(n);
    state.SetItemsProcessed(state.iterations() * n);
}

} // namespace

BENCHMARK(BM_StoreWrite)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
BENCHMARK(BM_StoreRead)
    ->ArgsProduct({{1000, 10000, 100000}, {0, 1}})
    ->Unit(benchmark::kMillisecond)
    ->Complexity();
