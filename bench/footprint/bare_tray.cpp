// The smallest Qt program that does what the client does when idle in the
// tray: the same kind of drawn status icon, one UDP socket that sends a login
// line at start and answers a ping, a sound holder, and a 1000 ms timer. It is
// the yardstick the footprint runner compares quorvel-chess with.
//
// Usage: qc_footprint_bare --server HOST:PORT [--sound FILE] [--eager-sound]
//   --sound FILE   the wave file the sound holder would play
//   --eager-sound  create the sound effect at start instead of when it plays
#include <QApplication>
#include <QColor>
#include <QFont>
#include <QHostAddress>
#include <QIcon>
#include <QNetworkDatagram>
#include <QPainter>
#include <QPixmap>
#include <QSoundEffect>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QUdpSocket>
#include <QUrl>
#include <cstdio>
#include <memory>

namespace {

// A knight on a grey disc at the sizes trays ask for, drawn with the font
// that carries the chess glyphs, as the client draws its pictures.
QIcon KnightIcon() {
    const QColor fill(128, 128, 128);
    QIcon icon;
    for (int s : {16, 22, 24, 32, 48}) {
        QPixmap pm(s, s);
        pm.fill(Qt::transparent);
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(fill.darker(160), std::max(1, s / 16)));
        p.setBrush(fill);
        p.drawEllipse(QRectF(0.5, 0.5, s - 1.0, s - 1.0));
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(s * 3 / 4);
        p.setFont(font);
        p.setPen(Qt::white);
        p.drawText(QRect(0, 0, s, s), Qt::AlignCenter, QString(QChar(0x265E)));
        p.end();
        icon.addPixmap(pm);
    }
    return icon;
}

// Holds the one sound effect, created the way the client's media adapter
// creates it: only when asked to, unless --eager-sound.
class SoundHolder {
  public:
    explicit SoundHolder(QString file) : file_(std::move(file)) {}
    void Open() {
        effect_ = std::make_unique<QSoundEffect>();
        effect_->setSource(QUrl::fromLocalFile(file_));
    }

  private:
    QString file_;
    std::unique_ptr<QSoundEffect> effect_;
};

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);

    QString host;
    quint16 port = 0;
    QString soundFile;
    bool eagerSound = false;
    const QStringList args = QApplication::arguments();
    for (qsizetype i = 1; i < args.size(); ++i) {
        if (args[i] == QLatin1String("--server") && i + 1 < args.size()) {
            const QString hp = args[++i];
            const qsizetype colon = hp.lastIndexOf(QLatin1Char(':'));
            bool ok = false;
            port = colon < 0 ? 0 : hp.mid(colon + 1).toUShort(&ok);
            host = hp.left(colon);
            if (!ok || port == 0) {
                std::fprintf(stderr, "qc_footprint_bare: bad --server %s\n", qPrintable(hp));
                return 2;
            }
        } else if (args[i] == QLatin1String("--sound") && i + 1 < args.size()) {
            soundFile = args[++i];
        } else if (args[i] == QLatin1String("--eager-sound")) {
            eagerSound = true;
        } else {
            std::fprintf(stderr,
                         "usage: qc_footprint_bare --server HOST:PORT [--sound FILE] "
                         "[--eager-sound]\n");
            return 2;
        }
    }
    const QHostAddress server(host);
    if (server.isNull()) {
        std::fprintf(stderr, "qc_footprint_bare: --server needs a numeric address\n");
        return 2;
    }

    QSystemTrayIcon tray(KnightIcon());
    tray.setToolTip(QStringLiteral("Bare tray\nConnecting . . ."));
    tray.show();

    SoundHolder sound(soundFile);
    if (eagerSound) {
        sound.Open();
    }

    QUdpSocket socket;
    if (!socket.bind(QHostAddress::Any, 0)) {
        std::fprintf(stderr, "qc_footprint_bare: cannot bind a UDP socket\n");
        return 1;
    }
    QByteArray name = "guest";
    QObject::connect(&socket, &QUdpSocket::readyRead, [&] {
        while (socket.hasPendingDatagrams()) {
            const QNetworkDatagram d = socket.receiveDatagram();
            if (d.senderPort() != port || !d.senderAddress().isEqual(server)) {
                continue;
            }
            for (const QByteArray& line : d.data().split('\r')) {
                if (line.startsWith("guest: ")) {
                    name = line.mid(7, line.indexOf(',') - 7);
                } else if (line == "ping") {
                    socket.writeDatagram(name + " pong\r", server, port);
                }
            }
        }
    });

    int ticks = 0;
    QTimer timer;
    timer.setInterval(1000);
    QObject::connect(&timer, &QTimer::timeout, [&ticks] { ++ticks; });
    timer.start();

    socket.writeDatagram(QByteArray("guest connect v1.20 *\r"), server, port);
    return app.exec();
}
