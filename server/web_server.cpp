#include "server/web_server.h"

#include <QHttpServerRequest>
#include <QHttpServerResponder>
#include <QTcpSocket>
#include <QTimer>
#include <QUrl>

namespace qc::server {

// Accepts the connections for the HTTP server and keeps each within the
// limits: so many at once, so long, so many bytes.
class WebServer::Listener : public QTcpServer {
  public:
    Listener(Limits limits, QObject* parent) : QTcpServer(parent), limits_(limits) {}
    int Open() const { return open_; }

  protected:
    void incomingConnection(qintptr descriptor) override {
        auto* socket = new QTcpSocket(this);
        if (!socket->setSocketDescriptor(descriptor)) {
            delete socket;
            return;
        }
        if (open_ >= limits_.connections) {
            socket->abort();
            socket->deleteLater();
            return;
        }
        ++open_;
        connect(socket, &QObject::destroyed, this, [this] { --open_; });
        // Connected before the HTTP server's own handler, so it sees each
        // chunk before that reads it.
        auto received = std::make_shared<qint64>(0);
        connect(socket, &QTcpSocket::readyRead, socket, [socket, received, this] {
            *received += socket->bytesAvailable();
            if (*received > limits_.received) {
                // Nothing more reaches the request; the socket goes once
                // the HTTP server's handler has run.
                socket->read(socket->bytesAvailable());
                QTimer::singleShot(0, socket, [socket] { socket->abort(); });
            }
        });
        QTimer::singleShot(limits_.lifetime, socket, [socket] { socket->abort(); });
        // The HTTP server deletes it once it disconnects.
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        addPendingConnection(socket);
    }

  private:
    const Limits limits_;
    int open_ = 0;
};

WebServer::WebServer(web::Site& site, Limits limits)
    : site_(site), listener_(new Listener(limits, this)) {}

WebServer::~WebServer() = default;

bool WebServer::Listen(const QHostAddress& address, quint16 port, QString& error) {
    if (!listener_->listen(address, port)) {
        error = listener_->errorString();
        return false;
    }
    bind(listener_);
    return true;
}

quint16 WebServer::Port() const {
    return listener_->serverPort();
}

int WebServer::Connections() const {
    return listener_->Open();
}

namespace {

std::string MethodName(QHttpServerRequest::Method method) {
    switch (method) {
        case QHttpServerRequest::Method::Get:
            return "GET";
        case QHttpServerRequest::Method::Head:
            return "HEAD";
        case QHttpServerRequest::Method::Post:
            return "POST";
        case QHttpServerRequest::Method::Put:
            return "PUT";
        case QHttpServerRequest::Method::Delete:
            return "DELETE";
        default:
            return "OTHER";
    }
}

}  // namespace

bool WebServer::handleRequest(const QHttpServerRequest& request, QTcpSocket* socket) {
    const QUrl& url = request.url();
    const std::string method = MethodName(request.method());
    const web::Response response = site_.Handle(method, url.path(QUrl::FullyEncoded).toStdString(),
                                                url.query(QUrl::FullyEncoded).toStdString());
    QHttpServerResponder responder = makeResponder(request, socket);
    responder.writeStatusLine(static_cast<QHttpServerResponder::StatusCode>(response.status));
    responder.writeHeader("Content-Type", QByteArray::fromStdString(response.contentType));
    for (const auto& [name, value] : response.headers) {
        responder.writeHeader(QByteArray::fromStdString(name), QByteArray::fromStdString(value));
    }
    responder.writeHeader("Content-Length", QByteArray::number(qsizetype(response.body.size())));
    // HEAD gets the headers of the page alone.
    if (method == "HEAD") {
        responder.writeBody("", 0);
    } else {
        responder.writeBody(response.body.data(), qint64(response.body.size()));
    }
    return true;
}

void WebServer::missingHandler(const QHttpServerRequest& request, QTcpSocket* socket) {
    // handleRequest answers everything; this is only reached if Qt asks anyway.
    makeResponder(request, socket).write(QHttpServerResponder::StatusCode::NotFound);
}

}  // namespace qc::server
