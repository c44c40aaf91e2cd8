#pragma once
// A small web server on the loopback address for browser previews: the in-browser Java runtimes
// cannot run a page opened from "file:", but can run one served over HTTP.
//
// It serves the preview page at /~zarn/preview/<its name>, the web root at / (so that the page's
// BASE and web-root-relative URLs resolve as on the site) and the code base at /~zarn/code/. Nothing
// else: paths leading out of those folders, by ".." or by a link, are refused. GET and HEAD, single
// byte ranges, no caching, one request per connection.

#include "tag/Preview.h"

#include <QObject>
#include <QString>

class QTcpServer;

namespace zarn {

class TPreviewServer : public QObject, public PreviewHost {
    Q_OBJECT

public:
    // A request head longer than this is refused.
    static constexpr qsizetype MaxRequestSize = 16 * 1024;
    // Connections beyond this are closed at once.
    static constexpr int MaxConnections = 32;

    explicit TPreviewServer(QObject* parent = nullptr);
    ~TPreviewServer() override;

    // Listens on 127.0.0.1 at a free port; true when listening (also when it already was).
    bool Start();
    void Stop();
    bool IsListening() const;
    quint16 Port() const;
    // "http://127.0.0.1:<port>"; empty while not listening.
    QString Origin() const;

    // The preview served from now on, replacing the one before; empty folders serve nothing.
    void SetPreview(const QString& page, const QString& webRoot, const QString& codeBase);
    // A client that has not sent its request, or stops taking the answer, for this long is dropped.
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }
    int Timeout() const { return timeout_; }

    // Starts the server when needed and serves this preview.
    std::optional<TServedPreview> Serve(const std::string& page, const std::string& webRoot,
                                        const std::string& codeBase) override;

    struct TTarget {
        int status = 404; // 200 when found
        QString fileName; // the file to send
        bool isPage = false;
    };
    // The file a request path names, or why not.
    TTarget Resolve(const QByteArray& path) const;

private:
    void AcceptConnections();

    QTcpServer* server_;
    QString page_;
    QString pageName_;
    QString webRoot_;
    QString codeBase_;
    int timeout_ = 10000;
    int connections_ = 0;
};

// The server the main window's previews use, created with `owner` on first use.
TPreviewServer& PreviewServerOf(QObject* owner);

} // namespace zarn
