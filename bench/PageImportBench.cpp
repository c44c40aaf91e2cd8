// Reading a page and importing its block: both must grow linearly with the PARAMs of the block and
// with the attributes of its tag.

#ifdef ZARN_PAGE_IMPORT

#include "model/KelmFile.h"
#include "startup/CoreStartup.h"
#include "tag/AppletTag.h"
#include "tag/PageImport.h"

#include <benchmark/benchmark.h>

#include <string>

namespace zarn {
namespace {

std::string pageOfParams(int count) {
    // Slides of a standalone vector, each looked up by its name.
    std::string page = "<html><body><applet code=SlideShow.class width=300 height=20>";
    for (int i = 1; i <= count; ++i)
        page += "<param name=img" + std::to_string(i) + " value=\"s&amp;" + std::to_string(i) + ".gif\">";
    return page + "</applet>";
}

std::string pageOfAttributes(int count) {
    std::string page = "<html><body><applet code=Ticker.class";
    for (int i = 0; i < count; ++i)
        page += " a" + std::to_string(i) + "=" + std::to_string(i);
    return page + " width=300 height=20><param name=message value=hi></applet>";
}

void importPage(benchmark::State& state, const std::string& page, const char* templateName) {
    RegisterStandardParamClasses();
    for (auto _ : state) {
        const auto applets = ReadPageApplets(page);
        TJavaAppletTag tag;
        TKelmFile file(std::string(ZARN_TEMPLATES) + "/" + templateName);
        tag.Load(file);
        benchmark::DoNotOptimize(ImportApplet(tag, applets.at(0), "/srv/site/page.html"));
    }
    state.SetComplexityN(state.range(0));
}

void BM_ImportParams(benchmark::State& state) {
    importPage(state, pageOfParams(int(state.range(0))), "Vectors/SlideShow.zrt");
}
BENCHMARK(BM_ImportParams)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

void BM_ImportAttributes(benchmark::State& state) {
    importPage(state, pageOfAttributes(int(state.range(0))), "Text/Ticker.zrt");
}
BENCHMARK(BM_ImportAttributes)
    ->RangeMultiplier(10)
    ->Range(1000, 100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity();

} // namespace
} // namespace zarn

#endif
