#include "client/qt/desktop/desktop_notifier.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace qc::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
// The notifications whose click is still reported.
constexpr std::size_t kRemembered = 64;

}  // namespace

DesktopNotifier::DesktopNotifier(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {
    if (!bus_.isConnected()) {
        return;
    }
    bus_.connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                 SLOT(ActionInvoked(uint, QString)));
    bus_.connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                 SLOT(Closed(uint, uint)));
}

bool DesktopNotifier::Available() const {
    QDBusConnectionInterface* daemon = bus_.isConnected() ? bus_.interface() : nullptr;
    if (daemon == nullptr) {
        return false;
    }
    // A daemon that is started on demand counts as there.
    return daemon->isServiceRegistered(kService).value() ||
           daemon->activatableServiceNames().value().contains(kService);
}

void DesktopNotifier::Show(int id, const QString& title, const QString& text) {
    if (knowCapabilities_) {
        Send({id, title, text});
        return;
    }
    waiting_.push_back({id, title, text});
    if (askedCapabilities_) {
        return;
    }
    // Asked on first use, not at start: a daemon started on demand is not
    // started by a client that never notifies.
    askedCapabilities_ = true;
    const QDBusMessage ask = QDBusMessage::createMethodCall(kService, kPath, kInterface,
                                                            QStringLiteral("GetCapabilities"));
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        const QDBusPendingReply<QStringList> reply = *w;
        markup_ = !reply.isError() && reply.value().contains(QStringLiteral("body-markup"));
        knowCapabilities_ = true;
        w->deleteLater();
        std::vector<Pending> waiting;
        waiting.swap(waiting_);
        for (const Pending& p : waiting) {
            Send(p);
        }
    });
}

void DesktopNotifier::Send(const Pending& p) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("urgency"), QVariant::fromValue<uchar>(1));
    // Names come from the server: where the body is markup they are text.
    const QString body = markup_ ? p.text.toHtmlEscaped() : p.text;
    call << QCoreApplication::applicationName() << uint(0) << QString() << p.title << body
         << QStringList{QStringLiteral("default"), tr("Open")} << hints << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    const int id = p.id;
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, id](QDBusPendingCallWatcher* w) {
                const QDBusPendingReply<uint> reply = *w;
                if (!reply.isError()) {
                    shown_[reply.value()] = id;
                    if (shown_.size() > kRemembered) {
                        shown_.erase(shown_.begin());
                    }
                }
                w->deleteLater();
            });
}

void DesktopNotifier::ActionInvoked(uint notification, const QString& action) {
    const auto it = shown_.find(notification);
    if (it == shown_.end() || action != QStringLiteral("default")) {
        return;
    }
    const int id = it->second;
    if (clicked) {
        clicked(id);
    }
}

void DesktopNotifier::Closed(uint notification, uint) {
    shown_.erase(notification);
}

}  // namespace qc::qt
