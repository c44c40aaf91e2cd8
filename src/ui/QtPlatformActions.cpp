#include "ui/QtPlatformActions.h"

#include "ui/ViewerOutput.h"
#include "views/ScreenText.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QDialog>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <QPushButton>
#include <QSocketNotifier>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>

#include <cerrno>
#include <csignal>

#ifdef __linux__
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace zarn {

namespace {

// Tells when a process that is not our child has ended: a process descriptor where the system has
// them (no mistaking a reused process number, and an unreaped process counts as ended), else polling.
class TProcessEndWatch : public QObject {
    Q_OBJECT

public:
    TProcessEndWatch(qint64 pid, QObject* parent) : QObject(parent), pid_(pid) {
#if defined(__linux__) && defined(SYS_pidfd_open)
        fd_ = static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
        if (fd_ >= 0) {
            auto* notifier = new QSocketNotifier(fd_, QSocketNotifier::Read, this);
            connect(notifier, &QSocketNotifier::activated, this, &TProcessEndWatch::ended);
            return;
        }
#endif
        auto* timer = new QTimer(this);
        connect(timer, &QTimer::timeout, this, [this] {
            if (::kill(static_cast<pid_t>(pid_), 0) != 0 && errno == ESRCH)
                emit ended();
        });
        timer->start(100);
    }
    ~TProcessEndWatch() override {
#ifdef __linux__
        if (fd_ >= 0)
            ::close(fd_);
#endif
    }

    // The process had ended before the watch began.
    bool AlreadyEnded() const {
        return fd_ < 0 && ::kill(static_cast<pid_t>(pid_), 0) != 0 && errno == ESRCH;
    }

signals:
    void ended();

private:
    qint64 pid_;
    int fd_ = -1;
};

QString FromBytes(const std::string& text) {
    return FromAnsi(text);
}

PlatformActions*& InstalledActions() {
    static PlatformActions* actions = nullptr;
    return actions;
}

} // namespace

PlatformActions& WindowActions() {
    static QtPlatformActions qtActions;
    PlatformActions* installed = InstalledActions();
    return installed ? *installed : qtActions;
}

void SetWindowActions(PlatformActions* actions) {
    InstalledActions() = actions;
}

bool WaitForViewer(qint64 pid, QWidget* window) {
    QDialog notice(window);
    notice.setObjectName("ViewerWait");
    notice.setWindowTitle("ZARN");
    notice.setModal(true);
    auto* layout = new QVBoxLayout(&notice);
    auto* text = new QLabel("ZARN waits for the applet viewer to close.", &notice);
    text->setObjectName("WaitText");
    layout->addWidget(text);
    auto* busy = new QProgressBar(&notice);
    busy->setObjectName("WaitBusy");
    busy->setRange(0, 0);
    busy->setTextVisible(false);
    layout->addWidget(busy);
    auto* stop = new QPushButton("&Stop waiting", &notice);
    stop->setObjectName("StopWaiting");
    stop->setToolTip("ZARN goes on; the applet viewer keeps running.");
    layout->addWidget(stop, 0, Qt::AlignHCenter);
    QObject::connect(stop, &QPushButton::clicked, &notice, &QDialog::reject);

    TProcessEndWatch watch(pid, &notice);
    if (watch.AlreadyEnded())
        return true;
    QObject::connect(&watch, &TProcessEndWatch::ended, &notice, &QDialog::accept);
    return notice.exec() == QDialog::Accepted;
}

bool QtPlatformActions::SetClipboardText(const std::string& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(FromBytes(text));
    return true;
}

bool QtPlatformActions::StartProgram(const std::string& program, const TStrings& arguments, bool wait) {
    QStringList list;
    for (const std::string& argument : arguments)
        list << FromBytes(argument);
    // Started on its own, never through a shell: the viewer outlives a wait the user stops, and ZARN.
    qint64 pid = 0;
    if (!QProcess::startDetached(FromBytes(program), list, QDir::currentPath(), &pid))
        return false;
    if (wait && pid > 0)
        WaitForViewer(pid, window_ ? window_ : QApplication::activeWindow());
    return true;
}

bool QtPlatformActions::OpenWithDefault(const std::string& target) {
    const bool isURL =
        target.starts_with("file:") || target.starts_with("http:") || target.starts_with("https:");
    const QUrl url = isURL ? QUrl::fromEncoded(QByteArray::fromStdString(target), QUrl::StrictMode)
                           : QUrl::fromLocalFile(FromBytes(target));
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtPlatformActions::StartViewer(const std::string& program, const TStrings& arguments) {
    TViewerOutput* pane = ViewerOutputPane();
    if (!pane)
        return StartProgram(program, arguments, false);
    QStringList list;
    for (const std::string& argument : arguments)
        list << FromBytes(argument);
    return pane->Start(FromBytes(program), list);
}

} // namespace zarn

#include "QtPlatformActions.moc"
