#pragma once

#include <QByteArray>
#include <QHostAddress>
#include <QTcpServer>
#include <QTimer>
#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <string_view>

#include "server/banners.h"

class QTcpSocket;

namespace qc::server {

// Serves the banners over TCP: a client sends "Ad Chess " and its version
// and gets the next banner of the rotation. Nothing a client does blocks the
// event loop the game service shares.
class BannerServer {
  public:
    struct Limits {
        int connections = 64;                      // more at once are closed at once
        std::chrono::milliseconds timeout{10000};  // a connection's whole life
        qsizetype request = 64;                    // bytes of a request read at most
    };

    BannerServer(BannerRotation& rotation, Limits limits,
                 std::function<void(std::string_view)> log);
    ~BannerServer();
    BannerServer(const BannerServer&) = delete;
    BannerServer& operator=(const BannerServer&) = delete;

    // False with a message on failure.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const { return server_.serverPort(); }
    int Connections() const { return static_cast<int>(connections_.size()); }

  private:
    struct Connection {
        QByteArray request;
        QByteArray picture;  // what is still to be written starts at `written`
        qsizetype written = 0;
        bool answered = false;
    };

    void Accept();
    void Read(QTcpSocket* socket);
    void Write(QTcpSocket* socket);
    void Drop(QTcpSocket* socket);

    BannerRotation& rotation_;
    const Limits limits_;
    std::function<void(std::string_view)> log_;
    QTcpServer server_;
    QTimer resume_;  // accepting again after the system refused a connection
    std::map<QTcpSocket*, Connection> connections_;
};

}  // namespace qc::server
