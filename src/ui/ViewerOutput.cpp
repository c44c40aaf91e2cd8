#include "ui/ViewerOutput.h"

#include <QAction>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProcess>

namespace zarn {

namespace {

QPointer<TViewerOutput>& Pane() {
    static QPointer<TViewerOutput> pane;
    return pane;
}

} // namespace

TViewerOutput* ViewerOutputPane() {
    return Pane().data();
}

QString ViewerExitMeaning(int exitCode) {
    // The viewer's own codes (its Main class lists them).
    switch (exitCode) {
    case 0:
        return "its windows were closed";
    case 2:
        return "it was started with wrong arguments";
    case 3:
        return "the preview page cannot be read";
    case 4:
        return "the page holds no applet";
    case 5:
        return "the applet's class cannot be found, is not a valid class file, or is not an applet";
    case 6:
        return "there is no display to show the applet on (or only the headless Java runtime is installed)";
    case 7:
        return "the applet failed in init or start, or blocked the viewer so that its window could not close";
    case 8:
        return "it cannot stay running for live preview here";
    case -1:
        return "it crashed or was stopped";
    default:
        return "Java itself failed";
    }
}

TViewerOutput::TViewerOutput(QWidget* parent) : QDockWidget("Viewer output", parent) {
    setObjectName("ViewerOutput");
    setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                QDockWidget::DockWidgetFloatable);
    Text = new QPlainTextEdit(this);
    Text->setObjectName("ViewerOutputText");
    Text->setReadOnly(true);
    Text->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    Text->setMaximumBlockCount(5000);
    setWidget(Text);
    toggleViewAction()->setObjectName("ViewViewerOutputItem");
    toggleViewAction()->setText("&Viewer output");
    // Brought back from the View menu the way it shows itself: docked again, at its modest height.
    connect(toggleViewAction(), &QAction::triggered, this, [this](bool on) {
        if (on)
            Reveal(true);
    });
    hide();
    Pane() = this;
}

TViewerOutput::~TViewerOutput() {
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect(this);
        if (process->state() == QProcess::NotRunning)
            continue;
        process->terminate();
        if (!process->waitForFinished(2000)) {
            process->kill();
            process->waitForFinished(1000);
        }
    }
}

bool TViewerOutput::Start(const QString& program, const QStringList& arguments) {
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    process->setStandardInputFile(QProcess::nullDevice());
    const QString page = arguments.isEmpty() ? QString() : QFileInfo(arguments.last()).fileName();
    connect(process, &QProcess::readyReadStandardOutput, this, [this, process] {
        Append(QString::fromLocal8Bit(process->readAllStandardOutput()));
        Reveal();
    });
    connect(process, &QProcess::finished, this,
            [this, process, page](int exitCode, QProcess::ExitStatus status) {
                const int code = status == QProcess::NormalExit ? exitCode : -1;
                Append(QString("The applet viewer for %1 ended with exit code %2: %3.\n")
                           .arg(page)
                           .arg(code)
                           .arg(ViewerExitMeaning(code)));
                if (code != 0)
                    Reveal();
                process->deleteLater();
                emit ViewerEnded(code);
            });
    process->start(program, arguments);
    if (!process->waitForStarted(10000)) {
        Append(
            QString("The applet viewer %1 could not be started: %2\n").arg(program, process->errorString()));
        delete process;
        Reveal();
        return false;
    }
    Append(QString("Started %1 %2\n").arg(program, arguments.join(' ')));
    return true;
}

void TViewerOutput::Report(const QString& text, bool reveal) {
    Append(text);
    if (reveal)
        Reveal();
}

void TViewerOutput::Append(const QString& text) {
    Text->moveCursor(QTextCursor::End);
    Text->insertPlainText(text);
    Text->moveCursor(QTextCursor::End);
}

void TViewerOutput::Reveal(bool opening) {
    auto* window = qobject_cast<QMainWindow*>(parentWidget());
    if (window && !isFloating() && window->dockWidgetArea(this) == Qt::NoDockWidgetArea)
        window->addDockWidget(Qt::BottomDockWidgetArea, this);
    opening = opening || !isVisible();
    show();
    raise();
    // A few lines of output, not half the window; a height the user chose while it is open stays.
    if (window && opening && !isFloating())
        window->resizeDocks({this}, {ModestHeight()}, Qt::Vertical);
}

int TViewerOutput::ModestHeight() const {
    const int lines = 8;
    return Text->fontMetrics().lineSpacing() * lines + 2 * Text->frameWidth() +
           (titleBarWidget() ? titleBarWidget()->height() : fontMetrics().height() + 8);
}

} // namespace zarn
