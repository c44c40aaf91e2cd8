// Compile, load and save of an applet tag with many parameters whose values refer to each other
// through macros: all three must grow linearly with the number of parameters.

#include "model/KelmFile.h"
#include "startup/CoreStartup.h"
#include "tag/AppletTag.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>

namespace zarn {
namespace {

namespace fs = std::filesystem;

// A template of `count` parameters of three kinds, in a private folder removed on exit. Every text
// value refers to a basic attribute and to the parameter before it, and carries an escape.
class TagFile {
public:
    explicit TagFile(int count) {
        RegisterStandardParamClasses();
        std::random_device rd;
        dir_ = fs::temp_directory_path() / ("zarn-bench-" + std::to_string(rd()) + std::to_string(rd()));
        fs::create_directories(dir_);
        path_ = (dir_ / "tag.zrt").string();
        std::ofstream out(path_, std::ios::binary);
        out << "[Applet Basic "
               "Parameters]\r\nCode=Bench.class\r\nWidth=400\r\nHeight=300\r\nCodeBase=D:\\java\\\r\n"
            << "TemplateFile=1\r\nAlternateText=$p0 at $WIDTH\r\nCopy=Bench.class a.gif\r\n"
            << "[Pages]\r\nPage0=Texts\r\nPage1=Numbers\r\n[Applet Parameters]\r\n";
        for (int i = 0; i < count; ++i)
            out << "Param" << i << "=p" << i << "\r\n";
        for (int i = 0; i < count; ++i) {
            out << "[p" << i << " parameter]\r\n";
            switch (i % 3) {
            case 0:
                out << "Class=TAPString\r\nValue=$WIDTHpx of $CODEBASE and $p" << (i > 0 ? i - 1 : 0)
                    << "\\tnext\r\n";
                break;
            case 1:
                out << "Class=TAPNumeric\r\nValue=" << i << "\r\nMin=0\r\nMax=1000000\r\n";
                break;
            default:
                out << "Class=TAPColor\r\nValue=#00" << (i % 90 + 10) << "FF\r\n";
                break;
            }
            out << "UFName=Parameter " << i << "\r\nPage=" << (i % 2) << "\r\n";
        }
        ClearProfileCache();
    }
    ~TagFile() {
        ClearProfileCache();
        std::error_code ec;
        fs::remove_all(dir_, ec);
    }
    const std::string& path() const { return path_; }
    std::string copy(const std::string& name) const {
        const fs::path target = dir_ / name;
        fs::copy_file(path_, target, fs::copy_options::overwrite_existing);
        return target.string();
    }

private:
    fs::path dir_;
    std::string path_;
};

void BM_TagCompile(benchmark::State& state) {
    TagFile file(int(state.range(0)));
    TJavaAppletTag tag;
    TKelmFile kelm(file.path());
    tag.Load(kelm);
    std::size_t size = 0;
    for (auto _ : state) {
        std::string block = tag.CompileToHTML(PurposeClipboard, "C:\\web\\");
        size = block.size();
        benchmark::DoNotOptimize(block);
    }
    state.counters["bytes"] = double(size);
    state.SetComplexityN(state.range(0));
}

void BM_TagLoad(benchmark::State& state) {
    TagFile file(int(state.range(0)));
    for (auto _ : state) {
        ClearProfileCache(); // read and parse anew, as when a document opens
        TJavaAppletTag tag;
        TKelmFile kelm(file.path());
        tag.Load(kelm);
        benchmark::DoNotOptimize(tag.ParamList);
    }
    state.SetComplexityN(state.range(0));
}

void BM_TagSave(benchmark::State& state) {
    TagFile file(int(state.range(0)));
    TJavaAppletTag tag;
    TKelmFile kelm(file.path());
    tag.Load(kelm);
    TKelmFile document(file.copy("doc.zrd"));
    for (auto _ : state)
        tag.Save(document);
    state.SetComplexityN(state.range(0));
}

BENCHMARK(BM_TagCompile)
    ->Arg(500)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_TagLoad)
    ->Arg(500)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_TagSave)
    ->Arg(500)
    ->Arg(5000)
    ->Arg(50000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oN);

} // namespace
} // namespace zarn
