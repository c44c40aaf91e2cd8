// Load, compile and save of one parameter vector with many elements: all three must stay linear.

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "startup/CoreStartup.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace zarn {
namespace {

namespace fs = std::filesystem;

// A document with one vector of `count` string elements, in a private folder removed on exit.
class VectorFile {
public:
    VectorFile(int count, bool standalone) {
        RegisterStandardParamClasses();
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("zarn-bench-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_);
        path_ = (dir_ / "vector.zrd").string();
        std::ofstream out(path_, std::ios::binary);
        out << "[Applet Parameters]\r\nParam0=img\r\n[img parameter]\r\nClass=TAPParamVector\r\n"
            << "StandaloneFields=" << (standalone ? 1 : 0) << "\r\nFieldCount=" << count << "\r\n";
        for (int i = 0; i < count; ++i)
            out << "[img." << i << " parameter]\r\nClass=TAPString\r\nsubname=s" << i << "\r\nValue=picture"
                << i << ".gif\r\nUFName=Image\r\n";
        ClearProfileCache();
    }
    ~VectorFile() {
        ClearProfileCache();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const std::string& path() const { return path_; }

private:
    fs::path dir_;
    std::string path_;
};

void BM_VectorLoad(benchmark::State& state) {
    VectorFile file(int(state.range(0)), false);
    for (auto _ : state) {
        ClearProfileCache(); // the file is read and parsed anew, as when a document opens
        auto list = TKelmFile(file.path()).LoadParamList();
        benchmark::DoNotOptimize(list);
    }
    state.SetComplexityN(state.range(0));
}

void BM_VectorCompileJoined(benchmark::State& state) {
    VectorFile file(int(state.range(0)), false);
    auto list = TKelmFile(file.path()).LoadParamList();
    for (auto _ : state) {
        TStrings names, values;
        benchmark::DoNotOptimize((*list)[0].CompileParam("", 2, true, &names, &values));
    }
    state.SetComplexityN(state.range(0));
}

void BM_VectorCompileStandalone(benchmark::State& state) {
    VectorFile file(int(state.range(0)), true);
    auto list = TKelmFile(file.path()).LoadParamList();
    for (auto _ : state) {
        TStrings names, values;
        benchmark::DoNotOptimize((*list)[0].CompileParam("", 2, true, &names, &values));
    }
    state.SetComplexityN(state.range(0));
}

void BM_VectorSave(benchmark::State& state) {
    VectorFile file(int(state.range(0)), false);
    TKelmFile kelm(file.path());
    auto list = kelm.LoadParamList();
    for (auto _ : state)
        kelm.SaveParamList(*list);
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_VectorLoad)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(BM_VectorCompileJoined)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_VectorCompileStandalone)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_VectorSave)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace
} // namespace zarn
