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

// The X screen as the person sees it: a dump by xwd, read as RGB pixels.
struct Screen {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;  // 0xRRGGBB

    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                      static_cast<std::size_t>(x)];
    }
};

// Reads the ZPixmap dump xwd writes for a true-colour screen.
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
                // The least significant byte first, or the most.
                v |= quint32(p[byteOrder == 0 ? i : bytesPerPixel - 1 - i]) << (8 * i);
            }
            const quint32 r = (v & redMask) >> shift(redMask);
            const quint32 g = (v & greenMask) >> shift(greenMask);
            const quint32 b = (v & blueMask) >> shift(blueMask);
            screen.pixels[std::size_t(y) * width + x] = (r << 16) | (g << 8) | b;
        }
    }
    return screen;
}

// Keeps what the screen showed, for a failure to be looked at.
void Save(const Screen& s, const QString& path) {
    QImage image(s.width, s.height, QImage::Format_RGB32);
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            image.setPixel(x, y, 0xff000000u | s.At(x, y));
        }
    }
    image.save(path);
}

// The bounding box of the pixels of one colour.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};
Box Find(const Screen& s, std::uint32_t colour) {
    Box b;
    for (int y = 0; y < s.height; ++y) {
        for (int x = 0; x < s.width; ++x) {
            if (s.At(x, y) == colour) {
                b.left = std::min(b.left, x);
                b.top = std::min(b.top, y);
                b.right = std::max(b.right, x);
                b.bottom = std::max(b.bottom, y);
            }
        }
    }
    return b;
}

// The first place, from the top, where a row of at least `run` pixels of
// one colour starts: a filled area, not a stray pixel of a drawn text.
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

// Pixels in a cell that are neither of the two cell colours: a piece.
int PiecePixels(const Screen& s, int left, int top, int size) {
    int n = 0;
    for (int y = top + 6; y < top + size - 6; ++y) {
        for (int x = left + 6; x < left + size - 6; ++x) {
            const std::uint32_t c = s.At(x, y);
            n += c != 0x009696 && c != 0xa03c28;
        }
    }
    return n;
}

// The real client on an X server of its own, driven by real mouse clicks,
// against a real game server.
class DesktopClicksE2E : public TwoUserServerTest {
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
                     // Without it the server resets whenever its last client
                     // (a screen dump) leaves, and refuses the next meanwhile.
                     QStringLiteral("-noreset")});
        ASSERT_TRUE(WaitFor([&] { return xvfb_.canReadLine(); }, 10000));
        display_ = QStringLiteral(":") + QString::fromLatin1(xvfb_.readLine().trimmed());
        // The display is named before every client is let in: wait until one is.
        ASSERT_TRUE(WaitFor(
            [&] {
                return Run(QStringLiteral("xdotool"), {QStringLiteral("getdisplaygeometry")}) == 0;
            },
            10000));
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
        return p.exitCode();
    }
    std::optional<Screen> Grab() {
        QByteArray dump;
        const int code =
            Run(QStringLiteral("xwd"), {QStringLiteral("-root"), QStringLiteral("-silent")}, &dump);
        if (code != 0) {
            return std::nullopt;
        }
        return ReadXwd(dump);
    }
    void Click(int x, int y, int count = 1) {
        Run(QStringLiteral("xdotool"),
            {QStringLiteral("mousemove"), QString::number(x), QString::number(y),
             QStringLiteral("click"), QStringLiteral("--repeat"), QString::number(count),
             QStringLiteral("1")});
    }

    QProcess xvfb_;
    QProcess client_;
    QString display_;
};

TEST_F(DesktopClicksE2E, ClicksOnE2AndE4MoveThePawnAndTheBoardRedraws) {
    // Alice has a game against the bot, with white; her client shows the game
    // list at the top left of the screen when it starts.
    {
        Client alice(port_);
        alice.setup->login.QVID = "alice";
        alice.setup->login.PWHash = account::Swordfish("pw-alice");
        alice.setup->Connect();
        ASSERT_TRUE(WaitFor([&] { return alice.setup->status().State() != 0; }));
        alice.setup->Send(cmd::BotRequest(0, "Standard", false, "1", "days"));
        ASSERT_TRUE(WaitFor([&] { return !alice.setup->game.GameID.empty(); }));
        alice.setup->Send(cmd::Disconnect());
    }
    QDir().mkpath(dir_.filePath(QStringLiteral("config/quorvel-chess")));
    QDir().mkpath(dir_.filePath(QStringLiteral("run")));
    QFile::setPermissions(dir_.filePath(QStringLiteral("run")),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    {
        QFile ini(dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(("[main]\r\nQVID=alice\r\nPW=" + account::Swordfish("pw-alice") +
                   "\r\nOpenGameList=1\r\nPlaySound=0\r\n[windows]\r\n"
                   "GameListX=0\r\nGameListY=0\r\nGameWinX=0\r\nGameWinY=0\r\nShowChat=1\r\n")
                      .c_str());
    }
    client_.setProcessEnvironment(Env());
    // A display that refuses a first client now and then gets a second try.
    for (int attempt = 0; attempt < 2; ++attempt) {
        client_.start(QStringLiteral(QC_CLIENT_EXE),
                      {QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(port_)});
        ASSERT_TRUE(client_.waitForStarted(5000));
        if (!client_.waitForFinished(1500)) {
            break;
        }
    }
    ASSERT_EQ(client_.state(), QProcess::Running) << client_.readAllStandardError().toStdString();

    // The game list's first row: just below the grid's header, whose cells
    // are the only (48, 48, 48) areas on the screen.
    std::optional<Screen> s;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && !Find(*s, 0x303030).Empty() && !Find(*s, 0x0099ff).Empty() &&
                   Run(QStringLiteral("xdotool"),
                       {QStringLiteral("search"), QStringLiteral("--name"),
                        QStringLiteral("Quorvel Chess - alice")}) == 0;
        },
        20000))
        << "client " << (client_.state() == QProcess::Running ? "running" : "ended") << ", exit "
        << client_.exitCode() << ": " << client_.readAllStandardError().toStdString()
        << (s ? (Save(*s, QStringLiteral("/tmp/desktop-clicks.png")),
                 " (screen in /tmp/desktop-clicks.png)")
              : " (no screen dump)");
    // The rows arrive with the lists after the login.
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s.has_value();
        },
        3000));
    QTest::qWait(1500);
    s = Grab();
    ASSERT_TRUE(s);
    const auto header = FindRun(*s, 0x303030, 30);
    ASSERT_TRUE(header.has_value());
    // The first data row starts where the black cells begin below the header.
    const int rowX = header->first + 20;
    int headerBottom = header->second;
    while (headerBottom < header->second + 80 && s->At(rowX, headerBottom) != 0x000000) {
        ++headerBottom;
    }
    Click(rowX, headerBottom + 8, 2);

    // The game window opens over the list; find its board by the cell colours.
    Box board;
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            board = s ? Find(*s, 0x009696) : Box{};
            return !board.Empty() && board.right - board.left > 300;
        },
        10000))
        << "the game window did not open; clicked at " << rowX << "," << headerBottom + 8
        << (s ? (Save(*s, QStringLiteral("/tmp/desktop-clicks.png")),
                 " (screen in /tmp/desktop-clicks.png)")
              : "");
    QTest::qWait(500);
    s = Grab();
    board = Find(*s, 0x009696);
    const int cell = (board.right - board.left + 1) / 8;
    ASSERT_EQ(cell, 40) << "cells of 40 pixels";
    auto centre = [&](int file, int rank) {
        return std::pair{board.left + file * cell + cell / 2,
                         board.top + (8 - rank) * cell + cell / 2};
    };
    EXPECT_GT(PiecePixels(*s, board.left + 4 * cell, board.top + 6 * cell, cell), 50)
        << "a pawn on e2";
    EXPECT_EQ(PiecePixels(*s, board.left + 4 * cell, board.top + 4 * cell, cell), 0) << "e4 empty";

    const auto [e2x, e2y] = centre(4, 2);
    Click(e2x, e2y);
    QTest::qWait(700);
    const auto [e4x, e4y] = centre(4, 4);
    Click(e4x, e4y);
    // The server's reply, and the bot's answer, redraw the board.
    ASSERT_TRUE(WaitFor(
        [&] {
            s = Grab();
            return s && PiecePixels(*s, board.left + 4 * cell, board.top + 4 * cell, cell) > 50;
        },
        10000))
        << "the pawn did not arrive on e4";
    EXPECT_EQ(PiecePixels(*s, board.left + 4 * cell, board.top + 6 * cell, cell), 0)
        << "e2 is empty now";
}

}  // namespace
}  // namespace qc::e2e
