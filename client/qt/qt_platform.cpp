#include "client/qt/qt_platform.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QHostInfo>
#include <QLocale>
#include <QMessageBox>
#include <QNetworkDatagram>
#include <QTimer>

#include "client/core/account/cp1252.h"

namespace qc::qt {

QString FromWire(const std::string& bytes) {
    return QString::fromStdU16String(Cp1252ToUtf16(bytes));
}

std::string ToWire(const QString& text) {
    return Utf16ToCp1252(text.toStdU16String());
}

namespace {

class QtTimer : public platform::Timer {
  public:
    QtTimer(int interval, std::function<void()> onTick) {
        timer_.setInterval(interval);
        QObject::connect(&timer_, &QTimer::timeout, [tick = std::move(onTick)] { tick(); });
    }
    void SetInterval(int ms) override { timer_.setInterval(ms); }
    int Interval() const override { return timer_.interval(); }
    void SetEnabled(bool enabled) override {
        // Enabling a running timer keeps its phase.
        if (enabled && !timer_.isActive()) {
            timer_.start();
        } else if (!enabled) {
            timer_.stop();
        }
    }
    bool Enabled() const override { return timer_.isActive(); }

  private:
    QTimer timer_;
};

}  // namespace

std::unique_ptr<platform::Timer> QtTimerFactory::CreateTimer(int intervalMs,
                                                             std::function<void()> onTick) {
    return std::make_unique<QtTimer>(intervalMs, std::move(onTick));
}

platform::CivilTime QtClock::LocalNow() const {
    const QDateTime now = QDateTime::currentDateTime();
    const QDate d = now.date();
    const QTime t = now.time();
    return {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
}

std::string QtDateTimeFormat::DateTime(const platform::CivilTime& t) {
    const QLocale locale;
    QString format = locale.dateFormat(QLocale::ShortFormat) + QLatin1Char(' ') +
                     locale.timeFormat(QLocale::LongFormat);
    // The long time format may name the time zone: these times have none.
    format.remove(QLatin1Char('t')).replace(QStringLiteral("  "), QStringLiteral(" "));
    const QDateTime dt(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second));
    return ToWire(locale.toString(dt, format.trimmed()));
}

std::string QtDateTimeFormat::Date(const platform::CivilTime& t) {
    return ToWire(QLocale().toString(QDate(t.year, t.month, t.day), QLocale::ShortFormat));
}

void QtEventLoop::ProcessPendingEvents() {
    QCoreApplication::processEvents();
}

platform::MessageAnswer QtDialogs::MessageBox(const std::string& text,
                                              platform::MessageButtons buttons) {
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Quorvel Chess"),
                    FromWire(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    if (buttons == platform::MessageButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
    }
    const int result = box.exec();
    if (buttons == platform::MessageButtons::Ok) {
        return platform::MessageAnswer::Ok;
    }
    return result == QMessageBox::Yes ? platform::MessageAnswer::Yes : platform::MessageAnswer::No;
}

QtUdpSocket::QtUdpSocket() {
    connect(&socket_, &QUdpSocket::readyRead, this, [this] {
        if (onDataArrival) {
            onDataArrival();
        }
    });
}

void QtUdpSocket::Close() {
    socket_.close();
}

bool QtUdpSocket::Bind() {
    return socket_.bind(QHostAddress::Any, 0);
}

bool QtUdpSocket::SetRemote(const std::string& host, std::uint16_t port) {
    remotePort_ = port;
    remote_.clear();
    if (host.empty()) {
        return true;
    }
    const QString name = FromWire(host);
    QHostAddress literal;
    if (literal.setAddress(name)) {
        remote_ = literal;
        return true;
    }
    const QHostInfo info = QHostInfo::fromName(name);
    // Prefer IPv4: servers commonly listen on it only.
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
            remote_ = a;
            return true;
        }
    }
    if (!info.addresses().isEmpty()) {
        remote_ = info.addresses().first();
        return true;
    }
    return false;
}

bool QtUdpSocket::SendDatagram(const std::string& bytes) {
    if (remote_.isNull() || socket_.state() != QAbstractSocket::BoundState) {
        return false;
    }
    const qint64 written = socket_.writeDatagram(bytes.data(), static_cast<qint64>(bytes.size()),
                                                 remote_, remotePort_);
    return written == static_cast<qint64>(bytes.size());
}

bool QtUdpSocket::ReadPending(std::string& out) {
    while (socket_.hasPendingDatagrams()) {
        const QNetworkDatagram d = socket_.receiveDatagram();
        if (!d.isValid()) {
            return false;
        }
        if (d.senderPort() != remotePort_ ||
            !d.senderAddress().isEqual(remote_, QHostAddress::TolerantConversion)) {
            continue;
        }
        const QByteArray data = d.data();
        out.append(data.constData(), static_cast<std::size_t>(data.size()));
    }
    return true;
}

}  // namespace qc::qt
