#pragma once

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QtEndian>
#include <optional>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace qc::e2e {

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

inline std::optional<Screen> ReadXwd(const QByteArray& data) {
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
inline std::optional<std::pair<int, int>> TopLeftOf(const Screen& s, std::uint32_t colour) {
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
inline std::optional<std::pair<int, int>> FindRun(const Screen& s, std::uint32_t colour, int run) {
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
// The bounding box of the pixels of one colour.
struct Box {
    int left = 1 << 30, top = 1 << 30, right = -1, bottom = -1;
    bool Empty() const { return right < 0; }
};
inline Box Find(const Screen& s, std::uint32_t colour) {
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

// The real client on an X server of its own, driven by xdotool, against a
// real game server; skipped where the tools are missing.
class DesktopTest : public TwoUserServerTest {
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
        // The display is named before every client is let in: wait until one is.
        ASSERT_TRUE(
            WaitFor([&] { return Xdotool({QStringLiteral("getdisplaygeometry")}) == 0; }, 10000));
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
        // A session bus of the test's own, where one was started.
        if (!dbusAddress_.isEmpty()) {
            env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), dbusAddress_);
        }
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
    // Starts the real client against the fixture's server; its complaints,
    // if any, belong in the test's log.
    void StartClient() {
        client_.setProcessEnvironment(Env());
        client_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        client_.start(QStringLiteral(QC_CLIENT_EXE),
                      {QStringLiteral("--server"), QStringLiteral("127.0.0.1:%1").arg(port_)});
        ASSERT_TRUE(client_.waitForStarted(5000));
    }
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
    std::string Keep(const std::optional<Screen>& s, const char* name) {
        if (!s) {
            return " (no screen dump)";
        }
        const QString path = QStringLiteral("/tmp/%1.png").arg(QString::fromLatin1(name));
        s->Save(path);
        return " (screen in " + path.toStdString() + ")";
    }

    // The real client's settings: alice, the game list at the top left of
    // the screen and the game window over it; `windows` adds keys there.
    void WriteAliceSettings(const std::string& windows) {
        QDir().mkpath(dir_.filePath(QStringLiteral("config/quorvel-chess")));
        QDir().mkpath(dir_.filePath(QStringLiteral("run")));
        QFile::setPermissions(dir_.filePath(QStringLiteral("run")), QFileDevice::ReadOwner |
                                                                        QFileDevice::WriteOwner |
                                                                        QFileDevice::ExeOwner);
        QFile ini(dir_.filePath(QStringLiteral("config/quorvel-chess/Quorvel Chess.ini")));
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(("[main]\r\nQVID=alice\r\nPW=" + account::Swordfish("pw-alice") +
                   "\r\nOpenGameList=1\r\nPlaySound=0\r\n[windows]\r\n"
                   "GameListX=0\r\nGameListY=0\r\nGameWinX=0\r\nGameWinY=0\r\n" +
                   windows)
                      .c_str());
    }

    QProcess xvfb_;
    QProcess client_;
    QString display_;
    QString dbusAddress_;
};

}  // namespace qc::e2e
