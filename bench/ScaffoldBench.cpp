// "scaffold" on a large jar: 2,000 classes in about 6 MB, read, parsed and analysed as a whole.
#ifdef ZARN_ARCHIVES
#include "support/ClassBytes.h"
#include "support/TestJars.h"
#include "tag/Scaffold.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <random>
#include <string>

namespace {

std::string randomText(std::mt19937& random, std::size_t length) {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_$";
    std::string text(length, ' ');
    for (char& c : text)
        c = letters[random() % 64];
    return text;
}

// Every twentieth class is an applet and some others extend one; they ask getParameter for a few
// names. The rest print texts, and a few of them ask an applet too, as settings classes do. Random
// texts keep the jar near its real size when compressed.
std::string benchJar() {
    using zarn::test::TClassBuilder;
    const std::string path = (std::filesystem::temp_directory_path() / "zarn-bench-scaffold.jar").string();
    std::mt19937 random(7);
    std::vector<std::pair<std::string, std::string>> entries;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = "bench/p" + std::to_string(i % 40) + "/C" + std::to_string(i);
        const int base = i / 20 * 20;
        const bool applet = i % 20 == 0 || i % 3 == 0;
        const std::string superName =
            i % 20 == 0 ? "java/applet/Applet"
            : applet    ? "bench/p" + std::to_string(base % 40) + "/C" + std::to_string(base)
                        : "java/lang/Object";
        TClassBuilder builder(name, superName);
        const uint16_t getParameter =
            builder.Method("java/applet/Applet", "getParameter", "(Ljava/lang/String;)Ljava/lang/String;");
        const uint16_t println = builder.Method("java/io/PrintStream", "println", "(Ljava/lang/String;)V");
        for (int m = 0; m < 12; ++m) {
            std::vector<uint8_t> code;
            for (int k = 0; k < 4; ++k) {
                const bool asks = (applet && m < 2) || (!applet && i % 100 == 1 && m == 0);
                const std::string text = asks ? "param" + std::to_string(m * 4 + k) : randomText(random, 32);
                const auto piece = TClassBuilder::Join(
                    {{0x2a},
                     TClassBuilder::Ldc(builder.String(text)),
                     TClassBuilder::Invoke(asks ? getParameter : println),
                     asks ? std::vector<uint8_t>{0x4c, 0x2b, 0x57} : std::vector<uint8_t>{}});
                code.insert(code.end(), piece.begin(), piece.end());
            }
            builder.Utf8(randomText(random, 130));
            code.push_back(0xb1);
            builder.AddMethod("m" + std::to_string(m), "()V", code);
        }
        const std::vector<uint8_t> bytes = builder.Bytes();
        entries.emplace_back(name + ".class", std::string(bytes.begin(), bytes.end()));
    }
    zarn::test::WriteJarWith(path, entries);
    return path;
}

void BM_ScaffoldLargeJar(benchmark::State& state) {
    static const std::string jar = benchJar();
    std::size_t applets = 0;
    for (auto _ : state) {
        const zarn::TAppletSource source = zarn::ReadAppletSource(jar);
        applets = source.applets.size();
        benchmark::DoNotOptimize(applets);
    }
    state.counters["jar_bytes"] = double(std::filesystem::file_size(jar));
    state.counters["applets"] = double(applets);
}
BENCHMARK(BM_ScaffoldLargeJar)->Unit(benchmark::kMillisecond);

} // namespace
#endif
