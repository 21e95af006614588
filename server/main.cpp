// quorvel-server: the game server that the client logs in to.

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <string>

#include "client/core/account/cp1252.h"
#include "server/core/accounts.h"
#include "server/core/server_core.h"
#include "server/core/store.h"
#include "server/udp_server.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] auto written = write(signalPipe[1], &byte, 1);
}

void PrintUsage() {
    std::cout
        << "Usage: quorvel-server [options]\n"
           "  --port N                    UDP port to listen on (default 3819)\n"
           "  --bind ADDRESS              address to listen on (default: all)\n"
           "  --db PATH                   database file (default: "
           "$XDG_DATA_HOME/quorvel-server/quorvel.db)\n"
           "  --add-account NAME PASSWORD create a named account and exit\n"
           "  --set-slots NAME N          set an account's game slots and exit\n"
           "  --ping-after SECONDS        ping a session silent this long (default 60)\n"
           "  --rate N                    datagrams a second one sender may send (default 10)\n"
           "  --help                      show this text\n";
}

QString DefaultDatabase() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + "/quorvel-server/quorvel.db";
}

bool ParsePort(const char* text, quint16& port) {
    bool ok = false;
    uint value = QString::fromLocal8Bit(text).toUInt(&ok);
    if (!ok || value > 65535) {
        return false;
    }
    port = static_cast<quint16>(value);
    return true;
}

void LogLine(std::string_view text) {
    std::cerr << "quorvel-server: " << text << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    quint16 port = 3819;
    QHostAddress bind = QHostAddress::Any;
    QString dbPath = DefaultDatabase();
    std::string addName, addPassword, slotsName;
    int gameSlots = -1;
    int pingAfter = 60;
    double rate = 10;
    bool addAccount = false;

    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        auto need = [&](int count) {
            if (i + count >= argc) {
                std::cerr << "quorvel-server: " << arg << " needs " << count << " value"
                          << (count > 1 ? "s" : "") << "\n";
                std::exit(2);
            }
        };
        if (arg == "--help" || arg == "-h") {
            PrintUsage();
            return 0;
        } else if (arg == "--port") {
            need(1);
            if (!ParsePort(argv[++i], port)) {
                std::cerr << "quorvel-server: invalid port " << argv[i] << "\n";
                return 2;
            }
        } else if (arg == "--bind") {
            need(1);
            if (!bind.setAddress(QString::fromLocal8Bit(argv[++i]))) {
                std::cerr << "quorvel-server: invalid address " << argv[i] << "\n";
                return 2;
            }
        } else if (arg == "--db") {
            need(1);
            dbPath = QString::fromLocal8Bit(argv[++i]);
        } else if (arg == "--add-account") {
            need(2);
            addAccount = true;
            addName = argv[++i];
            addPassword = argv[++i];
        } else if (arg == "--set-slots") {
            need(2);
            slotsName = argv[++i];
            bool ok = false;
            gameSlots = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || gameSlots < 0 || gameSlots > 1000) {
                std::cerr << "quorvel-server: invalid slot count " << argv[i] << "\n";
                return 2;
            }
        } else if (arg == "--rate") {
            need(1);
            bool ok = false;
            rate = QString::fromLocal8Bit(argv[++i]).toDouble(&ok);
            if (!ok || !(rate >= 1) || rate > 100000) {
                std::cerr << "quorvel-server: invalid rate " << argv[i] << "\n";
                return 2;
            }
        } else if (arg == "--ping-after") {
            need(1);
            bool ok = false;
            pingAfter = QString::fromLocal8Bit(argv[++i]).toInt(&ok);
            if (!ok || pingAfter < 1 || pingAfter > 3600) {
                std::cerr << "quorvel-server: invalid ping interval " << argv[i] << "\n";
                return 2;
            }
        } else {
            std::cerr << "quorvel-server: unknown option " << arg << " (see --help)\n";
            return 2;
        }
    }

    QDir().mkpath(QFileInfo(dbPath).absolutePath());
    std::unique_ptr<qc::server::Store> store;
    try {
        store = std::make_unique<qc::server::Store>(dbPath.toStdString());
    } catch (const qc::server::StoreError& e) {
        std::cerr << "quorvel-server: " << e.what() << "\n";
        return 1;
    }

    qc::server::Config config;
    config.log = LogLine;
    config.pingAfter = std::chrono::seconds(pingAfter);
    config.datagramsPerSecond = rate;
    config.datagramBurst = std::max(config.datagramBurst, rate * 4);

    try {
        if (addAccount) {
            using qc::server::AddAccountResult;
            AddAccountResult result = qc::server::AddNamedAccount(
                *store, config, addName, qc::Utf8ToCp1252(addPassword), qc::server::Clock::now());
            if (result == AddAccountResult::InvalidName) {
                std::cerr << "quorvel-server: invalid account name " << addName
                          << " (letters, digits, _ and -, a letter first, at most 30; not "
                             "guest... or Bot...)\n";
                return 1;
            }
            if (result == AddAccountResult::NameTaken) {
                std::cerr << "quorvel-server: the name " << addName << " is taken\n";
                return 1;
            }
            std::cout << "account " << addName << " created\n";
            return 0;
        }
        if (gameSlots >= 0) {
            qc::server::Store::Transaction tx(*store);
            auto account = store->FindAccount(slotsName);
            if (!account || account->kind == qc::server::AccountKind::Bot) {
                std::cerr << "quorvel-server: no account " << slotsName << "\n";
                return 1;
            }
            store->SetSlots(account->id, gameSlots);
            tx.Commit();
            std::cout << "account " << account->name << " has " << gameSlots << " game slots\n";
            return 0;
        }
    } catch (const qc::server::StoreError& e) {
        std::cerr << "quorvel-server: " << e.what() << "\n";
        return 1;
    }

    // SIGTERM and SIGINT end the event loop through a pipe, so the database
    // is closed in the ordinary way.
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        std::perror("quorvel-server: socketpair");
        return 1;
    }
    QSocketNotifier notifier(signalPipe[0], QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [] {
        char byte;
        [[maybe_unused]] auto got = read(signalPipe[0], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &action, nullptr);
    sigaction(SIGINT, &action, nullptr);

    qc::server::ServerCore core(*store, config);
    qc::server::UdpServer server(core);
    QString error;
    if (!server.Listen(bind, port, error)) {
        std::cerr << "quorvel-server: cannot listen on port " << port << ": " << error.toStdString()
                  << "\n";
        return 1;
    }
    std::cout << "quorvel-server listening on port " << server.Port() << std::endl;
    int rc = app.exec();
    std::cerr << "quorvel-server: stopped" << std::endl;
    return rc;
}
