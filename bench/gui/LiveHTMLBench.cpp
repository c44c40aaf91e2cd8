// One update of the live HTML pane for a document of 2,000 parameters: the look at the block alone,
// and the whole update (look, text, highlighting, warnings) after an edit changed one value.

#include "model/ScalarParams.h"
#include "tag/AppletTag.h"
#include "tag/BlockCheck.h"
#include "ui/LiveHTMLPane.h"
#include "ui/Main.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

namespace zarn {
namespace {

// Text, number, switch and colour in turn; every tenth text refers to another value and every
// fiftieth to a name nobody defines; ten support files, half of them missing.
std::string LiveTemplate(const QTemporaryDir& dir, int params) {
    std::string text = "[Applet Basic Parameters]\r\nCode=Big.class\r\nTemplateFile=1\r\nCodeBase=" +
                       dir.path().toStdString() + "\r\nCopy=";
    for (int i = 0; i < 10; ++i)
        text += "f" + std::to_string(i) + ".gif ";
    text += "\r\n[Pages]\r\nPage0=One\r\n[Applet Parameters]\r\n";
    for (int i = 0; i < params; ++i)
        text += "Param" + std::to_string(i) + "=p" + std::to_string(i) + "\r\n";
    for (int i = 0; i < params; ++i) {
        text += "[p" + std::to_string(i) + " parameter]\r\n";
        switch (i % 4) {
        case 0:
            text += "Class=TAPString\r\nValue=" +
                    std::string(i % 200 == 0  ? "hello $nobody"
                                : i % 40 == 0 ? "see $p1 and $WIDTH"
                                              : "hello") +
                    "\r\n";
            break;
        case 1:
            text += "Class=TAPNumeric\r\nValue=5\r\nMin=0\r\nMax=99\r\n";
            break;
        case 2:
            text += "Class=TAPBoolean\r\nValue=1\r\nTrueText=yes\r\nFalseText=no\r\n";
            break;
        default:
            text += "Class=TAPColor\r\nValue=#102030\r\n";
            break;
        }
    }
    for (int i = 0; i < 5; ++i)
        std::ofstream(dir.filePath(QStringLiteral("f%1.gif").arg(i)).toStdString()) << "x";
    return text;
}

class LiveDocument {
public:
    LiveDocument() {
        RegisterBaseParamView();
        path_ = dir_.filePath(QStringLiteral("Live.zrt")).toStdString();
        std::ofstream(path_, std::ios::binary) << LiveTemplate(dir_, 2000);
        form_.show();
        form_.LoadDocument(path_);
        form_.LiveHTMLPane->show();
        form_.LiveHTMLPane->UpdateNow();
        QApplication::processEvents();
    }
    TMainForm& Form() { return form_; }
    // An edit as a view makes it: one text value changes.
    void Edit(int round) {
        auto& text = dynamic_cast<TAPString&>((*form_.ParamList)[4]);
        text.Value = round % 2 ? "typed" : "typed more";
    }

private:
    QTemporaryDir dir_;
    std::string path_;
    TMainForm form_;
};

void BM_LookAtBlock2000(benchmark::State& state) {
    LiveDocument document;
    int round = 0;
    for (auto _ : state) {
        document.Edit(++round);
        benchmark::DoNotOptimize(LookAtBlock(*document.Form().AppletTag));
    }
}
BENCHMARK(BM_LookAtBlock2000)->Unit(benchmark::kMillisecond);

void BM_LivePaneUpdate2000(benchmark::State& state) {
    LiveDocument document;
    int round = 0;
    for (auto _ : state) {
        document.Edit(++round);
        document.Form().LiveHTMLPane->UpdateNow();
    }
    state.counters["warnings"] = double(document.Form().LiveHTMLPane->Look().warnings.size());
}
BENCHMARK(BM_LivePaneUpdate2000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zarn
