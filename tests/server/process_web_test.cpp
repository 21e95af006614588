// The web pages of the server executable over loopback HTTP, next to its
// game service over UDP.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "client/core/account/password.h"
#include "process_util.h"
#include "server/core/accounts.h"
#include "server/core/store.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::StartsWith;
using namespace std::chrono_literals;

// A TCP connection to the server's web port, spoken to by hand.
class HttpConnection {
  public:
    explicit HttpConnection(std::uint16_t port) {
        fd_ = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(port);
        to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        connected_ = connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) == 0;
    }
    ~HttpConnection() { close(fd_); }
    HttpConnection(const HttpConnection&) = delete;
    HttpConnection& operator=(const HttpConnection&) = delete;

    bool Connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) ==
               static_cast<ssize_t>(bytes.size());
    }

    // Reads one response: its head and as many body bytes as it announces
    // (none for HEAD), or what comes until the connection closes.
    std::string Response(bool head = false, std::chrono::milliseconds timeout = 5s) {
        std::string got;
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::size_t end = got.find("\r\n\r\n");
            if (end != std::string::npos) {
                std::size_t length = 0;
                const std::size_t at = got.find("Content-Length: ");
                if (at != std::string::npos && at < end) {
                    length = std::stoul(got.substr(at + 16));
                }
                if (head || got.size() >= end + 4 + length) {
                    return got;
                }
            }
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char buffer[8192];
            const ssize_t n = recv(fd_, buffer, sizeof buffer, 0);
            if (n <= 0) {
                closed_ = true;
                break;
            }
            got.append(buffer, static_cast<std::size_t>(n));
        }
        return got;
    }
    // True once the server has closed the connection (within the timeout).
    bool ClosedByServer(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!closed_ && std::chrono::steady_clock::now() < deadline) {
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, 50) <= 0) {
                continue;
            }
            char buffer[4096];
            if (recv(fd_, buffer, sizeof buffer, 0) <= 0) {
                closed_ = true;
            }
        }
        return closed_;
    }

  private:
    int fd_ = -1;
    bool connected_ = false;
    bool closed_ = false;
};

std::string Get(std::uint16_t port, const std::string& target, const std::string& method = "GET") {
    HttpConnection c(port);
    EXPECT_TRUE(c.Connected());
    c.Send(method + " " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n\r\n");
    return c.Response(method == "HEAD");
}

class ProcessWebTest : public ::testing::Test {
  protected:
    void SetUp() override {
        {
            // alice has beaten bob by fool's mate; the server starts on it.
            Store store(db);
            Config config;
            const TimePoint at = FromUnixSeconds(1796859900);
            ASSERT_EQ(AddNamedAccount(store, config, "alice", "a", at), AddAccountResult::Added);
            ASSERT_EQ(AddNamedAccount(store, config, "bob", "b", at), AddAccountResult::Added);
            NewGame g{store.FindAccount("bob")->id,
                      store.FindAccount("alice")->id,
                      "",
                      1,
                      "d",
                      1796859900,
                      1796946300,
                      ""};
            Store::Transaction tx(store);
            const std::int64_t id = store.AddGame(g);
            store.RecordMoves(id, "f2f3 e7e5 g2g4 d8h4", 'w', 1796860000, 0);
            store.EndGame(id, GameResult::BlackWins, 1796860000, "checkmate");
            tx.Commit();
        }
        ASSERT_TRUE(server.Start(db, {"--http-port", "0"}));
        const std::string line = server.ReadLine(10s);
        const std::string prefix = "quorvel-server web pages on port ";
        ASSERT_THAT(line, StartsWith(prefix));
        webPort = static_cast<std::uint16_t>(std::stoi(line.substr(prefix.size())));
        ASSERT_NE(webPort, 0);
    }

    TempDb db{"web"};
    ServerProcess server;
    std::uint16_t webPort = 0;
};

TEST_F(ProcessWebTest, ServesPagesRecordsAndErrors) {
    const std::string stats = Get(webPort, "/stats.html?qvid=alice");
    EXPECT_THAT(stats, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(stats, HasSubstr("Content-Type: text/html; charset=utf-8"));
    EXPECT_THAT(stats, HasSubstr("Statistics of alice"));
    EXPECT_THAT(stats, HasSubstr("</html>"));

    const std::string pgn = Get(webPort, "/game/1.pgn");
    EXPECT_THAT(pgn, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(pgn, HasSubstr("Content-Type: application/x-chess-pgn"));
    EXPECT_THAT(pgn, HasSubstr("Content-Disposition: attachment; filename=\"game-1.pgn\""));
    EXPECT_THAT(pgn, HasSubstr("1. f3 e5 2. g4 Qh4# {Checkmate.} 0-1"));

    const std::string missing = Get(webPort, "/no-such-page.html");
    EXPECT_THAT(missing, StartsWith("HTTP/1.1 404"));
    EXPECT_THAT(missing, HasSubstr("no such page"));

    const std::string post = Get(webPort, "/stats.html?qvid=alice", "POST");
    EXPECT_THAT(post, StartsWith("HTTP/1.1 405"));
    EXPECT_THAT(post, HasSubstr("Allow: GET, HEAD"));

    // HEAD: the page's headers, its length, no body.
    const std::string head = Get(webPort, "/help.html", "HEAD");
    EXPECT_THAT(head, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(head, HasSubstr("Content-Length: "));
    EXPECT_EQ(head.substr(head.find("\r\n\r\n") + 4), "");
}

TEST_F(ProcessWebTest, SlowWebClientsNeverHoldUpTheGame) {
    // A client that sends half a request and then waits.
    HttpConnection slow(webPort);
    ASSERT_TRUE(slow.Connected());
    ASSERT_TRUE(slow.Send("GET /index.html HTTP/1.1\r\nHost: 127.0.0.1\r\n"));

    UdpClient alice(server.Port());
    const auto lines = alice.Ask("alice connect v1.20 " + qc::account::Swordfish("a"), "update:");
    EXPECT_THAT(lines, Contains(StartsWith("update:")));
    const auto start = std::chrono::steady_clock::now();
    const auto update = alice.Ask("alice update", "update:");
    EXPECT_THAT(update, Contains(StartsWith("update:")));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
    // Other web clients are served meanwhile.
    EXPECT_THAT(Get(webPort, "/scoreboard.html"), StartsWith("HTTP/1.1 200"));

    // The slow one gets its page when its request is complete.
    ASSERT_TRUE(slow.Send("Connection: close\r\n\r\n"));
    EXPECT_THAT(slow.Response(), StartsWith("HTTP/1.1 200"));
}

TEST_F(ProcessWebTest, AFloodOfBytesClosesTheConnectionAlone) {
    HttpConnection flood(webPort);
    ASSERT_TRUE(flood.Connected());
    std::string request = "GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n";
    for (int i = 0; i < 2000; ++i) {
        request += "X-Filler-" + std::to_string(i) + ": " + std::string(60, 'x') + "\r\n";
    }
    flood.Send(request);
    EXPECT_TRUE(flood.ClosedByServer(5s));
    EXPECT_THAT(Get(webPort, "/"), StartsWith("HTTP/1.1 200"));
}

}  // namespace
}  // namespace qc::server::testing
