#include "ui/LivePreview.h"

#include "tag/AppSettings.h"
#include "tag/Prompt.h"
#include "ui/ViewerOutput.h"

#include <QAction>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include <algorithm>
#include <exception>

namespace zarn {

namespace {

const QString AnswerPrefix = QStringLiteral("zarn-live: ");
// The viewer's exit code when it could only keep applets apart by starting again for each page.
const int ExitNoLive = 8;

// Warnings of a page sent after an edit go to the viewer's pane: a dialog at each pause in typing
// would be worse than the viewer's own report of the failure.
class TPanePrompt : public Prompt {
public:
    bool Confirm(const std::string& text) override { return Say(text), true; }
    bool ConfirmWarning(const std::string& text) override { return Say(text), true; }
    void Warning(const std::string& text) override { Say(text); }
    void Information(const std::string& text) override { Say(text); }
    void Message(const std::string& text) override { Say(text); }

private:
    static void Say(const std::string& text) {
        if (TViewerOutput* pane = ViewerOutputPane())
            pane->Report(QString::fromStdString(text) + '\n', false);
    }
};

QString Decoded(const std::string& bytes) {
    return QFile::decodeName(QByteArray::fromStdString(bytes));
}

} // namespace

TLivePreview::TLivePreview(DocumentSource document, const TAppSettings& settings, QObject* parent)
    : QObject(parent), document_(std::move(document)), settings_(settings) {
    setObjectName(QStringLiteral("LivePreview"));
    Toggle = new QAction(QStringLiteral("&Live preview"), this);
    Toggle->setObjectName(QStringLiteral("ViewLivePreviewItem"));
    Toggle->setCheckable(true);
    Toggle->setToolTip(QStringLiteral("Live preview: the applet viewer shows each edit of the block"));
    Toggle->setStatusTip(Toggle->toolTip());
    Debounce = new QTimer(this);
    Debounce->setObjectName(QStringLiteral("LivePreviewTimer"));
    Debounce->setSingleShot(true);
    Debounce->setInterval(250);
    connect(Debounce, &QTimer::timeout, this, &TLivePreview::SendIfChanged);
    connect(Toggle, &QAction::toggled, this, [this](bool on) {
        Debounce->stop();
        if (!on || Running()) {
            if (on)
                SendIfChanged();
            return;
        }
        TPanePrompt prompt;
        bool shown = false;
        try {
            shown = Takes() && Show(prompt);
        } catch (const std::exception& error) {
            prompt.Warning(error.what());
        }
        if (!shown) {
            Say(QStringLiteral("Live preview needs the ZARN applet viewer as the applet viewer, running.\n"),
                true);
            Toggle->setChecked(false);
        }
    });
}

TLivePreview::~TLivePreview() {
    Stop();
}

bool TLivePreview::Takes() const {
    return UsesZarnViewer(settings_) && !settings_.UseWebAsAV && !refused_;
}

bool TLivePreview::Running() const {
    return process_ != nullptr;
}

bool TLivePreview::Show(Prompt& prompt) {
    std::string documentPath;
    TJavaAppletTag* tag = document_(documentPath);
    if (!tag)
        return false;
    // Pages the viewer has answered for are read; one still queued must stay.
    if (pending_ == 0)
        pages_.CleanUp();
    const TPreviewResult page = WritePreviewPage(*tag, documentPath, settings_, prompt, pages_);
    // Trust is given when the viewer starts.
    if (Running() && trusted_ != page.trusted)
        Stop();
    if (!Running() && !Start(page.trusted))
        return false;
    lastBlock_ = ShowHTMLCode(*tag);
    lastPage_ = Decoded(page.page);
    process_->write("page " + QByteArray::fromStdString(page.page) + "\n");
    ++pending_;
    return true;
}

void TLivePreview::DocumentChanged() {
    if (Toggle->isChecked() && Running())
        Debounce->start();
}

void TLivePreview::SendIfChanged() {
    std::string documentPath;
    TJavaAppletTag* tag = document_(documentPath);
    if (!tag || !Running() || ShowHTMLCode(*tag) == lastBlock_)
        return;
    TPanePrompt prompt;
    try {
        Show(prompt);
    } catch (const std::exception& error) {
        prompt.Warning(error.what());
    }
}

bool TLivePreview::Start(bool trusted) {
    const TZarnViewerLaunch launch = Launcher();
    if (!launch.problem.empty())
        return false;
    QStringList arguments;
    for (const std::string& argument : launch.arguments)
        arguments << Decoded(argument);
    if (trusted)
        arguments << QStringLiteral("--trusted");
    oneShot_ = QStringList{Decoded(launch.java)} + arguments;
    arguments << QStringLiteral("--live");
    auto* process = new QProcess(this);
    process->setProcessChannelMode(QProcess::MergedChannels);
    connect(process, &QProcess::readyReadStandardOutput, this, &TLivePreview::Read);
    connect(process, &QProcess::finished, this, [this, process](int exitCode, QProcess::ExitStatus status) {
        Read();
        const int code = status == QProcess::NormalExit ? exitCode : -1;
        process_ = nullptr;
        pending_ = 0;
        process->deleteLater();
        Toggle->setChecked(false);
        if (code == ExitNoLive && !lastPage_.isEmpty()) {
            // This viewer sandboxes by starting again for each page: the page is shown the usual way.
            refused_ = true;
            const QStringList command = oneShot_ + QStringList{lastPage_};
            if (TViewerOutput* pane = ViewerOutputPane())
                pane->Start(command.front(), command.mid(1));
            else
                QProcess::startDetached(command.front(), command.mid(1));
            return;
        }
        Say(QString("The live applet viewer ended with exit code %1: %2.\n")
                .arg(code)
                .arg(ViewerExitMeaning(code)),
            code != 0);
    });
    process->start(Decoded(launch.java), arguments);
    if (!process->waitForStarted(10000)) {
        Say(QString("The applet viewer %1 could not be started: %2\n")
                .arg(Decoded(launch.java), process->errorString()),
            true);
        delete process;
        return false;
    }
    process_ = process;
    trusted_ = trusted;
    lastBlock_.clear();
    Say(QString("Started %1 %2\n").arg(Decoded(launch.java), arguments.join(' ')), false);
    return true;
}

void TLivePreview::Stop() {
    QProcess* process = process_;
    if (!process)
        return;
    process_ = nullptr;
    pending_ = 0;
    process->disconnect(this);
    // The end of its input ends the viewer.
    process->closeWriteChannel();
    if (!process->waitForFinished(3000)) {
        process->kill();
        process->waitForFinished(1000);
    }
    delete process;
}

void TLivePreview::Read() {
    auto* process = qobject_cast<QProcess*>(sender());
    if (!process)
        process = process_;
    if (!process)
        return;
    partial_ += process->readAllStandardOutput();
    for (qsizetype end; (end = partial_.indexOf('\n')) >= 0;) {
        const QString line = QString::fromUtf8(partial_.left(end)).trimmed();
        partial_.remove(0, end + 1);
        if (!line.startsWith(AnswerPrefix)) {
            Say(line + '\n', false);
            continue;
        }
        const QString answer = line.mid(AnswerPrefix.size());
        const bool failed = answer.startsWith(QLatin1String("failed"));
        if (failed || answer.startsWith(QLatin1String("started")))
            pending_ = std::max(0, pending_ - 1);
        Say("Live preview: " + answer + '\n', failed || answer.startsWith(QLatin1String("refused")));
        emit Answered(answer);
    }
}

void TLivePreview::Say(const QString& text, bool reveal) {
    if (TViewerOutput* pane = ViewerOutputPane())
        pane->Report(text, reveal);
}

} // namespace zarn
