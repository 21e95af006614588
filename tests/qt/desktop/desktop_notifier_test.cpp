#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QVariantMap>

#include "client/qt/desktop/desktop_notifier.h"

namespace qc::qt {
namespace {

// A notification service as the desktop's daemon offers it: it records what
// it is asked to show and numbers the notifications from 7 on.
class FakeNotifications : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
  public:
    struct Shown {
        QString app, title, body;
        QStringList actions;
    };
    std::vector<Shown> shown;
    QStringList capabilities{QStringLiteral("body"), QStringLiteral("actions")};

  public slots:
    QStringList GetCapabilities() { return capabilities; }
    uint Notify(const QString& app, uint, const QString&, const QString& title, const QString& body,
                const QStringList& actions, const QVariantMap&, int) {
        shown.push_back({app, title, body, actions});
        return static_cast<uint>(6 + shown.size());
    }

  signals:
    void ActionInvoked(uint id, const QString& action);
    void NotificationClosed(uint id, uint reason);
};

// A session bus of the test's own, the fake service on one connection and
// the notifier on another. The bus starts services only from the test's own
// folder, not the machine's: a daemon installed there is no service here.
class DesktopNotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        if (QStandardPaths::findExecutable(QStringLiteral("dbus-daemon")).isEmpty()) {
            GTEST_SKIP() << "dbus-daemon is not installed (scripts/bootstrap installs it)";
        }
        ASSERT_TRUE(dir_.isValid());
        QFile config(dir_.filePath(QStringLiteral("bus.conf")));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/"
                "busconfig.dtd\">\n<busconfig><type>session</type>"
                "<listen>unix:tmpdir=%1</listen><auth>EXTERNAL</auth><servicedir>%1</servicedir>"
                "<policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/>"
                "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>\n")
                .arg(dir_.path())
                .toUtf8());
        config.close();
        daemon_.start(QStringLiteral("dbus-daemon"),
                      {QStringLiteral("--config-file=") + config.fileName(),
                       QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return daemon_.canReadLine(); }, 10000));
        address_ = QString::fromLatin1(daemon_.readLine().trimmed());
    }
    void TearDown() override {
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-service"));
        QDBusConnection::disconnectFromBus(QStringLiteral("notify-client"));
        daemon_.kill();
        daemon_.waitForFinished(5000);
    }
    QDBusConnection Connect(const QString& name) {
        return QDBusConnection::connectToBus(address_, name);
    }
    // Puts the service on the bus.
    void Offer(FakeNotifications& service) {
        QDBusConnection bus = Connect(QStringLiteral("notify-service"));
        ASSERT_TRUE(bus.registerObject(
            QStringLiteral("/org/freedesktop/Notifications"), &service,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals));
        ASSERT_TRUE(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    }
    void Invoke(uint id, const QString& action) {
        QDBusMessage signal = QDBusMessage::createSignal(
            QStringLiteral("/org/freedesktop/Notifications"),
            QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("ActionInvoked"));
        signal << id << action;
        Connect(QStringLiteral("notify-service")).send(signal);
    }

    QTemporaryDir dir_;
    QProcess daemon_;
    QString address_;
};

TEST_F(DesktopNotifierTest, AvailableWithAServiceOnTheBusOrOneStartedOnDemand) {
    DesktopNotifier notifier(Connect(QStringLiteral("notify-client")));
    EXPECT_FALSE(notifier.Available());
    DesktopNotifier none(QDBusConnection(QStringLiteral("no such bus")));
    EXPECT_FALSE(none.Available());
    // A daemon the bus would start when first called.
    QFile service(dir_.filePath(QStringLiteral("notifications.service")));
    ASSERT_TRUE(service.open(QIODevice::WriteOnly));
    service.write("[D-BUS Service]\nName=org.freedesktop.Notifications\nExec=/bin/false\n");
    service.close();
    EXPECT_TRUE(notifier.Available());
}

TEST_F(DesktopNotifierTest, ShowsWithADefaultActionAndReportsItsClickByTheIdGiven) {
    FakeNotifications service;
    Offer(service);
    ASSERT_FALSE(HasFatalFailure());
    DesktopNotifier notifier(Connect(QStringLiteral("notify-client")));
    ASSERT_TRUE(notifier.Available());
    std::vector<int> clicked;
    notifier.clicked = [&](int id) { clicked.push_back(id); };
    notifier.Show(41, QStringLiteral("Quorvel Chess"), QStringLiteral("Your move against bob"));
    notifier.Show(42, QStringLiteral("Quorvel Chess"), QStringLiteral("a<b & c"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 2; }, 5000));
    EXPECT_EQ(service.shown[0].title, QStringLiteral("Quorvel Chess"));
    EXPECT_EQ(service.shown[0].body, QStringLiteral("Your move against bob"));
    ASSERT_FALSE(service.shown[0].actions.isEmpty());
    EXPECT_EQ(service.shown[0].actions[0], QStringLiteral("default"));
    // A service without markup shows the text as it is.
    EXPECT_EQ(service.shown[1].body, QStringLiteral("a<b & c"));
    QTest::qWait(100);  // the numbers the service gave come back

    // The service numbered them 7 and 8; a click on 8 is ours 42.
    Invoke(8, QStringLiteral("default"));
    Invoke(99, QStringLiteral("default"));  // somebody else's
    Invoke(7, QStringLiteral("other"));     // not the default action
    ASSERT_TRUE(QTest::qWaitFor([&] { return !clicked.empty(); }, 5000));
    QTest::qWait(100);
    EXPECT_EQ(clicked, std::vector<int>{42});
}

TEST_F(DesktopNotifierTest, WhereTheBodyIsMarkupTheTextIsEscaped) {
    FakeNotifications service;
    service.capabilities << QStringLiteral("body-markup");
    Offer(service);
    ASSERT_FALSE(HasFatalFailure());
    DesktopNotifier notifier(Connect(QStringLiteral("notify-client")));
    notifier.Show(1, QStringLiteral("Quorvel Chess"), QStringLiteral("<b>bob</b> & co"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.shown.size() == 1; }, 5000));
    EXPECT_EQ(service.shown[0].body, QStringLiteral("&lt;b&gt;bob&lt;/b&gt; &amp; co"));
}

}  // namespace
}  // namespace qc::qt

#include "desktop_notifier_test.moc"
