#pragma once

#include <QHostAddress>
#include <QObject>
#include <QString>
#include <QTcpSocket>
#include <QUdpSocket>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/platform/clock.h"
#include "client/platform/datagram_socket.h"
#include "client/platform/dialogs.h"
#include "client/platform/event_loop.h"
#include "client/platform/locale.h"
#include "client/platform/stream_socket.h"
#include "client/platform/timer.h"

namespace qc::qt {

// Qt's logical pixels are device independent: one is 15 twips.
inline constexpr double kTwipsPerPixel = 15.0;

// Windows-1252 bytes to and from Qt strings.
QString FromWire(const std::string& bytes);
std::string ToWire(const QString& text);

// Local paths to and from Qt strings: any character the file system holds.
std::filesystem::path ToPath(const QString& path);
QString FromPath(const std::filesystem::path& path);

// Quitting while a modal box or a yield runs its own event loop would pull
// the loop out from under the code that opened it. A quit asked for then
// closes the open boxes and waits; it runs from the main loop once the last
// nested loop has ended (or, before the main loop starts, as soon as it does).
class QuitGate {
  public:
    explicit QuitGate(std::function<void()> quit);
    ~QuitGate();
    QuitGate(const QuitGate&) = delete;
    QuitGate& operator=(const QuitGate&) = delete;

    void RequestQuit();
    bool Pending() const { return pending_; }

    // Marks a nested event loop for as long as it lives.
    class Nested {
      public:
        Nested();
        ~Nested();
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;
    };
    // The gate of this program, if one exists.
    static QuitGate* Current();

  private:
    void Schedule();

    std::function<void()> quit_;
    bool pending_ = false;
    bool scheduled_ = false;
    int depth_ = 0;
};

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
    std::string Fixed(double value, int decimals) override;
};

class QtEventLoop : public platform::EventLoop {
  public:
    void ProcessPendingEvents() override;
};

// Modal boxes. A box that is open when the program is asked to quit is
// closed with its default "no" answer, and none opens after that.
class QtDialogs : public platform::Dialogs {
  public:
    platform::MessageAnswer MessageBox(const std::string& text,
                                       platform::MessageButtons buttons) override;
    std::optional<std::filesystem::path> OpenFile(const std::string& title,
                                                  const std::vector<platform::FileFilter>& filters,
                                                  const std::filesystem::path& current) override;
};

// The game server's UDP socket. Only datagrams from the server's address and
// port are passed on; anything else is dropped unread. The arrival event is
// The banner's TCP connection. After Close no signal of the old connection
// reaches the core.
class QtStreamSocket : public QObject, public platform::StreamSocket {
    Q_OBJECT
  public:
    QtStreamSocket();
    void Connect(const std::string& host, std::uint16_t port) override;
    void Write(const std::string& bytes) override;
    void Close() override;

  private:
    QTcpSocket socket_;
    bool active_ = false;
};

// raised from the event loop, never from inside the socket's own read
// notification: a handler that opens a modal box must not stop the socket
// from reporting the next datagram.
class QtUdpSocket : public QObject, public platform::DatagramSocket {
    Q_OBJECT
  public:
    QtUdpSocket();
    void Close() override;
    bool Bind() override;
    bool SetRemote(const std::string& host, std::uint16_t port) override;
    bool SendDatagram(const std::string& bytes) override;
    std::optional<std::size_t> ReadPending(std::string& out) override;

    std::uint16_t LocalPort() const { return socket_.localPort(); }

  private:
    void Drain();
    void Arrived();

    // Datagrams read from Qt but not yet handed on.
    std::vector<QByteArray> received_;
    bool readFailed_ = false;
    bool arrivalQueued_ = false;
    QUdpSocket socket_;
    QHostAddress remote_;
    std::uint16_t remotePort_ = 0;
};

}  // namespace qc::qt
