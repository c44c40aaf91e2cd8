#include "ui/Startup.h"

#include "platform/JavaRuntime.h"
#include "startup/CoreStartup.h"
#include "tag/AppSettings.h"
#include "ui/About.h"
#include "ui/Main.h"
#include "ui/Splash.h"
#include "usage/ZarnUsage.h"
#include "views/Dialogs.h"
#include "views/Glyphs.h"
#include "views/PVVTemplateDlg.h"
#include "views/ParamVectorView.h"
#include "views/ParamViewList.h"
#include "views/ParamViews.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QProxyStyle>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace zarn {

namespace {

// An error that reaches the main loop is shown, and the loop goes on.
class TZarnApplication : public QApplication {
public:
    using QApplication::QApplication;

    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            ShowMainLoopError(error.what());
        } catch (...) {
            ShowMainLoopError("Unknown error");
        }
        return false;
    }
};

// Hints show 200 ms after the pointer comes to rest.
class TZarnStyle : public QProxyStyle {
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 200;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 32768;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

void ReportSettings(const std::string& message) {
    Dialogs().Questions().Warning(message);
}

// SIGTERM closes the program as cleanly as its Exit, without the save question nobody can answer.
int terminatePipe[2] = {-1, -1};

void OnTerminate(int) {
    const char byte = 1;
    [[maybe_unused]] ssize_t written = write(terminatePipe[1], &byte, 1);
}

} // namespace

TStartOptions ParseStartOptions(const QStringList& arguments) {
    TStartOptions options;
    for (const QString& argument : arguments) {
        if (argument == QLatin1String("--no-splash"))
            options.splash = false;
        else if (argument == QLatin1String("--quit-after-show"))
            options.quitAfterShow = true;
        else
            options.files << argument;
    }
    return options;
}

void RegisterEverything() {
    static bool done = false;
    if (done)
        return;
    done = true;
    OpenAppSettings(ReportSettings);
    if (SettingsStore* store = AppSettingsStore())
        ChooseZarnViewerWhenFresh(AppSettings, *store, [] { return ZarnViewerLaunch().problem.empty(); });
    RegisterStandardParamClasses();
    RegisterBaseParamView();
    LoadGlyphs();
    RegisterScalarViews();
    // Then the temporary-file list and the vector view.
    TempFiles();
    RegisterVectorView();
}

void CleanUpEverything() {
    TempFiles().CleanUp();
    ReleaseGlyphs();
    ReleaseViewRegistry();
    CloseAppSettings(ReportSettings);
}

int RunZarn(int& argc, char** argv) {
    // Answered before Qt starts, so they work without a display.
    for (int i = 1; i < argc; ++i) {
        const std::string argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            const std::string text = argument == "--version" ? usage::VersionText(usage::ZarnUsage())
                                                             : usage::HelpText(usage::ZarnUsage());
            return std::fputs(text.c_str(), stdout) >= 0 && std::fflush(stdout) == 0 ? 0 : 1;
        }
    }
    TZarnApplication app(argc, argv);
    QApplication::setStyle(new TZarnStyle);
    const TStartOptions options = ParseStartOptions(app.arguments().mid(1));
    RegisterEverything();

    TSplashForm* splash = options.splash ? new TSplashForm : nullptr;
    if (splash)
        QCoreApplication::processEvents();
    SetApplicationTitle(QStringLiteral("ZARN"));

    int status = 0;
    {
        TMainForm mainForm;
        CreatePVVTemplates(&mainForm);
        mainForm.AboutBox = new TAboutBox(&mainForm);

        if (splash) {
            while (splash->isVisible())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
            delete splash;
        }
        QApplication::setWindowIcon(mainForm.windowIcon());

        if (pipe(terminatePipe) == 0) {
            std::signal(SIGTERM, OnTerminate);
            auto* notifier = new QSocketNotifier(terminatePipe[0], QSocketNotifier::Read, &app);
            QObject::connect(notifier, &QSocketNotifier::activated, &app, [] { QCoreApplication::quit(); });
        }

        mainForm.show();
        mainForm.ShowStep(options.files);
        if (options.quitAfterShow) {
            QTimer::singleShot(0, &app, [&mainForm] {
                std::printf("ZARN main window shown: %s\n", mainForm.windowTitle().toUtf8().constData());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        status = app.exec();
        std::signal(SIGTERM, SIG_DFL);
    }
    CleanUpEverything();
    return status;
}

} // namespace zarn
