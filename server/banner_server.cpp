#include "server/banner_server.h"

#include <QTcpSocket>
#include <algorithm>
#include <string>

namespace qc::server {
namespace {

// The picture goes out a piece at a time, so that a client that reads slowly
// or not at all holds no more than this of it in the socket's buffer.
constexpr qsizetype kChunk = 16 * 1024;

}  // namespace

BannerServer::BannerServer(BannerRotation& rotation, Limits limits,
                           std::function<void(std::string_view)> log)
    : rotation_(rotation), limits_(limits), log_(std::move(log)) {
    QObject::connect(&server_, &QTcpServer::newConnection, [this] { Accept(); });
    // The server stops accepting when the system refuses it a connection
    // (no descriptors left, say); it tries again a little later rather than
    // never.
    resume_.setSingleShot(true);
    resume_.setInterval(1000);
    QObject::connect(&resume_, &QTimer::timeout, [this] { server_.resumeAccepting(); });
    QObject::connect(&server_, &QTcpServer::acceptError, [this] {
        if (!resume_.isActive()) {
            log_("banner service: cannot accept a connection (" +
                 server_.errorString().toStdString() + "); trying again in a second");
            resume_.start();
        }
    });
}

BannerServer::~BannerServer() {
    // The sockets belong to server_, which outlives connections_: they must
    // not call back while they go.
    for (auto& [socket, connection] : connections_) {
        socket->disconnect();
        socket->abort();
        delete socket;
    }
    connections_.clear();
}

bool BannerServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!server_.listen(address, port)) {
        error = server_.errorString();
        return false;
    }
    return true;
}

void BannerServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        if (Connections() >= limits_.connections) {
            socket->close();
            socket->deleteLater();
            continue;
        }
        // Qt stops reading from the system when this much waits unread, so
        // a client that floods the connection costs no memory.
        socket->setReadBufferSize(limits_.request);
        connections_.emplace(socket, Connection{});
        QObject::connect(socket, &QTcpSocket::readyRead, [this, socket] { Read(socket); });
        QObject::connect(socket, &QTcpSocket::bytesWritten, [this, socket] { Write(socket); });
        QObject::connect(socket, &QTcpSocket::disconnected, [this, socket] { Drop(socket); });
        QObject::connect(socket, &QTcpSocket::errorOccurred, [this, socket] { Drop(socket); });
        // The socket is the timer's context: a socket already gone takes its
        // timer with it.
        QTimer::singleShot(limits_.timeout, socket, [this, socket] { Drop(socket); });
        if (socket->bytesAvailable() > 0) {
            Read(socket);
        }
    }
}

void BannerServer::Read(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) {
        return;
    }
    Connection& connection = it->second;
    if (connection.answered) {
        // Whatever follows the request is of no use; reading it keeps the
        // connection's buffer from filling.
        socket->skip(socket->bytesAvailable());
        return;
    }
    connection.request += socket->read(limits_.request - connection.request.size());
    const BannerRequest request = CheckBannerRequest(connection.request);
    if (request == BannerRequest::Incomplete && connection.request.size() < limits_.request) {
        return;
    }
    const Banner* banner = request == BannerRequest::Valid ? rotation_.Next() : nullptr;
    if (banner == nullptr) {
        Drop(socket);
        return;
    }
    connection.answered = true;
    connection.picture = banner->picture;
    socket->write(BannerHeader(*banner));
    socket->skip(socket->bytesAvailable());
    Write(socket);
}

void BannerServer::Write(QTcpSocket* socket) {
    auto it = connections_.find(socket);
    if (it == connections_.end()) {
        return;
    }
    Connection& connection = it->second;
    // The client closes the connection when it has the picture; until then,
    // or the time-out, the connection stays.
    while (connection.written < connection.picture.size() && socket->bytesToWrite() < kChunk) {
        const qsizetype size = std::min(kChunk, connection.picture.size() - connection.written);
        const qint64 written = socket->write(connection.picture.constData() + connection.written,
                                             static_cast<qint64>(size));
        if (written <= 0) {
            Drop(socket);
            return;
        }
        connection.written += written;
    }
}

void BannerServer::Drop(QTcpSocket* socket) {
    if (connections_.erase(socket) == 0) {
        return;
    }
    socket->disconnect();
    socket->abort();
    socket->deleteLater();
}

}  // namespace qc::server
