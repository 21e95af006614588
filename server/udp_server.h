#pragma once

#include <QHostAddress>
#include <QTimer>
#include <QUdpSocket>

#include "server/core/server_core.h"

namespace qc::server {

// Carries the core's lines over one UDP socket and drives its clock.
class UdpServer {
  public:
    explicit UdpServer(ServerCore& core);
    UdpServer(const UdpServer&) = delete;
    UdpServer& operator=(const UdpServer&) = delete;

    // Binds and starts the one-second tick; false with a message on failure.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const { return socket_.localPort(); }

    // Sends lines the core produced outside a datagram or tick.
    void Send(const std::vector<Outgoing>& lines);

    static constexpr std::size_t kMaxBatch = 128;
    static constexpr int kReceiveBuffer = 4 << 20;

  private:
    void ReadPending();

    ServerCore& core_;
    QUdpSocket socket_;
    QTimer tick_;
};

}  // namespace qc::server
