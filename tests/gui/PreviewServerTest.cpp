#include "TestUtil.h"

#include "ui/PreviewServer.h"

#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>

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
    }
    void TearDown() override {
        server.Stop();
        EXPECT_FALSE(server.IsListening());
    }

    TReply Get(const QByteArray& path, const QByteArray& extra = {}, const QByteArray& method = "GET") {
        return Exchange(server.Port(), method + " " + path + " HTTP/1.1\r\nHost: 127.0.0.1:" +
                                           QByteArray::number(server.Port()) + "\r\n" + extra + "\r\n");
    }

    TempDir dir;
    TPreviewServer server;
    std::optional<TServedPreview> served;
};

TEST_F(PreviewServerFixture, ServesThePageAndFilesWithRanges) {
    const std::string origin = server.Origin().toStdString();
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
    EXPECT_EQ(
        Exchange(server.Port(), "GET /classes/Demo.class HTTP/1.1\r\nHost: evil.test:" + port + "\r\n\r\n")
            .status,
        403);
    EXPECT_EQ(Exchange(server.Port(), "GET /classes/Demo.class HTTP/1.1\r\n\r\n").status, 400);
    EXPECT_EQ(Exchange(server.Port(), "GET /classes/Demo.class HTTP/1.0\r\n\r\n").status, 200);
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

} // namespace
} // namespace zarn
