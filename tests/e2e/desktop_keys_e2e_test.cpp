#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTest>
#include <QtEndian>
#include <optional>

#include "client/core/account/password.h"
#include "client/core/protocol/commands.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

namespace cmd = protocol::cmd;

// The X screen as xwd dumps it (a true-colour ZPixmap), as 0xRRGGBB pixels.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
    void Save(const QString& path) const {
        QImage image(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                image.setPixel(x, y, 0xff000000u | At(x, y));
            }
        }
        image.save(path);
    }
};

std::optional<Screen> ReadXwd(const QByteArray& data) {
    auto card = [&](int i) { return qFromBigEndian<quint32>(data.constData() + 4 * i); };
    if (data.size() < 100) {
        return std::nullopt;
    }
    const quint32 headerSize = card(0), width = card(4), height = card(5), byteOrder = card(7),
                  bitsPerPixel = card(11), bytesPerLine = card(12), redMask = card(14),
                  greenMask = card(15), blueMask = card(16), ncolors = card(19);
    const qint64 start = qint64(headerSize) + qint64(ncolors) * 12;
    const quint32 bytesPerPixel = bitsPerPixel / 8;
    if ((bitsPerPixel != 32 && bitsPerPixel != 24) || bytesPerLine < width * bytesPerPixel ||
        width == 0 || height == 0 || data.size() < start + qint64(bytesPerLine) * height) {
        return std::nullopt;
    }
    auto shift = [](quint32 mask) {
        int s = 0;
        while (mask != 0 && (mask & 1) == 0) {
            mask >>= 1;
            ++s;
        }
        return s;
    };
    Screen screen;
    screen.width = static_cast<int>(width);
    screen.height = static_cast<int>(height);
    screen.pixels.resize(std::size_t(width) * height);
    for (quint32 y = 0; y < height; ++y) {
        const char* row = data.constData() + start + qint64(y) * bytesPerLine;
        for (quint32 x = 0; x < width; ++x) {
            const auto* p = reinterpret_cast<const unsigned char*>(row + bytesPerPixel * x);
            quint32 v = 0;
            for (quint32 i = 0; i < bytesPerPixel; ++i) {
                v |= quint32(p[byteOrder == 0 ? i : bytesPerPixel - 1 - i]) << (8 * i);
            }
            screen.pixels[std::size_t(y) * width + x] =
                (((v & redMask) >> shift(redMask)) << 16) |
                (((v & greenMask) >> shift(greenMask)) << 8) | ((v & blueMask) >> shift(blueMask));
        }
    }
    return screen;
}

// The top-left corner of the area of one colour, or nothing.
std::optional<std::pair<int, int>> TopLeftOf(const Screen& s, std::uint32_t colour) {
    int left = s.width, top = s.height;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.At(x, y) == colour) {
                left = std::min(left, x);
                top = std::min(top, y);
            }
        }
    }
    if (left == s.width) {
        return std::nullopt;
    }
    return std::pair{left, top};
}

// The first place, from the top, where a run of `run` pixels of one colour
// starts: a filled area, not a stray pixel of a text.
std::optional<std::pair<int, int>> FindRun(const Screen& s, std::uint32_t colour, int run) {
    for (int y = 0; y < s.height; ++y) {
        int length = 0;
        for (int x = 0; x < s.width; ++x) {
            length = s.At(x, y) == colour ? length + 1 : 0;
            if (length == run) {
                return std::pair{x - run + 1, y};
            }
        }
    }
    return std::nullopt;
}

// The real client on an X server of its own, typed at with real key events,
// against a real game server; bob's side is a client core.
class DesktopKeysE2E : public TwoUserServerTest {
  protected:
    void SetUp() override {
        for (const char* tool : {"Xvfb", "xdotool", "xwd"}) {
            if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty()) {
                GTEST_SKIP() << tool << " is not installed (scripts/bootstrap installs it)";
            }
        }
        StartServer({QStringLiteral("--rate"), QStringLiteral("100000")});
        ASSERT_FALSE(HasFatalFailure());
        xvfb_.start(QStringLiteral("Xvfb"),
                    {QStringLiteral("-displayfd"), QStringLiteral("1"), QStringLiteral("-screen"),
                     QStringLiteral("0"), QStringLiteral("1280x900x24"),
                     QStringLiteral("-nolisten"), QStringLiteral("tcp"),
                     // A server that resets whenever its last client (an xwd)
                     // leaves refuses the client that connects meanwhile.
                     QStringLiteral("-noreset")});
        ASSERT_TRUE(WaitFor([&] { return xvfb_.canReadLine(); }, 10000));
        display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine().trimmed());
    }
    void TearDown() override {
        if (client_.state() != QProcess::NotRunning) {
            client_.terminate();
            client_.waitForFinished(5000);
        }
        xvfb_.kill();
        xvfb_.waitForFinished(5000);
    }

    QProcessEnvironment Env() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), display_);
        env.remove(QStringLiteral("QT_QPA_PLATFORM"));
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir_.filePath(QStringLiteral("config")));
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), dir_.filePath(QStringLiteral("run")));
        return env;
    }
    int Run(const QString& program, const QStringList& args, QByteArray* out = nullptr) {
        QProcess p;
        p.setProcessEnvironment(Env());
        p.start(program, args);
        p.waitForFinished(10000);
        if (out != nullptr) {
            *out = p.readAllStandardOutput();
        }
        return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    }
    int Xdotool(const QStringList& args) { return Run(QStringLiteral("xdotool"), args); }
    std::optional<Screen> Grab() {
        QByteArray dump;
        if (Run(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent")},
                &dump) != 0) {
            return std::nullopt;
        }
        return ReadXwd(dump);
    }
    bool WindowNamed(const QString& pattern) {
        return Xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                        QStringLiteral("--name"), pattern}) == 0;
    }
    void Click(int x, int y, int count = 1) {
        Xdotool({QStringLiteral("mousemove"), QString::number(x), QString::number(y),
                 QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
                 QStringLiteral("1")});
    }
    void Key(const QString& keys) { Xdotool({QStringLiteral("key"), keys}); }
    // A screen for a failure message to point at.
    std::string Keep(const std::optional<Screen>& s) {
        if (!s) {
            return " (no screen dump)";
        }
        s->Save(QStringLiteral("/tmp/desktop-keys.png"));
        return " (screen in /tmp/desktop-keys.png)";
    }

    QProcess xvfb_;
    QProcess client_;
    QString display_;
};

TEST_F(DesktopKeysE2E, ChatLineByReturnAndResignByAltRReachTheServer) {
    // Bob asks alice for a game, and alice accepts it from a core of her own.
    Client bob(port_);
    bob.setup->login.QVID = "bob";
    bob.setup->login.PWHash = account::Swordfish("pw-bob");
    bob.setup->Connect();
    ASSERT_TRUE(WaitFor([&] { return bob.setup->status().State() != 0; }));
    std::string id;
    {
        Client alice(port_);
        alice.setup->login.QVID = "alice";
        alice.setup->login.PWHash = account::Swordfish("pw-alice");
        alice.setup->Connect();
        ASSERT_TRUE(WaitFor([&] { return alice.setup->status().State() != 0; }));
        cmd::RequestForm form;
        form.opponent = "alice";
        form.gameType = "Standard";
        form.timeAmount = "3";
        form.timeUnit = "days";
        bob.setup->Send(cmd::Request(form));
        ASSERT_TRUE(WaitFor([&] {
            alice.setup->Send(cmd::GameList());
            return WaitFor([&] { return !alice.setup->gameLists.ReqsForData[0].ID.empty(); }, 500);
        }));
        alice.setup->Send(cmd::Accept(alice.setup->gameLists.ReqsForData[0].ID));
        ASSERT_TRUE(WaitFor([&] { return !alice.setup->game.GameID.empty(); }));
        id = alice.setup->game.GameID;
        alice.setup->Send(cmd::Disconnect());
    }
    // Asks for the game's chat or the game itself until bob's core has what is awaited.
    auto bobSees = [&](const std::string& line, const std::function<bool()>& done) {
        return WaitFor(
            [&] {
                bob.setup->Send(line);
                return WaitFor(done, 500);
            },
            10000);
    };
    ASSERT_TRUE(bobSees(cmd::Game(id), [&] { return bob.setup->game.GameID == id; }));
    ASSERT_NE(bob.setup->game.GameStatus.substr(0, 1), "e");

    // The real client as alice, the game list and the game window at the top
    // left, the chat unfolded.
    QDir().mkpath(dir_.filePath(QStringLiteral("config/quorvel-chess")));
    QDir().mkpath(dir_.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir_.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    {
        QFile ini(dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(("[main]\r\nQVID=alice\r\nPW=" + account::Swordfish("pw-alice") +
                   "\r\nOpenGameList=1\r\nPlaySound=0\r\n[windows]\r\n"
                   "GameListX=0\r\nGameListY=0\r\nGameWinX=0\r\nGameWinY=0\r\n"
                   "ShowLog=1\r\nShowChat=1\r\n")
                      .c_str());
    }
    client_.setProcessEnvironment(Env());
    // Its complaints, if any, belong in the test's log.
    client_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    client_.start(QStringLiteral(QC_CLIENT_EXE),
                  {QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(port_)});
    ASSERT_TRUE(client_.waitForStarted(5000));

    // The game list's first row lies just below the header of its first grid,
    // the top (48, 48, 48) area on the screen; the rows come with the lists.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && FindRun(*s, 0x303030, 30) &&
                   WindowNamed(QStringLiteral("Quorvel Chess - alice"));
        },
        20000))
        << Keep(s);
    QTest::qWait(1500);
    s = Grab();
    ASSERT_TRUE(s);
    const auto header = FindRun(*s, 0x303030, 30);
    ASSERT_TRUE(header);
    const int rowX = header->first + 20;
    int headerBottom = header->second;
    while (headerBottom < header->second + 80 && s->At(rowX, headerBottom) != 0x000000) {
        ++headerBottom;
    }
    Click(rowX, headerBottom + 8, 2);

    // The game window opens over the list: its board's light cells place it.
    std::optional<std::pair<int, int>> board;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            board = s ? TopLeftOf(*s, 0x009696) : std::nullopt;
            return board && WindowNamed(QStringLiteral("Quorvel Chess - Game"));
        },
        10000))
        << "the game window did not open" << Keep(s);
    QTest::qWait(500);
    s = Grab();
    board = TopLeftOf(*s, 0x009696);
    ASSERT_TRUE(board);
    // The window's corner: the board lies 104 pixels in and 44 down. The
    // chat input is the line at the foot of the 604 pixels high window.
    const int winX = board->first - 104, winY = board->second - 44;
    Click(winX + 200, winY + 604 - 14);
    QTest::qWait(300);

    // Typed and sent with Return.
    Xdotool({QStringLiteral("type"), QStringLiteral("--delay"), QStringLiteral("40"),
             QStringLiteral("good luck bob")});
    Key(QStringLiteral("Return"));
    EXPECT_TRUE(bobSees(
        cmd::Chat(id),
        [&] { return bob.setup->game.ChatText.find("good luck bob") != std::string::npos; }))
        << "bob's chat: " << bob.setup->game.ChatText << Keep(Grab());
    // One press, one line.
    QTest::qWait(500);
    bob.setup->game.ChatText.clear();
    ASSERT_TRUE(bobSees(cmd::Chat(id), [&] { return !bob.setup->game.ChatText.empty(); }));
    std::size_t lines = 0;
    for (std::size_t at = 0;
         (at = bob.setup->game.ChatText.find("good luck bob", at)) != std::string::npos; ++at) {
        ++lines;
    }
    EXPECT_EQ(lines, 1u) << bob.setup->game.ChatText;

    // Alt+R asks whether to resign; Return takes the box's default, Yes.
    Key(QStringLiteral("alt+r"));
    ASSERT_TRUE(WaitFor([&] { return WindowNamed(QStringLiteral("^Quorvel Chess$")); }, 5000))
        << "no confirmation box" << Keep(Grab());
    QTest::qWait(300);
    Key(QStringLiteral("Return"));
    EXPECT_TRUE(bobSees(cmd::Game(id),
                        [&] {
                            return bob.setup->game.GameID == id &&
                                   bob.setup->game.GameStatus.substr(0, 1) == "e";
                        }))
        << "status " << bob.setup->game.GameStatus << Keep(Grab());
}

}  // namespace
}  // namespace qc::e2e
