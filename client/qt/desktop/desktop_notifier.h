#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <functional>
#include <map>
#include <vector>

namespace qc::qt {

// Desktop notifications through the session's notification service
// (org.freedesktop.Notifications), with a default action so that a click on
// one is reported: Qt's tray sends its messages there without one, and only
// on desktops whose tray speaks D-Bus. Available() is false where there is
// no such service (Windows, a session without D-Bus or without a daemon);
// the tray's own balloon is used there.
class DesktopNotifier : public QObject {
    Q_OBJECT
  public:
    // `bus`: the session bus, or another for tests.
    explicit DesktopNotifier(QDBusConnection bus = QDBusConnection::sessionBus(),
                             QObject* parent = nullptr);

    bool Available() const;
    // Sends the notification; `id` comes back through clicked.
    void Show(int id, const QString& title, const QString& text);

    std::function<void(int id)> clicked;

  private slots:
    void ActionInvoked(uint notification, const QString& action);
    void Closed(uint notification, uint reason);

  private:
    struct Pending {
        int id;
        QString title;
        QString text;
    };
    void Send(const Pending& p);

    QDBusConnection bus_;
    // The service's notification numbers of the notifications shown.
    std::map<uint, int> shown_;
    // What waits for the service's capabilities, asked for once.
    std::vector<Pending> waiting_;
    bool askedCapabilities_ = false;
    bool knowCapabilities_ = false;
    bool markup_ = false;
};

}  // namespace qc::qt
