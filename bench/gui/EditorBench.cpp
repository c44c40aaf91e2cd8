// The editor's speed on the offscreen platform: a generated template of 2,000 and 8,000 parameters
// on 10 pages opened to a usable window, the program's start beside a bare window with a menu bar,
// and re-laying the visible page when the window is resized.
//
//   zarn_gui_bench [--runs N]     all figures (the start-up runs bin/zarn beside this program)
//   zarn_gui_bench --bare-window  the bare window of the start-up comparison

#include "tag/AppSettings.h"
#include "ui/Main.h"
#include "ui/Startup.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QMenuBar>
#include <QProcess>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

using namespace zarn;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Kinds that have a view of their own, in turn, so the pages look like real ones.
std::string GeneratedTemplate(int params, int pages) {
    std::string text = "[Applet Basic Parameters]\r\nCode=Big.class\r\nWidth=400\r\nHeight=300\r\n"
                       "TemplateFile=1\r\n[Pages]\r\n";
    for (int p = 0; p < pages; ++p)
        text += "Page" + std::to_string(p) + "=Page " + std::to_string(p + 1) + "\r\n";
    text += "[Applet Parameters]\r\n";
    for (int i = 0; i < params; ++i)
        text += "Param" + std::to_string(i) + "=p" + std::to_string(i) + "\r\n";
    for (int i = 0; i < params; ++i) {
        const std::string page = std::to_string(i * pages / params);
        text += "[p" + std::to_string(i) + " parameter]\r\n";
        switch (i % 4) {
        case 0:
            text += "Class=TAPString\r\nUFName=Text " + std::to_string(i) + "\r\nValue=hello\r\n";
            break;
        case 1:
            text += "Class=TAPNumeric\r\nUFName=Number " + std::to_string(i) +
                    "\r\nValue=5\r\nMin=0\r\nMax=99\r\n";
            break;
        case 2:
            text += "Class=TAPBoolean\r\nUFName=Switch " + std::to_string(i) + "\r\nValue=1\r\n";
            break;
        default:
            text += "Class=TAPColor\r\nUFName=Colour " + std::to_string(i) + "\r\nValue=#102030\r\n";
            break;
        }
        text += "Page=" + page + "\r\n";
    }
    return text;
}

std::string WriteTemplate(const QTemporaryDir& dir, int params, int pages) {
    const std::string path =
        dir.filePath(QStringLiteral("Big%1x%2.zrt").arg(params).arg(pages)).toStdString();
    std::ofstream(path, std::ios::binary) << GeneratedTemplate(params, pages);
    return path;
}

// Load plus page building until the window has drawn itself.
double OpenMs(TMainForm& form, const std::string& path) {
    form.ClearModified();
    QElapsedTimer clock;
    clock.start();
    form.LoadDocument(path);
    QCoreApplication::processEvents();
    return clock.nsecsElapsed() / 1e6;
}

double ResizeMs(TMainForm& form, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const int width = i % 2 ? 736 : 1000;
        QElapsedTimer clock;
        clock.start();
        form.resize(width, 600);
        QCoreApplication::processEvents();
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    return Median(times);
}

// Wall time of one program run from its start until it reports its window shown (the exit
// clean-up, which writes the settings, is not part of the start).
double RunMs(const QString& program, const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess process;
    process.setProcessEnvironment(environment);
    QElapsedTimer clock;
    clock.start();
    process.start(program, arguments);
    double shownMs = -1;
    while (process.waitForReadyRead(30000)) {
        if (process.canReadLine()) {
            shownMs = clock.nsecsElapsed() / 1e6;
            break;
        }
    }
    if (!process.waitForFinished(30000) || process.exitCode() != 0 || shownMs < 0)
        std::fprintf(stderr, "%s did not show its window and end cleanly\n", qPrintable(program));
    return shownMs;
}

int BareWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(736, 490);
    window.menuBar()->addMenu(QStringLiteral("&File"))->addAction(QStringLiteral("E&xit"));
    window.show();
    QTimer::singleShot(0, &app, [] {
        std::printf("bare window shown\n");
        QCoreApplication::quit();
    });
    return app.exec();
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    qputenv("XDG_RUNTIME_DIR", dir.path().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("config")).toLocal8Bit());
    int runs = 7;
    for (int i = 1; i < argc; ++i) {
        if (std::string(argv[i]) == "--bare-window")
            return BareWindow(argc, argv);
        if (std::string(argv[i]) == "--runs" && i + 1 < argc)
            runs = std::max(1, std::atoi(argv[++i]));
    }

    QApplication app(argc, argv);
    RegisterEverything();
    int status = 0;
    {
        TMainForm form;
        form.show();
        form.ShowStep({});
        QCoreApplication::processEvents();

        const std::string small = WriteTemplate(dir, 2000, 10);
        const std::string large = WriteTemplate(dir, 8000, 10);
        const std::string onePage = WriteTemplate(dir, 2000, 1);
        std::vector<double> smallTimes, largeTimes;
        for (int i = 0; i < runs; ++i) {
            smallTimes.push_back(OpenMs(form, small));
            largeTimes.push_back(OpenMs(form, large));
        }
        const double smallMs = Median(smallTimes);
        const double largeMs = Median(largeTimes);
        std::printf("open 2,000 parameters on 10 pages: %8.1f ms (limit 500)\n", smallMs);
        std::printf("open 8,000 parameters on 10 pages: %8.1f ms (%.2f times 2,000; limit 4.5)\n", largeMs,
                    largeMs / smallMs);
        status |= smallMs < 500 && largeMs / smallMs <= 4.5 ? 0 : 1;

        OpenMs(form, small);
        form.PC->setCurrentIndex(1);
        const double pageMs = ResizeMs(form, runs * 3);
        OpenMs(form, onePage);
        form.PC->setCurrentIndex(1);
        const double allMs = ResizeMs(form, runs * 3);
        std::printf("resize, 2,000 on 10 pages (200 views shown): %6.2f ms (limit 16)\n", pageMs);
        std::printf("resize, 2,000 views on the page shown:       %6.2f ms (limit 16)\n", allMs);
        status |= allMs < 16 ? 0 : 2;
    }

    const QString zarn = QCoreApplication::applicationDirPath() + QStringLiteral("/zarn");
    const QString sample = QStringLiteral(ZARN_BENCH_SAMPLE);
    if (QFile::exists(zarn)) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        std::vector<double> bare, editor, editorSample;
        // Side by side: the runs alternate so both see the same machine load.
        for (int i = 0; i < runs; ++i) {
            bare.push_back(RunMs(QCoreApplication::applicationFilePath(), {QStringLiteral("--bare-window")},
                                 environment));
            editor.push_back(RunMs(zarn, {QStringLiteral("--no-splash"), QStringLiteral("--quit-after-show")},
                                   environment));
            editorSample.push_back(
                RunMs(zarn, {QStringLiteral("--no-splash"), QStringLiteral("--quit-after-show"), sample},
                      environment));
        }
        const double bareMs = Median(bare);
        const double editorMs = Median(editor);
        std::printf("start, bare window with a menu bar:  %7.1f ms\n", bareMs);
        std::printf("start, zarn --no-splash:             %7.1f ms (%.2f times; limit 1.2)\n", editorMs,
                    editorMs / bareMs);
        std::printf("start, zarn --no-splash Ticker.zrt:  %7.1f ms (%.2f times)\n", Median(editorSample),
                    Median(editorSample) / bareMs);
        status |= editorMs / bareMs <= 1.2 ? 0 : 4;
    } else {
        std::printf("start-up: %s not built, skipped\n", qPrintable(zarn));
    }
    CleanUpEverything();
    return status;
}
