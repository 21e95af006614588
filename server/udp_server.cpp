#include "server/udp_server.h"

#include <QNetworkDatagram>
#include <QVariant>

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
    // Room for the datagrams of a busy moment while the core commits (the
    // kernel caps this at net.core.rmem_max).
    socket_.setSocketOption(QAbstractSocket::ReceiveBufferSizeSocketOption, kReceiveBuffer);
    tick_.start();
    return true;
}

void UdpServer::ReadPending() {
    // What has arrived is handled together, with one commit, a bounded
    // number at a time so the first sender does not wait on too many others.
    std::vector<ServerCore::Incoming> batch;
    while (socket_.hasPendingDatagrams()) {
        QNetworkDatagram datagram = socket_.receiveDatagram(ServerCore::kMaxDatagram + 1);
        if (datagram.isValid()) {
            QByteArray data = datagram.data();
            batch.push_back(ServerCore::Incoming{
                Endpoint{datagram.senderAddress().toString().toStdString(),
                         static_cast<std::uint16_t>(datagram.senderPort())},
                std::string(data.constData(), static_cast<std::size_t>(data.size()))});
        }
        if (!batch.empty() && (batch.size() >= kMaxBatch || !socket_.hasPendingDatagrams())) {
            Send(core_.HandleDatagrams(
                batch, Clock::now(), [this](const std::vector<Outgoing>& lines) { Send(lines); }));
            batch.clear();
        }
    }
}

void UdpServer::Send(const std::vector<Outgoing>& lines) {
    for (const Datagram& d : PackDatagrams(lines)) {
        socket_.writeDatagram(d.bytes.data(), static_cast<qint64>(d.bytes.size()),
                              QHostAddress(QString::fromStdString(d.to.address)), d.to.port);
    }
}

}  // namespace qc::server
