#include <gtest/gtest.h>

#include <QNetworkDatagram>
#include <QTest>
#include <QUdpSocket>

#include "client/qt/qt_platform.h"
#include "client/qt/qt_tray.h"
#include "client/ui/desktop/floater_window.h"
#include "client/ui/desktop/tray_menu.h"
#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

TEST(QtTray, ActivationsBecomeMouseMessages) {
    std::vector<int> messages;
    qt::QtTray tray([&](int m) { messages.push_back(m); });
    tray.Activated(QSystemTrayIcon::Context);
    EXPECT_EQ(messages, (std::vector<int>{516, 517}));
    messages.clear();
    // Two clicks within the double-click interval are a double click on
    // trays that report none of their own.
    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(messages, (std::vector<int>{513, 514, 513, 514, 515, 514}));
    // The tray's own report of that double click does not count twice.
    tray.Activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(messages.size(), 6u);

    // A tray that reports double clicks itself is taken at its word.
    std::vector<int> native;
    qt::QtTray other([&](int m) { native.push_back(m); });
    other.Activated(QSystemTrayIcon::Trigger);
    other.Activated(QSystemTrayIcon::DoubleClick);
    other.Activated(QSystemTrayIcon::Trigger);
    other.Activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(native, (std::vector<int>{513, 514, 515, 514, 513, 514, 513, 514}));
}

TEST(QtTray, TooltipKeepsItsLineBreaks) {
    qt::QtTray tray([](int) {});
    tray.Add({platform::TrayPicture::Green, "Quorvel Chess\r\nConnecting . . ."});
    EXPECT_EQ(tray.Icon()->toolTip(), QStringLiteral("Quorvel Chess\nConnecting . . ."));
    EXPECT_FALSE(tray.Icon()->icon().isNull());
}

TEST(QtMedia, CommandStrings) {
    qt::QtMedia media;
    EXPECT_FALSE(media.SendCommand("play YourMove"));  // nothing open
    EXPECT_TRUE(media.SendCommand("open \"/no/such/file.wav\" type waveaudio alias YourMove"));
    EXPECT_FALSE(media.SendCommand("open \"/other.wav\" type waveaudio alias YourMove"));
    EXPECT_FALSE(media.SendCommand("play Other"));
    EXPECT_TRUE(media.SendCommand("play YourMove"));  // a missing file plays nothing
    EXPECT_TRUE(media.SendCommand("close YourMove"));
    EXPECT_FALSE(media.SendCommand("close YourMove"));
    EXPECT_FALSE(media.SendCommand("format c:"));
}

TEST(QtUdpSocket, OnlyTheServersDatagramsAreRead) {
    QUdpSocket server;
    QUdpSocket stranger;
    ASSERT_TRUE(server.bind(QHostAddress::LocalHost, 0));
    ASSERT_TRUE(stranger.bind(QHostAddress::LocalHost, 0));
    qt::QtUdpSocket client;
    int arrivals = 0;
    client.onDataArrival = [&] { ++arrivals; };
    ASSERT_TRUE(client.Bind());
    ASSERT_TRUE(client.SetRemote("127.0.0.1", server.localPort()));
    ASSERT_TRUE(client.SendDatagram("guest connect v1.20 *\r"));
    ASSERT_TRUE(server.waitForReadyRead(2000));
    const QNetworkDatagram login = server.receiveDatagram();
    EXPECT_EQ(login.data(), QByteArray("guest connect v1.20 *\r"));

    stranger.writeDatagram(QByteArray("update:9,9,9,9,x\r"), QHostAddress::LocalHost,
                           client.LocalPort());
    server.writeDatagram(QByteArray("ping\r"), login.senderAddress(), login.senderPort());
    std::string read;
    for (int i = 0; i < 100 && read.empty(); ++i) {
        QTest::qWait(10);
        ASSERT_TRUE(client.ReadPending(read));
    }
    EXPECT_EQ(read, "ping\r");
    EXPECT_GT(arrivals, 0);
    client.Close();
    EXPECT_FALSE(client.SendDatagram("update\r"));
}

TEST(QtUdpSocket, UnknownHostFails) {
    qt::QtUdpSocket client;
    ASSERT_TRUE(client.Bind());
    EXPECT_FALSE(client.SetRemote("no-such-host.invalid", 3819));
    EXPECT_FALSE(client.SendDatagram("x\r"));
}

TEST(FloaterWindow, SizeTooltipAndDrag) {
    fakes::FakeController fc;
    ui::FloaterWindow floater(*fc.setup);
    fc.setup->views().floater = &floater;
    fc.setup->prefs.FloaterX = 1500;
    fc.setup->prefs.FloaterY = 3000;
    fc.setup->SetState(2, "QVID: bob\r\nYour move: 1");
    floater.SetVisible(true);
    EXPECT_EQ(floater.size(), QSize(36, 36));
    EXPECT_TRUE(floater.windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_EQ(floater.pos(), QPoint(100, 200));
    EXPECT_EQ(floater.FloatIcon()->toolTip(), QStringLiteral("QVID: bob   Your move: 1"));
    EXPECT_TRUE(floater.windowFlags().testFlag(Qt::WindowStaysOnTopHint));

    // A drag of 20 pixels right and 10 down is 300 and 150 twips.
    QTest::mousePress(&floater, Qt::LeftButton, {}, QPoint(5, 5));
    QMouseEvent move(QEvent::MouseMove, QPointF(25, 15), floater.mapToGlobal(QPointF(25, 15)),
                     Qt::NoButton, Qt::LeftButton, {});
    QApplication::sendEvent(&floater, &move);
    EXPECT_EQ(fc.setup->prefs.FloaterX, 1800);
    EXPECT_EQ(fc.setup->prefs.FloaterY, 3150);
    EXPECT_EQ(floater.pos(), QPoint(120, 210));
    QTest::mouseRelease(&floater, Qt::LeftButton, {}, QPoint(25, 15));
    EXPECT_TRUE(fc.setup->ConnectTimer().Enabled());

    fc.setup->prefs.FloaterLock = true;
    QTest::mousePress(&floater, Qt::LeftButton, {}, QPoint(5, 5));
    QApplication::sendEvent(&floater, &move);
    EXPECT_EQ(floater.pos(), QPoint(120, 210));

    fc.setup->prefs.FloaterTop = false;
    fc.setup->status().AlwaysOnTop();
    EXPECT_FALSE(floater.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(floater.pos(), QPoint(120, 210));
    EXPECT_TRUE(floater.isVisible());
}

TEST(TrayMenu, ItemsAndTheFloaterCheck) {
    fakes::FakeController fc;
    ui::FloaterWindow floater(*fc.setup);
    fc.setup->views().floater = &floater;
    bool exited = false;
    ui::TrayMenu menu(*fc.setup, [&] { exited = true; });
    EXPECT_EQ(menu.MenuConnect()->text(), QStringLiteral("Connect / Refresh"));
    EXPECT_EQ(menu.MenuExitChess()->text(), QStringLiteral("Exit Quorvel Chess"));
    menu.MenuShowFloater()->trigger();
    EXPECT_TRUE(fc.setup->prefs.ShowFloater);
    EXPECT_TRUE(floater.isVisible());
    menu.Popup(fc.setup->prefs.ShowFloater);
    EXPECT_TRUE(menu.MenuShowFloater()->isChecked());
    menu.Menu()->hide();
    menu.MenuConnect()->trigger();
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest connect v1.20 *\r"});
    menu.MenuExitChess()->trigger();
    EXPECT_TRUE(exited);
}

}  // namespace
}  // namespace qc
