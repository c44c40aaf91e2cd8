#include "ui/PreviewServer.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHostAddress>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

#include <algorithm>
#include <array>
#include <string>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace zarn {

namespace {

const QByteArray kReserved = "/~zarn/";
const QByteArray kPagePrefix = "/~zarn/preview/";
const QByteArray kCodePrefix = "/~zarn/code/";
constexpr qint64 kChunk = 64 * 1024;
constexpr int kSecretBytes = 24;

// The secret of this run: base64url, so that it needs no encoding in a URL.
QByteArray NewSecret() {
    std::array<quint32, kSecretBytes / 4> words;
    QRandomGenerator::system()->fillRange(words.data(), words.size());
    return QByteArray(reinterpret_cast<const char*>(words.data()), kSecretBytes)
        .toBase64(QByteArray::Base64UrlEncoding | QByteArray::OmitTrailingEquals);
}

// Takes as long for every guess of the same length, so that timing does not reveal a prefix.
bool SameSecret(const QByteArray& given, const QByteArray& secret) {
    if (given.size() != secret.size())
        return false;
    unsigned char difference = 0;
    for (qsizetype i = 0; i < secret.size(); ++i)
        difference |= static_cast<unsigned char>(given[i] ^ secret[i]);
    return difference == 0;
}

bool InsideFolder(const QString& real, const QString& root) {
    return real.startsWith(root.endsWith('/') ? root : root + '/');
}

// Why a folder (its real path) is never served; empty when it may be. Such folders hold the
// system's or the user's private files, not a site.
QString RefusedBecause(const QString& real) {
    if (QDir(real).isRoot())
        return "the file system's root";
    const QString home = QFileInfo(QDir::homePath()).canonicalFilePath();
    const QString homes = QFileInfo(home).path();
    if (real == home || QFileInfo(real).path() == "/home" ||
        (homes != "/" && QFileInfo(real).path() == homes))
        return "a home folder";
#ifdef Q_OS_WIN
    const QString system = QDir::fromNativeSeparators(qEnvironmentVariable("SystemRoot"));
    if (!system.isEmpty() && (real.compare(system, Qt::CaseInsensitive) == 0 ||
                              real.startsWith(system + '/', Qt::CaseInsensitive)))
        return "a system folder";
#else
    static const char* const withContents[] = {"/etc",     "/proc",      "/sys",       "/dev",     "/boot",
                                               "/run",     "/usr",       "/bin",       "/sbin",    "/lib",
                                               "/lib32",   "/lib64",     "/libx32",    "/root",    "/var/lib",
                                               "/var/log", "/var/cache", "/var/spool", "/var/mail"};
    // Sites often lie below these, never in them.
    static const char* const themselves[] = {"/var", "/home",  "/opt", "/srv",
                                             "/mnt", "/media", "/tmp", "/var/tmp"};
    for (const char* folder : withContents)
        if (real == QLatin1String(folder) || real.startsWith(QLatin1String(folder) + '/'))
            return "a system folder";
    for (const char* folder : themselves)
        if (real == QLatin1String(folder))
            return "a system folder";
#endif
    return {};
}

// Opens the target, then checks what was opened: a regular file whose real path lies inside the
// target's root, with no hidden name below it. Checking the name before opening would leave a
// moment in which a link could be put in its place. Returns 200, or the status to answer.
int OpenChecked(QFile& file, const TPreviewServer::TTarget& target) {
    QString real;
#ifdef Q_OS_WIN
    file.setFileName(target.fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo::exists(target.fileName) ? 403 : 404;
    const QFileInfo info(target.fileName);
    if (!info.isFile())
        return 404;
    real = info.canonicalFilePath();
#else
    const QByteArray name = QFile::encodeName(target.fileName);
    // Without blocking: a pipe put in the folder must not stop the editor.
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return errno == ENOENT || errno == ENOTDIR ? 404 : 403;
    struct stat opened {};
    if (::fstat(fd, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(fd);
        return 404;
    }
    std::array<char, 4096> link{};
    const std::string fdPath = "/proc/self/fd/" + std::to_string(fd);
    const ssize_t length = ::readlink(fdPath.c_str(), link.data(), link.size() - 1);
    if (length > 0) {
        real = QFile::decodeName(QByteArray(link.data(), length));
    } else {
        // Without /proc: the real path of the name must still be the very file that was opened.
        real = QFileInfo(target.fileName).canonicalFilePath();
        struct stat named {};
        if (real.isEmpty() || ::stat(QFile::encodeName(real).constData(), &named) != 0 ||
            named.st_dev != opened.st_dev || named.st_ino != opened.st_ino)
            real.clear();
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return 403;
    }
#endif
    const bool allowed = target.isPage ? real == target.root
                                       : !target.root.isEmpty() && InsideFolder(real, target.root) &&
                                             !("/" + real.mid(target.root.size())).contains("/.");
    if (!allowed) {
        file.close();
        return 403;
    }
    return 200;
}

QByteArray StatusText(int status) {
    switch (status) {
    case 200:
        return "OK";
    case 206:
        return "Partial Content";
    case 400:
        return "Bad Request";
    case 403:
        return "Forbidden";
    case 404:
        return "Not Found";
    case 405:
        return "Method Not Allowed";
    case 408:
        return "Request Timeout";
    case 416:
        return "Range Not Satisfiable";
    case 431:
        return "Request Header Fields Too Large";
    default:
        return "Internal Server Error";
    }
}

QByteArray ContentType(const QString& fileName) {
    static const std::pair<const char*, const char*> types[] = {
        {"html", "text/html"},
        {"htm", "text/html"},
        {"class", "application/java-vm"},
        {"jar", "application/java-archive"},
        {"zip", "application/zip"},
        {"gif", "image/gif"},
        {"png", "image/png"},
        {"jpg", "image/jpeg"},
        {"jpeg", "image/jpeg"},
        {"bmp", "image/bmp"},
        {"svg", "image/svg+xml"},
        {"ico", "image/x-icon"},
        {"txt", "text/plain"},
        {"css", "text/css"},
        {"js", "text/javascript"},
        {"xml", "application/xml"},
        {"au", "audio/basic"},
        {"wav", "audio/wav"},
        {"mid", "audio/midi"},
    };
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    for (const auto& [extension, type] : types)
        if (suffix == QLatin1String(extension))
            return type;
    return "application/octet-stream";
}

// Digits only: a sign, blanks or a number too large make the range invalid, not a different one.
bool ToNumber(const QByteArray& text, qint64& value) {
    if (text.isEmpty() || text.size() > 18)
        return false;
    value = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + (c - '0');
    }
    return true;
}

enum class TRangeKind { Whole, Part, Unsatisfiable };

// A header that cannot be read, or asks for several ranges, gets the whole file.
TRangeKind ParseRange(const QByteArray& header, qint64 size, qint64& start, qint64& length) {
    const QByteArray value = header.trimmed();
    if (!value.startsWith("bytes="))
        return TRangeKind::Whole;
    const QByteArray range = value.mid(6).trimmed();
    const qsizetype dash = range.indexOf('-');
    if (range.contains(',') || dash < 0)
        return TRangeKind::Whole;
    const QByteArray first = range.left(dash).trimmed();
    const QByteArray last = range.mid(dash + 1).trimmed();
    qint64 a = 0;
    qint64 b = 0;
    if (first.isEmpty()) {
        if (!ToNumber(last, b))
            return TRangeKind::Whole;
        if (b == 0 || size == 0)
            return TRangeKind::Unsatisfiable;
        start = std::max<qint64>(0, size - b);
        length = size - start;
        return TRangeKind::Part;
    }
    if (!ToNumber(first, a))
        return TRangeKind::Whole;
    if (last.isEmpty())
        b = size - 1;
    else if (!ToNumber(last, b) || b < a)
        return TRangeKind::Whole;
    if (a >= size)
        return TRangeKind::Unsatisfiable;
    start = a;
    length = std::min(b, size - 1) - a + 1;
    return TRangeKind::Part;
}

// One request and its answer; the connection closes after it.
class TPreviewConnection : public QObject {
public:
    TPreviewConnection(QTcpSocket* socket, TPreviewServer& server)
        : QObject(&server), socket_(socket), server_(server), timer_(new QTimer(this)) {
        socket_->setParent(this);
        timer_->setSingleShot(true);
        connect(timer_, &QTimer::timeout, this, [this] {
            // A client that sent part of a request learns why; one that stopped reading is dropped.
            if (!responding_)
                return Answer(408, {});
            socket_->abort();
            deleteLater();
        });
        connect(socket_, &QTcpSocket::readyRead, this, &TPreviewConnection::ReadRequest);
        connect(socket_, &QTcpSocket::bytesWritten, this, &TPreviewConnection::SendMore);
        connect(socket_, &QTcpSocket::disconnected, this, &QObject::deleteLater);
        connect(socket_, &QTcpSocket::errorOccurred, this, [this] {
            if (socket_->state() != QAbstractSocket::ConnectedState)
                deleteLater();
        });
        timer_->start(server_.Timeout());
    }

    // Not yet answering: the client has not sent its request.
    bool Idle() const { return !responding_; }
    // The server got busy: waiting ends no later than its timeout now.
    void Hurry() {
        if (timer_->remainingTime() > server_.Timeout())
            timer_->start(server_.Timeout());
    }

private:
    void ReadRequest() {
        if (responding_) {
            socket_->readAll(); // anything after the request is not read, and not kept
            return;
        }
        request_ += socket_->read(TPreviewServer::MaxRequestSize + 4 - request_.size());
        qsizetype end = request_.indexOf("\r\n\r\n");
        if (end < 0)
            end = request_.indexOf("\n\n");
        if (end < 0) {
            if (request_.size() > TPreviewServer::MaxRequestSize)
                Answer(431, {});
            return;
        }
        Handle(request_.left(end));
    }

    void Handle(const QByteArray& head) {
        QList<QByteArray> lines = head.split('\n');
        for (QByteArray& line : lines)
            if (line.endsWith('\r'))
                line.chop(1);
        const QList<QByteArray> parts = lines.front().split(' ');
        if (parts.size() != 3 || !parts[2].startsWith("HTTP/1."))
            return Answer(400, {});
        QByteArray host;
        QByteArray range;
        int hosts = 0;
        for (qsizetype i = 1; i < lines.size(); ++i) {
            const qsizetype colon = lines[i].indexOf(':');
            if (colon <= 0)
                return Answer(400, {});
            const QByteArray name = lines[i].left(colon).trimmed().toLower();
            if (name == "host") {
                ++hosts;
                host = lines[i].mid(colon + 1).trimmed();
            } else if (name == "range") {
                range = lines[i].mid(colon + 1);
            }
        }
        // A page from elsewhere that a name server points at 127.0.0.1 names its own host: it must
        // not read the user's folders.
        // Two Host headers leave open which one a proxy or the browser meant: neither is trusted.
        if (hosts > 1)
            return Answer(400, {});
        const bool hasHost = hosts == 1;
        const QByteArray port = QByteArray::number(server_.Port());
        if (hasHost ? (host != "127.0.0.1:" + port && host.toLower() != "localhost:" + port)
                    : parts[2] != "HTTP/1.0")
            return Answer(hasHost ? 403 : 400, {});
        const QByteArray& method = parts[0];
        if (method != "GET" && method != "HEAD")
            return Answer(405, "Allow: GET, HEAD\r\n");
        head_ = method == "HEAD";

        const TPreviewServer::TTarget target = server_.Resolve(parts[1]);
        if (target.status != 200)
            return Answer(target.status, {});
        if (const int status = OpenChecked(file_, target); status != 200)
            return Answer(status, {});
        const qint64 size = file_.size();
        qint64 start = 0;
        qint64 length = size;
        const TRangeKind kind = range.isNull() ? TRangeKind::Whole : ParseRange(range, size, start, length);
        if (kind == TRangeKind::Unsatisfiable)
            return Answer(416, "Content-Range: bytes */" + QByteArray::number(size) + "\r\n");
        if (!file_.seek(start))
            return Answer(500, {});
        QByteArray type = ContentType(target.fileName);
        if (target.isPage)
            type += "; charset=windows-1252"; // the core writes its pages in that code page
        QByteArray extra = "Content-Type: " + type + "\r\nAccept-Ranges: bytes\r\n";
        if (target.isPage)
            extra += server_.PageHeaders();
        if (kind == TRangeKind::Part)
            extra += "Content-Range: bytes " + QByteArray::number(start) + "-" +
                     QByteArray::number(start + length - 1) + "/" + QByteArray::number(size) + "\r\n";
        remaining_ = head_ ? 0 : length;
        Respond(kind == TRangeKind::Part ? 206 : 200, extra, length, {});
        SendMore();
    }

    // An answer without a file.
    void Answer(int status, const QByteArray& extra) {
        const QByteArray body = status >= 400 && !head_
                                    ? QByteArray::number(status) + " " + StatusText(status) + "\n"
                                    : QByteArray();
        Respond(status, "Content-Type: text/plain\r\n" + extra, body.size(), body);
        socket_->disconnectFromHost();
    }

    void Respond(int status, const QByteArray& extra, qint64 length, const QByteArray& body) {
        responding_ = true;
        timer_->start(server_.Timeout());
        socket_->write(
            "HTTP/1.1 " + QByteArray::number(status) + " " + StatusText(status) + "\r\n" + extra +
            "Content-Length: " + QByteArray::number(length) +
            "\r\nCache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n\r\n" +
            body);
    }

    // The file goes out a piece at a time, as the client takes it.
    void SendMore() {
        if (!file_.isOpen())
            return;
        timer_->start(server_.Timeout());
        while (remaining_ > 0 && socket_->bytesToWrite() < kChunk) {
            const QByteArray piece = file_.read(std::min(kChunk, remaining_));
            if (piece.isEmpty()) {
                socket_->abort(); // the file shrank: the length sent cannot be kept
                deleteLater();
                return;
            }
            remaining_ -= piece.size();
            socket_->write(piece);
        }
        if (remaining_ == 0) {
            file_.close();
            socket_->disconnectFromHost();
        }
    }

    QTcpSocket* socket_;
    const TPreviewServer& server_;
    QTimer* timer_;
    QByteArray request_;
    QFile file_;
    qint64 remaining_ = 0;
    bool responding_ = false;
    bool head_ = false;
};

// The file `relative` names inside `root` (a real path), to be checked once opened.
TPreviewServer::TTarget FileInside(const QString& root, const QByteArray& relative) {
    if (root.isEmpty())
        return {404, {}, {}, false};
    // Hidden names (".git", ".ssh") are never served, nor "." and "..".
    for (const QByteArray& segment : relative.split('/'))
        if (segment.startsWith('.'))
            return {403, {}, {}, false};
    if (relative.startsWith('/') || relative.contains("//"))
        return {403, {}, {}, false}; // an absolute path, or one in disguise
    return {200, QDir(root).filePath(QFile::decodeName(relative)), root, false};
}

} // namespace

TPreviewServer::TPreviewServer(QObject* parent)
    : QObject(parent), server_(new QTcpServer(this)), secret_(NewSecret()) {
    connect(server_, &QTcpServer::newConnection, this, &TPreviewServer::AcceptConnections);
}

TPreviewServer::~TPreviewServer() {
    Stop();
}

bool TPreviewServer::Start() {
    return server_->isListening() || server_->listen(QHostAddress::LocalHost, 0);
}

void TPreviewServer::Stop() {
    server_->close();
    // Connections under way end with the server.
    const QObjectList owned = children();
    for (QObject* child : owned)
        if (child != server_)
            delete child;
    connections_ = 0;
}

bool TPreviewServer::IsListening() const {
    return server_->isListening();
}

quint16 TPreviewServer::Port() const {
    return server_->serverPort();
}

QString TPreviewServer::Origin() const {
    return IsListening() ? QString("http://127.0.0.1:%1").arg(Port()) : QString();
}

QString TPreviewServer::Base() const {
    return IsListening() ? Origin() + '/' + QString::fromLatin1(secret_) : QString();
}

int TPreviewServer::Timeout() const {
    return connections_ * 4 >= MaxConnections * 3 ? std::min(timeout_, BusyTimeout) : timeout_;
}

QString TPreviewServer::SetPreview(const QString& page, const QString& webRoot, const QString& codeBase) {
    page_ = page;
    pageName_ = QFileInfo(page).fileName();
    pageReal_ = QFileInfo(page).canonicalFilePath();
    QString refusals;
    // The real folders are taken now: what the names point at later is not served.
    auto take = [&refusals](const QString& folder, const char* what, QString& real, bool& refused) {
        real = folder.isEmpty() ? QString() : QFileInfo(folder).canonicalFilePath();
        const QString why = real.isEmpty() ? QString() : RefusedBecause(real);
        refused = !why.isEmpty();
        if (!refused)
            return;
        real.clear();
        refusals += QString("%1The browser preview does not serve the %2 %3: it is %4. Keep the applet's "
                            "files in a folder of their own.")
                        .arg(refusals.isEmpty() ? "" : "\n", what, folder, why);
    };
    take(webRoot, "web root", webRoot_, webRootRefused_);
    take(codeBase, "code base", codeBase_, codeBaseRefused_);
    return refusals;
}

std::optional<TServedPreview> TPreviewServer::Serve(const std::string& page, const std::string& webRoot,
                                                    const std::string& codeBase) {
    if (!Start())
        return std::nullopt;
    auto decode = [](const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); };
    const QString refused = SetPreview(decode(page), decode(webRoot), decode(codeBase));
    const std::string base = Base().toStdString();
    return TServedPreview{base + kPagePrefix.toStdString() + QUrl::toPercentEncoding(pageName_).toStdString(),
                          base + "/", base + kCodePrefix.toStdString(), refused.toStdString()};
}

QByteArray TPreviewServer::PageHeaders() const {
    // Scripts only from the page's own origin, and with the in-browser runtime its loader's folder
    // and the one line that starts it.
    QByteArray sources = "'self'";
    if (runtime_) {
        const QByteArray loader = CheerpJLoaderURL;
        sources += " " + loader.left(loader.lastIndexOf('/') + 1) + " 'sha256-" +
                   QCryptographicHash::hash(CheerpJInitScript, QCryptographicHash::Sha256).toBase64() +
                   "' 'wasm-unsafe-eval'";
    }
    return "Content-Security-Policy: script-src " + sources + "\r\n";
}

TPreviewServer::TTarget TPreviewServer::Resolve(const QByteArray& path) const {
    QByteArray raw = path;
    const qsizetype query = raw.indexOf('?');
    if (query >= 0)
        raw.truncate(query);
    if (!raw.startsWith('/'))
        return {400, {}, {}, false};
    // Without the secret, nothing is there at all.
    const qsizetype secretEnd = raw.indexOf('/', 1);
    if (secretEnd < 0 || !SameSecret(raw.mid(1, secretEnd - 1), secret_))
        return {404, {}, {}, false};
    raw.remove(0, secretEnd);
    const QByteArray decoded = QByteArray::fromPercentEncoding(raw);
    if (raw.contains('\\') || decoded.contains('\\') || decoded.contains('\0'))
        return {403, {}, {}, false};
    if (decoded.startsWith(kPagePrefix)) {
        if (pageName_.isEmpty() || decoded.mid(kPagePrefix.size()) != QFile::encodeName(pageName_))
            return {404, {}, {}, false};
        return {200, page_, pageReal_, true};
    }
    if (decoded.startsWith(kCodePrefix))
        return codeBaseRefused_ ? TTarget{403, {}, {}, false}
                                : FileInside(codeBase_, decoded.mid(kCodePrefix.size()));
    if (decoded.startsWith(kReserved))
        return {404, {}, {}, false};
    return webRootRefused_ ? TTarget{403, {}, {}, false} : FileInside(webRoot_, decoded.mid(1));
}

void TPreviewServer::AcceptConnections() {
    while (QTcpSocket* socket = server_->nextPendingConnection()) {
        if (!socket->peerAddress().isLoopback()) {
            socket->abort();
            delete socket;
            continue;
        }
        // A full pool gives up the client that has waited longest without asking for anything: one
        // program holding connections open must not keep the browser out.
        if (connections_ >= MaxConnections) {
            const QObjectList owned = children();
            for (QObject* child : owned)
                if (auto* connection = dynamic_cast<TPreviewConnection*>(child);
                    connection && connection->Idle()) {
                    delete connection;
                    break;
                }
        }
        if (connections_ >= MaxConnections) {
            socket->abort();
            delete socket;
            continue;
        }
        auto* connection = new TPreviewConnection(socket, *this);
        ++connections_;
        connect(connection, &QObject::destroyed, this,
                [this] { connections_ = std::max(0, connections_ - 1); });
        if (Timeout() < timeout_)
            for (QObject* child : children())
                if (auto* other = dynamic_cast<TPreviewConnection*>(child); other && other->Idle())
                    other->Hurry();
    }
}

TPreviewServer& PreviewServerOf(QObject* owner) {
    if (auto* server = owner->findChild<TPreviewServer*>("PreviewServer", Qt::FindDirectChildrenOnly))
        return *server;
    auto* server = new TPreviewServer(owner);
    server->setObjectName("PreviewServer");
    return *server;
}

} // namespace zarn
