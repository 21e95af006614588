#pragma once

#include <QAbstractHttpServer>
#include <QHostAddress>
#include <QTcpServer>
#include <chrono>
#include <functional>
#include <string_view>

#include "server/web/site.h"

class QTcpSocket;

namespace qc::server {

// The web site over HTTP, through Qt's HTTP server, on the event loop the
// game service shares. Every request is answered at once from the store;
// the limits keep a slow or hostile client from holding sockets or memory.
class WebServer : public QAbstractHttpServer {
  public:
    struct Limits {
        int connections = 128;                      // more at once are closed at once
        std::chrono::milliseconds lifetime{30000};  // a connection's whole life
        qint64 received = 64 * 1024;                // bytes a connection may send
    };

    WebServer(web::Site& site, Limits limits);
    ~WebServer() override;

    // False with a message on failure.
    bool Listen(const QHostAddress& address, quint16 port, QString& error);
    quint16 Port() const;
    int Connections() const;

  protected:
    bool handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) override;
    void missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) override;

  private:
    class Listener;

    web::Site& site_;
    Listener* listener_;  // owned through Qt's parent, this object
};

}  // namespace qc::server
