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

using platform::TrayEvent;

TEST(QtTray, ActivationsBecomeEvents) {
    std::vector<TrayEvent> events;
    qt::QtTray tray;
    tray.onEvent = [&](TrayEvent e) { events.push_back(e); };
    tray.Activated(QSystemTrayIcon::Context);
    EXPECT_EQ(events, (std::vector<TrayEvent>{TrayEvent::ContextMenu}));
    events.clear();
    // Two clicks within the double-click interval are a double click on
    // trays that report none of their own.
    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(events,
              (std::vector<TrayEvent>{TrayEvent::Click, TrayEvent::Click, TrayEvent::DoubleClick}));
    // The tray's own report of that double click does not count twice.
    tray.Activated(QSystemTrayIcon::DoubleClick);
    EXPECT_EQ(events.size(), 3u);

    // A tray that reports double clicks itself is taken at its word.
    std::vector<TrayEvent> native;
    qt::QtTray other;
    other.onEvent = [&](TrayEvent e) { native.push_back(e); };
    other.Activated(QSystemTrayIcon::Trigger);
    other.Activated(QSystemTrayIcon::DoubleClick);
    other.Activated(QSystemTrayIcon::Trigger);
    other.Activated(QSystemTrayIcon::Trigger);
    EXPECT_EQ(native, (std::vector<TrayEvent>{TrayEvent::Click, TrayEvent::DoubleClick,
                                              TrayEvent::Click, TrayEvent::Click}));
}

TEST(TrayIcon, EventsBecomeTheButtonMessagesTheClicksAreTestedWith) {
    qt::QtTray tray;
    std::vector<int> messages;
    desktop::TrayIcon icon(tray);
    icon.MouseDown = [&](int b) { messages.push_back(b * 10 + 1); };
    icon.MouseUp = [&](int b) { messages.push_back(b * 10 + 2); };
    icon.MouseDblClick = [&](int b) { messages.push_back(b * 10 + 3); };
    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::Trigger);
    tray.Activated(QSystemTrayIcon::Context);
    // Left down, up; down, up, double click, up; right down, up.
    EXPECT_EQ(messages, (std::vector<int>{11, 12, 11, 12, 13, 12, 21, 22}));
}

TEST(QtTray, TooltipKeepsItsLineBreaks) {
    qt::QtTray tray;
    tray.Add({platform::TrayPicture::Green, "Quorvel Chess\r\nConnecting . . ."});
    EXPECT_EQ(tray.Icon()->toolTip(), QStringLiteral("Quorvel Chess\nConnecting . . ."));
    EXPECT_FALSE(tray.Icon()->icon().isNull());
}

TEST(QtSound, OpenPlayClose) {
    qt::QtSound sound;
    EXPECT_FALSE(sound.IsOpen()) << "nothing is held before the first sound";
    EXPECT_FALSE(sound.Play());  // nothing open
    EXPECT_TRUE(sound.Open("/no/such/file.wav"));
    EXPECT_FALSE(sound.Open("/other.wav")) << "one sound at a time";
    EXPECT_TRUE(sound.Play());  // a missing file plays nothing
    sound.Close();
    EXPECT_FALSE(sound.IsOpen());
    sound.Close();  // closing twice is harmless
    EXPECT_FALSE(sound.Play());
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
    std::size_t accepted = 0;
    for (int i = 0; i < 100 && read.empty(); ++i) {
        QTest::qWait(10);
        const auto n = client.ReadPending(read);
        ASSERT_TRUE(n.has_value());
        accepted += *n;
    }
    EXPECT_EQ(read, "ping\r");
    EXPECT_EQ(accepted, 1u) << "the stranger's datagram is not counted";
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
    fc.setup->ToggleFloater();
    ASSERT_TRUE(floater.isVisible());
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

TEST(FloaterWindow, AStateLandsOnTheControls) {
    fakes::FakeController fc;
    ui::FloaterWindow floater(*fc.setup);
    floater.Render({platform::TrayPicture::Amber, "QVID: bob   Requests: 1", 450, 300, true, true});
    EXPECT_TRUE(floater.isVisible());
    EXPECT_EQ(floater.pos(), QPoint(30, 20));
    EXPECT_EQ(floater.FloatIcon()->toolTip(), QStringLiteral("QVID: bob   Requests: 1"));
    EXPECT_EQ(floater.FloatIcon()->pixmap().toImage(),
              qt::StatusIcon(platform::TrayPicture::Amber, 32).pixmap(32, 32).toImage());
    EXPECT_TRUE(floater.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    floater.Render(
        {platform::TrayPicture::Amber, "QVID: bob   Requests: 1", 450, 300, false, false});
    EXPECT_FALSE(floater.isVisible());
    EXPECT_FALSE(floater.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(floater.pos(), QPoint(30, 20));
}

TEST(FloaterHost, NoWindowUntilShownThenAsTheStateSaid) {
    fakes::FakeController fc;
    ui::FloaterHost host(*fc.setup);
    fc.setup->views().floater = &host;
    fc.setup->prefs.FloaterX = 1500;
    fc.setup->prefs.FloaterY = 3000;
    fc.setup->SetState(2, "QVID: bob\r\nYour move: 1");
    EXPECT_EQ(host.Window(), nullptr) << "loaded, not shown: nothing built";

    fc.setup->ToggleFloater();
    ui::FloaterWindow* w = host.Window();
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->isVisible());
    EXPECT_EQ(w->pos(), QPoint(100, 200));
    EXPECT_TRUE(w->windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(w->FloatIcon()->toolTip(), QStringLiteral("QVID: bob   Your move: 1"));
    EXPECT_EQ(w->FloatIcon()->pixmap().toImage(),
              qt::StatusIcon(platform::TrayPicture::Green, 32).pixmap(32, 32).toImage());

    // Once built, the window itself follows.
    fc.setup->SetState(1, "QVID: bob");
    EXPECT_EQ(w->FloatIcon()->pixmap().toImage(),
              qt::StatusIcon(platform::TrayPicture::Red, 32).pixmap(32, 32).toImage());
    fc.setup->ToggleFloater();
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(host.Window(), w);
}

TEST(TrayMenu, ItemsInTheirOrderAndTheFloaterCheck) {
    fakes::FakeController fc;
    ui::FloaterWindow floater(*fc.setup);
    fc.setup->views().floater = &floater;
    bool exited = false;
    fc.setup->exitProgram = [&] { exited = true; };
    ui::TrayMenu menu(*fc.setup);
    QStringList captions;
    for (QAction* a : menu.Menu()->actions()) {
        captions << (a->isSeparator() ? QStringLiteral("-") : a->text());
    }
    EXPECT_EQ(captions, (QStringList{"Connect / Refresh",
                                     "-",
                                     "Game Window",
                                     "My Games and Requests",
                                     "-",
                                     "Public Game Requests",
                                     "Request Game",
                                     "Local Game",
                                     "Play Bot",
                                     "The Knight's Tour",
                                     "-",
                                     "My Stats",
                                     "My Game History",
                                     "Scoreboard",
                                     "-",
                                     "Purchase Game Slots",
                                     "Purchase SMS Credits",
                                     "-",
                                     "Help",
                                     "Chess Variants",
                                     "-",
                                     "Floating Indicator",
                                     "Settings",
                                     "-",
                                     "Exit Quorvel Chess"}));
    auto item = [&menu](const char* name) { return menu.Item(QString::fromLatin1(name)); };
    item("MenuShowFloater")->trigger();
    EXPECT_TRUE(fc.setup->prefs.ShowFloater);
    EXPECT_TRUE(floater.isVisible());
    menu.Popup(fc.setup->MenuState());
    EXPECT_TRUE(item("MenuShowFloater")->isChecked());
    EXPECT_TRUE(item("MenuShowFloater")->isEnabled());
    menu.Menu()->hide();
    // Without a tray the indicator is the only way in: shown, checked, and
    // not to be hidden.
    menu.Popup({true, false});
    EXPECT_TRUE(item("MenuShowFloater")->isChecked());
    EXPECT_FALSE(item("MenuShowFloater")->isEnabled());
    menu.Menu()->hide();
    item("MenuConnect")->trigger();
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest connect v1.20 *\r"});
    item("MenuPlayBot")->trigger();
    EXPECT_TRUE(fc.setup->playBotForm().IsShown());
    item("MenuExitChess")->trigger();
    EXPECT_TRUE(exited);
}

}  // namespace
}  // namespace qc
