// The banner service's TCP side in this process, with short time-outs and a
// small connection limit: pieces, floods, silence, readers that never read.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTcpSocket>
#include <chrono>
#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "server/banner_server.h"
#include "tests/server/qt_wait.h"

namespace qc::server {
namespace {

using namespace std::chrono_literals;

using qc::server::testing::Until;

QByteArray RandomBytes(qsizetype size, unsigned seed) {
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    for (char& c : bytes) {
        c = static_cast<char>(random());
    }
    return bytes;
}

class BannerServerTest : public ::testing::Test {
  protected:
    static constexpr int kLimit = 3;
    static constexpr std::chrono::milliseconds kTimeout = 1000ms;

    BannerServerTest()
        : rotation({{"a.png", "variants.html", "\x89PNG\r\n\x1a\n-a"},
                    {"b.gif", "http://example.org/b", RandomBytes(3 * 1024 * 1024, 7)}}),
          server(rotation, BannerServer::Limits{kLimit, kTimeout, 64},
                 [this](std::string_view line) { log.emplace_back(line); }) {}

    void SetUp() override {
        QString error;
        ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error)) << error.toStdString();
    }

    std::unique_ptr<QTcpSocket> Connect() {
        auto socket = std::make_unique<QTcpSocket>();
        socket->connectToHost(QHostAddress::LocalHost, server.Port());
        Until([&] { return socket->state() == QAbstractSocket::ConnectedState; });
        return socket;
    }

    // Reads a whole reply: the header line and the bytes it counts.
    static QByteArray Reply(QTcpSocket& socket) {
        QByteArray got;
        Until([&] {
            got += socket.readAll();
            const qsizetype cr = got.indexOf('\r');
            return cr >= 0 && got.size() - cr - 1 >= got.left(cr).split(' ').first().toLongLong();
        });
        return got;
    }

    static bool Closed(QTcpSocket& socket) {
        return socket.state() == QAbstractSocket::UnconnectedState;
    }

    int argc = 1;
    char name[16] = "qc_server_tests";
    char* argv[1] = {name};
    QCoreApplication app{argc, argv};
    std::vector<std::string> log;
    BannerRotation rotation;
    BannerServer server;
};

TEST_F(BannerServerTest, ARequestInPiecesGetsTheWholeBannersInTurn) {
    const QByteArray first = "10 variants.html\r\x89PNG\r\n\x1a\n-a";
    const QByteArray second = "3145728 http://example.org/b\r" + rotation.Banners()[1].picture;
    for (const QByteArray& expected : {first, second, first}) {
        auto client = Connect();
        for (const char* piece : {"Ad", " Che", "ss v1", ".20"}) {
            client->write(piece);
            Until([] { return false; }, 30ms);
        }
        EXPECT_EQ(Reply(*client), expected);
        client->close();
    }
    EXPECT_TRUE(Until([&] { return server.Connections() == 0; }));
}

TEST_F(BannerServerTest, NothingIsSentBeforeTheWholePrefixIsIn) {
    auto client = Connect();
    client->write("Ad Chess");
    Until([] { return false; }, 200ms);
    EXPECT_EQ(client->bytesAvailable(), 0);
    EXPECT_FALSE(Closed(*client));
    client->write(" v1.20");
    EXPECT_THAT(Reply(*client).toStdString(), ::testing::StartsWith("10 variants.html\r"));
}

TEST_F(BannerServerTest, AWrongRequestIsClosedWithoutAReplyAndTakesNoTurn) {
    for (const QByteArray& request :
         {QByteArray("GET / HTTP/1.1\r\nHost: x\r\n\r\n"), QByteArray("ad chess v1.20"),
          QByteArray("Ad Chesx"), QByteArray(200, '\0')}) {
        auto client = Connect();
        client->write(request);
        EXPECT_TRUE(Until([&] { return Closed(*client); }, 2s)) << request.toStdString();
        EXPECT_EQ(client->readAll(), "") << request.toStdString();
    }
    auto client = Connect();
    client->write("Ad Chess v1.20");
    EXPECT_THAT(Reply(*client).toStdString(), ::testing::StartsWith("10 variants.html\r"));
}

TEST_F(BannerServerTest, AClientThatFloodsAfterItsRequestStillGetsItsBanner) {
    auto client = Connect();
    client->write("Ad Chess v1.20" + QByteArray(4 * 1024 * 1024, 'x'));
    EXPECT_THAT(Reply(*client).toStdString(), ::testing::StartsWith("10 variants.html\r"));
}

// A raw socket that connects and then does nothing at all, not even read.
class IdleSocket {
  public:
    explicit IdleSocket(quint16 port, const char* request = "") {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        int small = 4096;
        setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &small, sizeof small);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
        const std::string bytes = request;
        connected_ = connected_ && (bytes.empty() || ::send(fd_, bytes.data(), bytes.size(), 0) ==
                                                         static_cast<ssize_t>(bytes.size()));
    }
    ~IdleSocket() { close(fd_); }
    IdleSocket(const IdleSocket&) = delete;
    IdleSocket& operator=(const IdleSocket&) = delete;
    bool Connected() const { return connected_; }

  private:
    int fd_ = -1;
    bool connected_ = false;
};

TEST_F(BannerServerTest, SilentAndNonReadingClientsAreDroppedAfterTheTimeOut) {
    IdleSocket silent(server.Port());
    rotation.Next();  // the non-reader gets the large picture
    IdleSocket nonReader(server.Port(), "Ad Chess v1.20");
    ASSERT_TRUE(silent.Connected());
    ASSERT_TRUE(nonReader.Connected());
    QElapsedTimer timer;
    timer.start();
    ASSERT_TRUE(Until([&] { return server.Connections() == 2; }));
    Until([] { return false; }, 100ms);  // the non-reader's request is answered

    // Meanwhile the service answers others at once.
    auto client = Connect();
    client->write("Ad Chess v1.20");
    EXPECT_THAT(Reply(*client).toStdString(), ::testing::StartsWith("10 variants.html\r"));
    EXPECT_LT(timer.elapsed(), kTimeout.count());

    EXPECT_TRUE(Until([&] { return server.Connections() == 0; }, 5s));
    EXPECT_GE(timer.elapsed(), kTimeout.count() - 50);
    // The reader above kept its connection open: the time-out closed it too.
    EXPECT_TRUE(Until([&] { return Closed(*client); }, 1s));
}

TEST_F(BannerServerTest, ConnectionsBeyondTheLimitAreClosedAtOnce) {
    std::vector<std::unique_ptr<QTcpSocket>> open;
    for (int i = 0; i < kLimit; ++i) {
        open.push_back(Connect());
    }
    ASSERT_TRUE(Until([&] { return server.Connections() == kLimit; }));
    // The server closes it as soon as it has it, which may be before this
    // side has seen it open.
    QTcpSocket refused;
    bool connected = false;
    QObject::connect(&refused, &QTcpSocket::connected, [&] { connected = true; });
    QElapsedTimer timer;
    timer.start();
    refused.connectToHost(QHostAddress::LocalHost, server.Port());
    EXPECT_TRUE(Until([&] { return connected && Closed(refused); }, 2s));
    EXPECT_LT(timer.elapsed(), kTimeout.count());
    EXPECT_EQ(refused.readAll(), "");
    EXPECT_EQ(server.Connections(), kLimit);

    // A place that comes free takes a new client.
    open.front()->abort();
    ASSERT_TRUE(Until([&] { return server.Connections() == kLimit - 1; }));
    auto next = Connect();
    next->write("Ad Chess v1.20");
    EXPECT_THAT(Reply(*next).toStdString(), ::testing::StartsWith("10 variants.html\r"));
}

TEST(BannerServerEmptyTest, WithoutBannersEveryRequestIsClosed) {
    int argc = 1;
    char name[] = "qc_server_tests";
    char* argv[] = {name};
    QCoreApplication app(argc, argv);
    BannerRotation rotation({});
    BannerServer server(rotation, {}, [](std::string_view) {});
    QString error;
    ASSERT_TRUE(server.Listen(QHostAddress::LocalHost, 0, error));
    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, server.Port());
    client.write("Ad Chess v1.20");
    EXPECT_TRUE(Until([&] { return client.state() == QAbstractSocket::UnconnectedState; }));
    EXPECT_EQ(client.readAll(), "");
}

}  // namespace
}  // namespace qc::server
