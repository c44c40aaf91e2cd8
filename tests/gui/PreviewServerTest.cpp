#include "TestUtil.h"

#include "ui/PreviewServer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include <sys/stat.h>

namespace zarn {
namespace {

using test::TempDir;
using test::WriteFile;
namespace fs = std::filesystem;

struct TReply {
    int status = 0;
    QByteArray head;
    QByteArray body;

    QByteArray Header(const QByteArray& name) const {
        for (const QByteArray& line : head.split('\n'))
            if (line.toLower().startsWith(name.toLower() + ":"))
                return line.mid(name.size() + 1).trimmed();
        return {};
    }
};

// Sends raw bytes to 127.0.0.1 and reads until the server closes, within a time limit.
TReply Exchange(quint16 port, const QByteArray& request, int limitMs = 3000) {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(2000))
        return {};
    socket.write(request);
    QEventLoop loop;
    QObject::connect(&socket, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(limitMs, &loop, &QEventLoop::quit);
    if (socket.state() == QAbstractSocket::ConnectedState)
        loop.exec();
    const QByteArray all = socket.readAll();
    const qsizetype end = all.indexOf("\r\n\r\n");
    TReply reply;
    if (end < 0)
        return reply;
    reply.head = all.left(end);
    reply.body = all.mid(end + 4);
    reply.status = reply.head.mid(9, 3).toInt();
    return reply;
}

// A web root with a class file, a code base elsewhere, a secret beside them and links out.
class PreviewServerFixture : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path() / "web/classes");
        fs::create_directories(dir.path() / "code");
        fs::create_directories(dir.path() / "outside");
        WriteFile(dir.file("web/classes/Demo.class"), "0123456789");
        WriteFile(dir.file("code/Lib.jar"), "PK");
        WriteFile(dir.file("outside/secret.txt"), "secret");
        WriteFile(dir.file("ZARpage.html"), "<HTML>page</HTML>");
        fs::create_symlink(dir.path() / "outside/secret.txt", dir.path() / "web/link.txt");
        fs::create_directory_symlink(dir.path() / "outside", dir.path() / "web/linkdir");
        served = server.Serve(dir.file("ZARpage.html"), dir.dir() + "web/", dir.dir() + "code/");
        ASSERT_TRUE(served);
        secret = server.Base().mid(server.Origin().size()).toUtf8();
        ASSERT_GE(secret.size(), 1 + 22); // "/" and at least 128 bits
    }
    void TearDown() override {
        server.Stop();
        EXPECT_FALSE(server.IsListening());
    }

    // Paths from the root get the secret in front; `extra` are more header lines.
    TReply Get(const QByteArray& path, const QByteArray& extra = {}, const QByteArray& method = "GET") {
        return Exchange(server.Port(), method + " " + (path.startsWith('/') ? secret + path : path) +
                                           " HTTP/1.1\r\n" + HostLine() + extra + "\r\n");
    }
    QByteArray HostLine() const { return "Host: 127.0.0.1:" + QByteArray::number(server.Port()) + "\r\n"; }

    TempDir dir;
    TPreviewServer server;
    std::optional<TServedPreview> served;
    QByteArray secret; // "/<secret>"
};

TEST_F(PreviewServerFixture, ServesThePageAndFilesWithRanges) {
    const std::string origin = server.Base().toStdString();
    EXPECT_TRUE(origin.starts_with("http://127.0.0.1:"));
    EXPECT_EQ(served->pageURL, origin + "/~zarn/preview/ZARpage.html");
    EXPECT_EQ(served->webRootURL, origin + "/");
    EXPECT_EQ(served->codeBaseURL, origin + "/~zarn/code/");

    struct Case {
        QByteArray path, range;
        int status;
        QByteArray body, type, contentRange;
    };
    const QByteArray cls = "/classes/Demo.class";
    for (const Case& c : {
             Case{"/~zarn/preview/ZARpage.html",
                  {},
                  200,
                  "<HTML>page</HTML>",
                  "text/html; charset=windows-1252",
                  {}},
             Case{cls, {}, 200, "0123456789", "application/java-vm", {}},
             Case{cls, "bytes=2-4", 206, "234", "application/java-vm", "bytes 2-4/10"},
             Case{cls, "bytes=7-", 206, "789", "application/java-vm", "bytes 7-9/10"},
             Case{cls, "bytes=-3", 206, "789", "application/java-vm", "bytes 7-9/10"},
             Case{cls, "bytes=5-100", 206, "56789", "application/java-vm", "bytes 5-9/10"},
             Case{cls, "bytes=4-2", 200, "0123456789", "application/java-vm", {}},     // invalid: ignored
             Case{cls, "bytes=0-1,4-5", 200, "0123456789", "application/java-vm", {}}, // several: whole
             Case{cls, "bytes=10-", 416, "416 Range Not Satisfiable\n", "text/plain", "bytes */10"},
             Case{cls, "bytes=-0", 416, "416 Range Not Satisfiable\n", "text/plain", "bytes */10"},
             Case{"/~zarn/code/Lib.jar", {}, 200, "PK", "application/java-archive", {}},
         }) {
        SCOPED_TRACE((c.path + " " + c.range).toStdString());
        const TReply reply = Get(c.path, c.range.isEmpty() ? QByteArray() : "Range: " + c.range + "\r\n");
        EXPECT_EQ(reply.status, c.status);
        EXPECT_EQ(reply.body, c.body);
        EXPECT_EQ(reply.Header("Content-Type"), c.type);
        EXPECT_EQ(reply.Header("Content-Range"), c.contentRange);
        EXPECT_EQ(reply.Header("Cache-Control"), "no-store");
        EXPECT_EQ(reply.Header("Content-Length").toInt(), c.body.size());
    }
    const TReply head = Get(cls, "Range: bytes=1-2\r\n", "HEAD");
    EXPECT_EQ(head.status, 206);
    EXPECT_EQ(head.Header("Content-Length"), "2");
    EXPECT_TRUE(head.body.isEmpty());
}

TEST_F(PreviewServerFixture, RefusesWhatLiesOutsideItsFolders) {
    struct Case {
        QByteArray path;
        int status;
    };
    for (const Case& c :
         {Case{"/../outside/secret.txt", 403}, Case{"/classes/../../outside/secret.txt", 403},
          Case{"/%2e%2e/outside/secret.txt", 403}, Case{"/%2E%2E%2Foutside%2Fsecret.txt", 403},
          Case{"/..\\outside\\secret.txt", 403}, Case{"/..%5Coutside%5Csecret.txt", 403},
          Case{"/~zarn/code/../web/classes/Demo.class", 403},
          Case{"//" + QFile::encodeName(QString::fromStdString(dir.file("outside/secret.txt"))), 403},
          Case{"/%2F" + QFile::encodeName(QString::fromStdString(dir.file("outside/secret.txt"))), 403},
          Case{"/link.txt", 403}, Case{"/linkdir/secret.txt", 403}, Case{"http://127.0.0.1/link.txt", 400},
          Case{"/~zarn/preview/ZARother.html", 404}, Case{"/~zarn/other", 404}, Case{"/classes/", 404},
          Case{"/missing.class", 404}}) {
        SCOPED_TRACE(c.path.toStdString());
        const TReply reply = Get(c.path);
        EXPECT_EQ(reply.status, c.status);
        EXPECT_FALSE(reply.body.contains("secret")) << reply.body.toStdString();
    }
    // Only GET and HEAD, and only for this host: a page elsewhere that resolves to 127.0.0.1 is refused.
    EXPECT_EQ(Get("/classes/Demo.class", {}, "POST").status, 405);
    const QByteArray port = QByteArray::number(server.Port());
    EXPECT_EQ(Exchange(server.Port(), "GET " + secret + "/classes/Demo.class HTTP/1.1\r\nHost: evil.test:" +
                                          port + "\r\n\r\n")
                  .status,
              403);
    EXPECT_EQ(Exchange(server.Port(), "GET " + secret + "/classes/Demo.class HTTP/1.1\r\n\r\n").status, 400);
    EXPECT_EQ(Exchange(server.Port(), "GET " + secret + "/classes/Demo.class HTTP/1.0\r\n\r\n").status, 200);
}

// A client that sends too much, or too little, is answered and dropped; others are still served.
TEST_F(PreviewServerFixture, HostileClientsNeitherHangNorStopIt) {
    server.SetTimeout(300);
    EXPECT_EQ(Exchange(server.Port(), "GET /" + QByteArray(TPreviewServer::MaxRequestSize + 10, 'a')).status,
              431);

    QTcpSocket slow;
    slow.connectToHost(QHostAddress::LocalHost, server.Port());
    ASSERT_TRUE(slow.waitForConnected(2000));
    slow.write("GET /classes/Demo.class HTTP/1.1\r\n");
    EXPECT_EQ(Get("/classes/Demo.class").status, 200); // served meanwhile
    QEventLoop loop;
    QObject::connect(&slow, &QTcpSocket::disconnected, &loop, &QEventLoop::quit);
    QTimer::singleShot(3000, &loop, &QEventLoop::quit);
    if (slow.state() == QAbstractSocket::ConnectedState)
        loop.exec();
    EXPECT_EQ(slow.state(), QAbstractSocket::UnconnectedState);
    EXPECT_TRUE(slow.readAll().startsWith("HTTP/1.1 408 "));

    // A new preview replaces the one served.
    server.SetPreview(QString::fromStdString(dir.file("ZARpage.html")), {}, {});
    EXPECT_EQ(Get("/classes/Demo.class").status, 404);
}

// Without the secret, to a hidden name, to a folder never served, or with two Host headers: nothing.
TEST_F(PreviewServerFixture, RefusesStrangersHiddenFilesAndPrivateFolders) {
    fs::create_directories(dir.path() / "web/.git");
    fs::create_directories(dir.path() / "web/classes/.ssh");
    WriteFile(dir.file("web/.git/config"), "secret");
    WriteFile(dir.file("web/classes/.ssh/id_rsa"), "secret");
    WriteFile(dir.file("web/.hidden.class"), "secret");
    fs::create_symlink(dir.path() / "web/.git/config", dir.path() / "web/config.txt");
    ASSERT_EQ(::mkfifo(dir.file("web/pipe.class").c_str(), 0600), 0); // opening it must not hang
    const std::string web = dir.dir() + "web/";
    const std::string code = dir.dir() + "code/";
    const std::string home = QDir::homePath().toStdString() + "/";
    QByteArray wrong = secret;
    wrong[1] = wrong[1] == 'A' ? 'B' : 'A';
    struct Case {
        std::string webRoot, codeBase;
        QByteArray request;
        int status;
        std::string refused;
    };
    const QByteArray host = HostLine();
    for (const Case& c : {
             Case{web, code, "GET /classes/Demo.class HTTP/1.1\r\n" + host, 404, {}},
             Case{web, code, "GET " + wrong + "/classes/Demo.class HTTP/1.1\r\n" + host, 404, {}},
             Case{web, code, "GET " + secret + " HTTP/1.1\r\n" + host, 404, {}},
             Case{web, code, "GET /~zarn/code/Lib.jar HTTP/1.0\r\n", 404, {}},
             Case{web, code, "GET " + secret + "/.git/config HTTP/1.1\r\n" + host, 403, {}},
             Case{web, code, "GET " + secret + "/%2egit/config HTTP/1.1\r\n" + host, 403, {}},
             Case{web, code, "GET " + secret + "/classes/.ssh/id_rsa HTTP/1.1\r\n" + host, 403, {}},
             Case{web, code, "GET " + secret + "/.hidden.class HTTP/1.1\r\n" + host, 403, {}},
             Case{web, code, "GET " + secret + "/config.txt HTTP/1.1\r\n" + host, 403, {}},
             Case{web, code, "GET " + secret + "/pipe.class HTTP/1.1\r\n" + host, 404, {}},
             Case{web, code, "GET " + secret + "/classes/Demo.class HTTP/1.1\r\n" + host + host, 400, {}},
             Case{web, "/etc/", "GET " + secret + "/~zarn/code/passwd HTTP/1.1\r\n" + host, 403,
                  "code base /etc/: it is a system folder"},
             Case{web, "/usr/share/", "GET " + secret + "/~zarn/code/ HTTP/1.1\r\n" + host, 403,
                  "code base /usr/share/: it is a system folder"},
             Case{"/", code, "GET " + secret + "/etc/passwd HTTP/1.1\r\n" + host, 403,
                  "web root /: it is the file system's root"},
             Case{home, code, "GET " + secret + "/.bashrc HTTP/1.1\r\n" + host, 403,
                  "web root " + home + ": it is a home folder"},
         }) {
        SCOPED_TRACE(c.request.toStdString());
        served = server.Serve(dir.file("ZARpage.html"), c.webRoot, c.codeBase);
        ASSERT_TRUE(served);
        EXPECT_NE(served->refused.find(c.refused), std::string::npos) << served->refused;
        EXPECT_EQ(served->refused.empty(), c.refused.empty()) << served->refused;
        const TReply reply = Exchange(server.Port(), c.request + "\r\n");
        EXPECT_EQ(reply.status, c.status);
        EXPECT_FALSE(reply.body.contains("secret")) << reply.body.toStdString();
        EXPECT_EQ(reply.Header("X-Content-Type-Options"), "nosniff");
    }
}

// The page allows scripts from its own origin only, and the in-browser runtime's when it is on.
TEST_F(PreviewServerFixture, ThePageCarriesItsScriptPolicy) {
    const QByteArray page = "/~zarn/preview/ZARpage.html";
    const TReply plain = Get(page);
    EXPECT_EQ(plain.status, 200);
    EXPECT_EQ(plain.Header("Content-Security-Policy"), "script-src 'self'");
    EXPECT_EQ(plain.Header("X-Content-Type-Options"), "nosniff");
    server.SetRuntime(true);
    const QByteArray policy = Get(page).Header("Content-Security-Policy");
    const QByteArray loader = CheerpJLoaderURL;
    EXPECT_TRUE(
        policy.startsWith("script-src 'self' " + loader.left(loader.lastIndexOf('/') + 1) + " 'sha256-"))
        << policy.toStdString();
    const TReply file = Get("/classes/Demo.class");
    EXPECT_EQ(file.Header("X-Content-Type-Options"), "nosniff");
    EXPECT_TRUE(file.Header("Content-Security-Policy").isEmpty());
}

// One program holding many idle connections does not keep the browser out.
TEST_F(PreviewServerFixture, ServesWhileManyIdleConnectionsAreHeld) {
    std::vector<std::unique_ptr<QTcpSocket>> idle;
    for (int i = 0; i < 40; ++i) {
        idle.push_back(std::make_unique<QTcpSocket>());
        idle.back()->connectToHost(QHostAddress::LocalHost, server.Port());
        ASSERT_TRUE(idle.back()->waitForConnected(2000));
        if (i % 2 == 0)
            idle.back()->write("GET "); // a request begun and never finished
    }
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(Get("/~zarn/preview/ZARpage.html").status, 200);
    EXPECT_LT(clock.elapsed(), 3000);
}

} // namespace
} // namespace zarn
