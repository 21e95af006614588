#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QUdpSocket>
#include <memory>
#include <string>

#include "client/platform/clock.h"
#include "client/platform/datagram_socket.h"
#include "client/platform/dialogs.h"
#include "client/platform/event_loop.h"
#include "client/platform/locale.h"
#include "client/platform/timer.h"

namespace qc::qt {

// Qt's logical pixels are device independent: one is 15 twips.
inline constexpr double kTwipsPerPixel = 15.0;

// Windows-1252 bytes to and from Qt strings.
QString FromWire(const std::string& bytes);
std::string ToWire(const QString& text);

class QtTimerFactory : public platform::TimerFactory {
  public:
    std::unique_ptr<platform::Timer> CreateTimer(int intervalMs,
                                                 std::function<void()> onTick) override;
};

class QtClock : public platform::Clock {
  public:
    platform::CivilTime LocalNow() const override;
};

// The user's locale: short date, and the time with seconds.
class QtDateTimeFormat : public platform::DateTimeFormat {
  public:
    std::string DateTime(const platform::CivilTime& t) override;
    std::string Date(const platform::CivilTime& t) override;
};

class QtEventLoop : public platform::EventLoop {
  public:
    void ProcessPendingEvents() override;
};

class QtDialogs : public platform::Dialogs {
  public:
    platform::MessageAnswer MessageBox(const std::string& text,
                                       platform::MessageButtons buttons) override;
};

// The game server's UDP socket. Only datagrams from the server's address and
// port are passed on; anything else is dropped unread.
class QtUdpSocket : public QObject, public platform::DatagramSocket {
    Q_OBJECT
  public:
    QtUdpSocket();
    void Close() override;
    bool Bind() override;
    bool SetRemote(const std::string& host, std::uint16_t port) override;
    bool SendDatagram(const std::string& bytes) override;
    bool ReadPending(std::string& out) override;

    std::uint16_t LocalPort() const { return socket_.localPort(); }

  private:
    QUdpSocket socket_;
    QHostAddress remote_;
    std::uint16_t remotePort_ = 0;
};

}  // namespace qc::qt
