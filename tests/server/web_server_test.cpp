// The HTTP side of the web pages in this process, with a short connection
// life and a small connection limit: answers, silence, floods, crowds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "server/core/store.h"
#include "server/web/site.h"
#include "server/web_server.h"
#include "tests/server/qt_wait.h"

namespace qc::server {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

using qc::server::testing::Until;

class WebServerTest : public ::testing::Test {
  protected:
    static constexpr int kLimit = 3;
    static constexpr std::chrono::milliseconds kLife = 800ms;

    WebServerTest() : store(":memory:"), site(store, config), server(site, {kLimit, kLife, 4096}) {}

    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<QTcpSocket> Connect() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server.Port());
        EXPECT_TRUE(Until([&] { return socket->state() == QAbstractSocket::ConnectedState; }));
        return socket;
    }

    // Sends a request and reads until the response is whole or the server closes.
    QByteArray Ask(QTcpSocket& socket, const QByteArray& request) {
        socket.write(request);
        QByteArray got;
        Until([&] {
            got += socket.readAll();
            const qsizetype end = got.indexOf("\r\n\r\n");
            if (end < 0) {
                return socket.state() != QAbstractSocket::ConnectedState;
            }
            const qsizetype at = got.indexOf("Content-Length: ");
            const qsizetype length =
                at >= 0 ? got.mid(at + 16).split('\r').first().toLongLong() : 0;
            return request.startsWith("HEAD") || got.size() >= end + 4 + length;
        });
        return got;
    }

    bool ClosedByServer(QTcpSocket& socket, std::chrono::milliseconds timeout) {
        return Until(
            [&] {
                socket.readAll();
                return socket.state() == QAbstractSocket::UnconnectedState;
            },
            timeout);
    }

    int argc = 1;
    char name[16] = "qc_server_tests";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    Config config;
    Store store;
    web::Site site;
    WebServer server;
};

TEST_F(WebServerTest, AnswersGetAndHeadWithTheSameHeaders) {
    auto a = Connect();
    const QByteArray get = Ask(*a, "GET /help.html HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(get.startsWith("HTTP/1.1 200")) << get.left(200).toStdString();
    EXPECT_THAT(get.toStdString(), HasSubstr("Content-Type: text/html; charset=utf-8"));
    EXPECT_TRUE(get.endsWith("</html>\n"));
    const QByteArray length = get.mid(get.indexOf("Content-Length: ")).split('\r').first();

    auto b = Connect();
    const QByteArray head = Ask(*b, "HEAD /help.html HTTP/1.1\r\nHost: x\r\n\r\n");
    EXPECT_TRUE(head.startsWith("HTTP/1.1 200"));
    EXPECT_THAT(head.toStdString(), HasSubstr(length.toStdString()));
    // Nothing follows the head, even after a while.
    Until([] { return false; }, 200ms);
    EXPECT_TRUE(b->readAll().isEmpty());
    EXPECT_TRUE(head.endsWith("\r\n\r\n"));
}

TEST_F(WebServerTest, SilentConnectionsEndAfterTheirLife) {
    auto silent = Connect();
    QElapsedTimer timer;
    timer.start();
    EXPECT_TRUE(ClosedByServer(*silent, 3s));
    EXPECT_GE(timer.elapsed(), 600);
    EXPECT_TRUE(Until([&] { return server.Connections() == 0; }));
}

TEST_F(WebServerTest, AFloodClosesTheConnection) {
    auto flood = Connect();
    QByteArray request = "GET / HTTP/1.1\r\nHost: x\r\n";
    request += "X-Filler: " + QByteArray(8000, 'x') + "\r\n\r\n";
    flood->write(request);
    EXPECT_TRUE(ClosedByServer(*flood, 500ms));
    auto next = Connect();
    EXPECT_TRUE(Ask(*next, "GET / HTTP/1.1\r\nHost: x\r\n\r\n").startsWith("HTTP/1.1 200"));
}

TEST_F(WebServerTest, ConnectionsBeyondTheLimitAreClosedAtOnce) {
    std::vector<std::unique_ptr<QTcpSocket>> held;
    for (int i = 0; i < kLimit; ++i) {
        held.push_back(Connect());
    }
    ASSERT_TRUE(Until([&] { return server.Connections() == kLimit; }));
    // Closed as soon as it is accepted, perhaps before this side saw it open.
    QTcpSocket extra;
    extra.connectToHost(QHostAddress::LocalHost, server.Port());
    EXPECT_TRUE(ClosedByServer(extra, 300ms));
    EXPECT_EQ(server.Connections(), kLimit);
    // Once the crowd has gone, a new client is served.
    EXPECT_TRUE(Until([&] { return server.Connections() == 0; }));
    auto later = Connect();
    EXPECT_TRUE(Ask(*later, "GET / HTTP/1.1\r\nHost: x\r\n\r\n").startsWith("HTTP/1.1 200"));
}

}  // namespace
}  // namespace qc::server
