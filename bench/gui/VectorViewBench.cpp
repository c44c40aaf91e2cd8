// Add, Del and a move in the vector view: each should cost one element view and one layout pass,
// whatever the number of elements.

#include "model/KelmFile.h"
#include "model/ParamVector.h"
#include "profile/IniFile.h"
#include "views/Glyphs.h"
#include "views/ParamVectorView.h"
#include "views/ParamViews.h"

#include <QApplication>
#include <QScrollArea>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <memory>

namespace zarn {
namespace {

// A shown page holding one vector of `count` string elements.
class VectorPage {
public:
    explicit VectorPage(int count) {
        RegisterBaseParamView();
        RegisterScalarViews();
        RegisterVectorView();
        LoadGlyphs();
        const std::string path = dir_.filePath("doc.zrd").toStdString();
        {
            std::ofstream out(path, std::ios::binary);
            out << "[Applet Parameters]\r\nParam0=v\r\n[v parameter]\r\nClass=TAPParamVector\r\n"
                << "ValidTemplates=item*\r\nFieldCount=" << count << "\r\n";
            for (int i = 0; i < count; ++i)
                out << "[v." << i << " parameter]\r\nClass=TAPString\r\nTemplate=item\r\nValue=e" << i
                    << "\r\n";
            out << "[item template parameter]\r\nClass=TAPString\r\nValue=new\r\n";
        }
        ClearProfileCache();
        file_ = std::make_unique<TKelmFile>(path);
        params_ = file_->LoadParamList();
        scroll_.resize(600, 400);
        auto* panel = new QWidget;
        panel->resize(580, 0);
        view_ =
            static_cast<TAPVParamVector*>((*FindParamView((*params_)[0]))(panel, &(*params_)[0], nullptr));
        AppendView(view_, panel);
        ArrangeViews(panel);
        scroll_.setWidget(panel);
        scroll_.show();
        QApplication::processEvents();
    }

    TAPVParamVector& View() { return *view_; }
    int Count() const { return int(view_->Vector->Containers.size()); }

private:
    QTemporaryDir dir_;
    std::unique_ptr<TKelmFile> file_;
    std::unique_ptr<TAppletParamList> params_;
    QScrollArea scroll_;
    TAPVParamVector* view_ = nullptr;
};

// Every timed step includes the events it posts, so repaints of the visible part count too.
void VectorAdd(benchmark::State& state) {
    VectorPage page(int(state.range(0)));
    TAPVParamVector& view = page.View();
    for (auto _ : state) {
        view.RowGrid->SelectRow(page.Count() / 2);
        view.AddClick();
        QApplication::processEvents();
        state.PauseTiming();
        view.DelClick();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

void VectorDel(benchmark::State& state) {
    VectorPage page(int(state.range(0)));
    TAPVParamVector& view = page.View();
    for (auto _ : state) {
        view.RowGrid->SelectRow(page.Count() / 2);
        view.DelClick();
        QApplication::processEvents();
        state.PauseTiming();
        view.RowGrid->SelectRow(page.Count() / 2 - 1);
        view.AddClick();
        QApplication::processEvents();
        state.ResumeTiming();
    }
}

// The first element to the end and back: the longest move there is.
void VectorMove(benchmark::State& state) {
    VectorPage page(int(state.range(0)));
    TAPVParamVector& view = page.View();
    bool forth = true;
    for (auto _ : state) {
        const int last = page.Count() - 1;
        forth ? view.RowMoved(0, last) : view.RowMoved(last, 0);
        forth = !forth;
        QApplication::processEvents();
    }
}

BENCHMARK(VectorAdd)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorDel)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(VectorMove)->Arg(1)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

} // namespace
} // namespace zarn
