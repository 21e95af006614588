// The banner service of the server executable over loopback TCP, next to its
// game service over UDP.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "process_util.h"

namespace qc::server::testing {
namespace {

using ::testing::ElementsAre;
using ::testing::StartsWith;

const QByteArray kPngSignature("\x89PNG\r\n\x1a\n", 8);

// Starts the server with a banner service on a free port; the banner port,
// or 0 if the start lines were not as they should be.
std::uint16_t StartWithBanners(ServerProcess& server, const std::string& db,
                               const std::vector<std::string>& more = {}, bool captureErr = false) {
    std::vector<std::string> args{"--banner-port", "0"};
    args.insert(args.end(), more.begin(), more.end());
    if (!server.Start(db, args, captureErr)) {
        return 0;
    }
    const std::string line = server.ReadLine(std::chrono::seconds(10));
    const std::string prefix = "quorvel-server banners on port ";
    if (line.rfind(prefix, 0) != 0) {
        ADD_FAILURE() << "second start line: " << line;
        return 0;
    }
    return static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
}

struct Reply {
    QByteArray header;   // up to the CR
    QByteArray picture;  // what followed it
};

// Connects, sends the request and reads the header and as many bytes as it
// counts; then closes, as the client does.
std::optional<Reply> Fetch(std::uint16_t port, const QByteArray& request = "Ad Chess v1.20") {
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    if (!socket.waitForConnected(5000)) {
        return std::nullopt;
    }
    socket.write(request);
    socket.waitForBytesWritten(5000);
    QByteArray got;
    qsizetype cr = -1;
    qint64 count = -1;
    while (count < 0 || got.size() - cr - 1 < count) {
        if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(5000)) {
            break;
        }
        got += socket.readAll();
        cr = got.indexOf('\r');
        if (cr >= 0 && count < 0) {
            count = got.left(cr).split(' ').first().toLongLong();
        }
    }
    if (cr < 0) {
        return std::nullopt;
    }
    Reply reply{got.left(cr), got.mid(cr + 1)};
    socket.close();
    return reply;
}

// Whether a guest login over UDP gets its answer.
bool LoggedIn(UdpClient& guest) {
    const std::vector<std::string> lines = guest.Ask("guest connect v1.20 *", "update:");
    return std::any_of(lines.begin(), lines.end(),
                       [](const std::string& l) { return l.rfind("update:", 0) == 0; });
}

// Whether the server closes the connection without a byte, within `within`.
bool ClosedWithoutReply(QTcpSocket& socket, int within) {
    QElapsedTimer timer;
    timer.start();
    while (socket.state() == QAbstractSocket::ConnectedState && timer.elapsed() < within) {
        socket.waitForReadyRead(100);
        if (socket.bytesAvailable() > 0) {
            return false;
        }
    }
    return socket.state() == QAbstractSocket::UnconnectedState && socket.bytesAvailable() == 0;
}

TEST(ProcessBannerTest, BuiltInBannersInTurnAndAWrongRequestClosed) {
    TempDb db("banners");
    ServerProcess server;
    const std::uint16_t port = StartWithBanners(server, std::string(db));
    ASSERT_NE(port, 0);

    std::vector<std::string> links;
    for (int i = 0; i < 4; ++i) {
        std::optional<Reply> reply = Fetch(port);
        ASSERT_TRUE(reply) << i;
        const QList<QByteArray> fields = reply->header.split(' ');
        ASSERT_EQ(fields.size(), 2) << reply->header.toStdString();
        EXPECT_EQ(fields[0].toLongLong(), reply->picture.size());
        EXPECT_GT(reply->picture.size(), 1000);
        EXPECT_TRUE(reply->picture.startsWith(kPngSignature)) << i;
        links.push_back(fields[1].toStdString());
    }
    EXPECT_THAT(links,
                ElementsAre("variants.html", "scoreboard.html", "help.html", "variants.html"));

    for (const char* request : {"GET / HTTP/1.0\r\n\r\n", "Ad Chesz v1.20"}) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, port);
        ASSERT_TRUE(socket.waitForConnected(5000));
        socket.write(request);
        EXPECT_TRUE(ClosedWithoutReply(socket, 3000)) << request;
    }
    // A wrong request takes no turn.
    std::optional<Reply> reply = Fetch(port);
    ASSERT_TRUE(reply);
    EXPECT_EQ(reply->header.split(' ').value(1), "scoreboard.html");

    // The game service was not disturbed.
    UdpClient guest(server.Port());
    EXPECT_TRUE(LoggedIn(guest));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ProcessBannerTest, ASilentClientIsDroppedAfterTenSecondsWhileGamesGoOn) {
    TempDb db("banner-silent");
    ServerProcess server;
    const std::uint16_t port = StartWithBanners(server, std::string(db));
    ASSERT_NE(port, 0);
    QTcpSocket silent;
    silent.connectToHost(QHostAddress::LocalHost, port);
    ASSERT_TRUE(silent.waitForConnected(5000));
    QElapsedTimer timer;
    timer.start();

    // Banners and games are served while it waits.
    std::optional<Reply> reply = Fetch(port);
    ASSERT_TRUE(reply);
    EXPECT_TRUE(reply->picture.startsWith(kPngSignature));
    UdpClient guest(server.Port());
    EXPECT_TRUE(LoggedIn(guest));
    EXPECT_LT(timer.elapsed(), 5000);

    EXPECT_TRUE(ClosedWithoutReply(silent, 20000));
    EXPECT_GE(timer.elapsed(), 9000);
    EXPECT_LT(timer.elapsed(), 15000);
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ProcessBannerTest, BannersFromAFolder) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::vector<std::pair<QString, QByteArray>> files = {
        {"2-second.gif", "GIF89a and the rest of it"},
        {"2-second.link", "http://example.org/second\n"},
        {"1-first.png", kPngSignature + "first"},
        {"1-first.link", "rules.html\n"},
        {"3-third.jpg", "\xFF\xD8\xFF third"},
        {"4-junk.png", "not a picture"},
    };
    for (const auto& [name, bytes] : files) {
        QFile file(dir.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    TempDb db("banner-folder");
    ServerProcess server;
    const std::uint16_t port =
        StartWithBanners(server, std::string(db), {"--banners", dir.path().toStdString()}, true);
    ASSERT_NE(port, 0);
    EXPECT_EQ(server.ReadErrorLine(std::chrono::seconds(5)),
              "quorvel-server: banner '" + dir.filePath("4-junk.png").toStdString() +
                  "' left out: not a PNG, JPEG, GIF or BMP picture");

    std::vector<std::string> got;
    for (int i = 0; i < 4; ++i) {
        std::optional<Reply> reply = Fetch(port);
        ASSERT_TRUE(reply) << i;
        got.push_back((reply->header + '|' + reply->picture).toStdString());
    }
    EXPECT_THAT(got, ElementsAre("13 rules.html|\x89PNG\r\n\x1a\nfirst",
                                 "25 http://example.org/second|GIF89a and the rest of it",
                                 "9 |\xFF\xD8\xFF third", "13 rules.html|\x89PNG\r\n\x1a\nfirst"));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ProcessBannerTest, AFolderThatCannotBeReadGivesALineAndTheBuiltInBanners) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string missing = dir.filePath("missing").toStdString();
    TempDb db("banner-missing");
    ServerProcess server;
    const std::uint16_t port =
        StartWithBanners(server, std::string(db), {"--banners", missing}, true);
    ASSERT_NE(port, 0);
    EXPECT_EQ(server.ReadErrorLine(std::chrono::seconds(5)),
              "quorvel-server: cannot read the banner folder '" + missing +
                  "': no such folder; serving the built-in banners");
    std::optional<Reply> reply = Fetch(port);
    ASSERT_TRUE(reply);
    EXPECT_THAT(reply->header.toStdString(), ::testing::EndsWith(" variants.html"));
    EXPECT_TRUE(reply->picture.startsWith(kPngSignature));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
}

TEST(ProcessBannerTest, NoBannerServiceWithoutItsPort) {
    TempDb db("banner-off");
    ServerProcess server;
    ASSERT_TRUE(server.Start(std::string(db)));
    server.Signal(SIGTERM);
    EXPECT_EQ(server.Wait(), 0);
    EXPECT_EQ(server.ReadLine(std::chrono::seconds(2)), "");
}

TEST(ProcessBannerTest, ABannerPortInUseStopsTheStartWithExitCode1) {
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const std::string port = std::to_string(taken.serverPort());
    TempDb db("banner-busy");
    ServerProcess::Output run = ServerProcess::Capture(
        {"--port", "0", "--bind", "127.0.0.1", "--db", std::string(db), "--banner-port", port});
    EXPECT_EQ(run.code, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_THAT(run.err, StartsWith("quorvel-server: cannot listen on banner port " + port + ": "));
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    EXPECT_THAT(run.err, ::testing::EndsWith("\n"));
}

}  // namespace
}  // namespace qc::server::testing
