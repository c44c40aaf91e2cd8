#pragma once
// A small web server on the loopback address for browser previews: the in-browser Java runtimes
// cannot run a page opened from "file:", but can run one served over HTTP.
//
// Every URL starts with a secret of this run, /<secret>/, which only the browser the editor starts
// is given: other local users and programs reach nothing. Below it, the preview page is at
// ~zarn/preview/<its name>, the web root at the top (so that the page's BASE and web-root-relative
// URLs resolve as on the site) and the code base at ~zarn/code/. Nothing else: hidden names, paths
// leading out of those folders (by ".." or by a link), and folders that must never be served (the
// file system root, system folders, home folders themselves) are refused. GET and HEAD, single byte
// ranges, no caching, one request per connection.

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
    // The pool of connections: when it is full, a new client takes the place of the one that has
    // waited longest without sending its request.
    static constexpr int MaxConnections = 32;
    // Clients that have not sent their request get this long once the pool is three quarters full.
    static constexpr int BusyTimeout = 1000;

    explicit TPreviewServer(QObject* parent = nullptr);
    ~TPreviewServer() override;

    // Listens on 127.0.0.1 at a free port; true when listening (also when it already was).
    bool Start();
    void Stop();
    bool IsListening() const;
    quint16 Port() const;
    // "http://127.0.0.1:<port>"; empty while not listening.
    QString Origin() const;
    // The origin and the secret, "http://127.0.0.1:<port>/<secret>": every URL served starts so.
    QString Base() const;

    // The preview served from now on, replacing the one before; empty folders serve nothing, and
    // neither do refused ones: returns why a folder is refused, empty when both are served.
    QString SetPreview(const QString& page, const QString& webRoot, const QString& codeBase);
    // Whether the preview page loads the in-browser Java runtime: its scripts are then allowed too.
    void SetRuntime(bool on) { runtime_ = on; }
    // A client that has not sent its request, or stops taking the answer, for this long is dropped.
    void SetTimeout(int milliseconds) { timeout_ = milliseconds; }
    // The timeout for connections now: shorter while the pool is nearly full.
    int Timeout() const;

    // Starts the server when needed and serves this preview.
    std::optional<TServedPreview> Serve(const std::string& page, const std::string& webRoot,
                                        const std::string& codeBase) override;

    struct TTarget {
        int status = 404; // 200 when found
        QString fileName; // the file to send
        QString root;     // the real folder it must lie in (for the page: its real path)
        bool isPage = false;
    };
    // The file a request path names, or why not; the file is checked again once opened.
    TTarget Resolve(const QByteArray& path) const;
    // The headers the preview page is sent with, besides those every answer has.
    QByteArray PageHeaders() const;

private:
    void AcceptConnections();

    QTcpServer* server_;
    QByteArray secret_;
    QString page_;
    QString pageName_;
    QString pageReal_;
    QString webRoot_; // real paths
    QString codeBase_;
    bool webRootRefused_ = false;
    bool codeBaseRefused_ = false;
    int timeout_ = 10000;
    int connections_ = 0;
    bool runtime_ = false;
};

// The server the main window's previews use, created with `owner` on first use.
TPreviewServer& PreviewServerOf(QObject* owner);

} // namespace zarn
