#include "server/udp_server.h"

#include <QNetworkDatagram>

namespace qc::server {

UdpServer::UdpServer(ServerCore& core) : core_(core) {
    QObject::connect(&socket_, &QUdpSocket::readyRead, [this] { ReadPending(); });
    tick_.setInterval(1000);
    QObject::connect(&tick_, &QTimer::timeout, [this] { Send(core_.Tick(Clock::now())); });
}

bool UdpServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!socket_.bind(address, port)) {
        error = socket_.errorString();
        return false;
    }
    tick_.start();
    return true;
}

void UdpServer::ReadPending() {
    while (socket_.hasPendingDatagrams()) {
        QNetworkDatagram datagram = socket_.receiveDatagram(ServerCore::kMaxDatagram + 1);
        if (!datagram.isValid()) {
            continue;
        }
        QByteArray data = datagram.data();
        Endpoint from{datagram.senderAddress().toString().toStdString(),
                      static_cast<std::uint16_t>(datagram.senderPort())};
        Send(core_.HandleDatagram(from, std::string_view(data.constData(), data.size()),
                                  Clock::now()));
    }
}

void UdpServer::Send(const std::vector<Outgoing>& lines) {
    for (const Datagram& d : PackDatagrams(lines)) {
        socket_.writeDatagram(d.bytes.data(), static_cast<qint64>(d.bytes.size()),
                              QHostAddress(QString::fromStdString(d.to.address)), d.to.port);
    }
}

}  // namespace qc::server
