// quorvel-server: the game server that the client logs in to.

#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHostInfo>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "client/core/account/cp1252.h"
#include "server/banner_server.h"
#include "server/banners.h"
#include "server/command_line.h"
#include "server/core/accounts.h"
#include "server/core/mail_queue.h"
#include "server/core/server_core.h"
#include "server/core/store.h"
#include "server/engine_process.h"
#include "server/smtp_transport.h"
#include "server/udp_server.h"
#include "server/web/site.h"
#include "server/web_server.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    char byte = 1;
    [[maybe_unused]] auto written = write(signalPipe[1], &byte, 1);
}

QString DefaultDatabase() {
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    return base + "/quorvel-server/quorvel.db";
}

void LogLine(std::string_view text) {
    std::cerr << "quorvel-server: " << text << std::endl;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    using Action = qc::server::CommandLine::Action;
    const qc::server::CommandLine options = qc::server::ParseCommandLine(app.arguments());
    switch (options.action) {
        case Action::Help:
        case Action::Version:
            std::cout << options.text.toStdString() << (options.text.endsWith('\n') ? "" : "\n");
            return 0;
        case Action::Error:
            std::cerr << "quorvel-server: " << options.text.toStdString() << "\n";
            return 2;
        case Action::Serve:
        case Action::AddAccount:
        case Action::SetSlots:
            break;
    }
    const QString dbPath = options.db.value_or(DefaultDatabase());
    const QString smtpPassword = qEnvironmentVariable("QUORVEL_SMTP_PASSWORD");
    if (options.action == Action::Serve && !options.smtpUser.isEmpty() && smtpPassword.isEmpty()) {
        std::cerr << "quorvel-server: '--smtp-user' needs the password in QUORVEL_SMTP_PASSWORD\n";
        return 2;
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
    config.pingAfter = std::chrono::seconds(options.pingAfter);
    config.datagramsPerSecond = options.rate;
    config.datagramBurst = std::max(config.datagramBurst, options.rate * 4);
    // An address's ports together get five senders' worth.
    config.networkLinesPerSecond = std::max(config.networkLinesPerSecond, options.rate * 5);
    config.networkBurst = std::max(config.networkBurst, config.datagramBurst * 5);
    config.mailNotices = options.smtp.has_value();
    // Without --web-url the mails link to this host's own web port, as far
    // as it is known before listening.
    QString webHost = "http://" + QHostInfo::localHostName().toLower();
    if (options.httpPort && *options.httpPort != 0 && *options.httpPort != 80) {
        webHost += ":" + QString::number(*options.httpPort);
    }
    config.webUrl = options.webUrl.value_or(webHost + "/").toStdString();

    try {
        if (options.action == Action::AddAccount) {
            const std::string addName = options.name.toStdString();
            using qc::server::AddAccountResult;
            AddAccountResult result = qc::server::AddNamedAccount(
                *store, config, addName, qc::Utf8ToCp1252(options.password.toStdString()),
                qc::server::Clock::now());
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
        if (options.action == Action::SetSlots) {
            const std::string slotsName = options.name.toStdString();
            qc::server::Store::Transaction tx(*store);
            auto account = store->FindAccount(slotsName);
            if (!account || account->kind == qc::server::AccountKind::Bot) {
                std::cerr << "quorvel-server: no account " << slotsName << "\n";
                return 1;
            }
            store->SetSlots(account->id, options.gameSlots);
            tx.Commit();
            std::cout << "account " << account->name << " has " << options.gameSlots
                      << " game slots\n";
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
    if (!server.Listen(options.bind, options.port, error)) {
        std::cerr << "quorvel-server: cannot listen on port " << options.port << ": "
                  << error.toStdString() << "\n";
        return 1;
    }
    // Bot levels 1 to 10 ask the engine; without one they play level 0's moves.
    // Several processes, so that one long think does not hold up the other
    // bot games; each starts on its first question.
    std::vector<std::unique_ptr<qc::server::EngineProcess>> engineProcesses;
    std::vector<std::unique_ptr<qc::server::UciEngine>> engines;
    qc::server::EnginePool enginePool;
    const QString engineProgram = qc::server::EngineProcess::Resolve(options.engine);
    if (engineProgram.isEmpty()) {
        LogLine("no chess engine '" + options.engine.toStdString() +
                "' to run; every bot level plays random moves");
    } else {
        for (int i = 0; i < options.engines; ++i) {
            auto process = std::make_unique<qc::server::EngineProcess>(engineProgram);
            auto engine = std::make_unique<qc::server::UciEngine>(
                *process, [&core, &server](const qc::server::EngineAnswer& answer) {
                    server.Send(core.BotAnswer(answer, qc::server::Clock::now()));
                });
            process->Attach(engine.get());
            enginePool.Add(*engine);
            engineProcesses.push_back(std::move(process));
            engines.push_back(std::move(engine));
        }
        core.SetBotEngine(&enginePool);
    }
    // Mail goes to the relay from a worker thread, one message at a time;
    // without a relay it stays in the outbox.
    std::unique_ptr<qc::server::SmtpTransport> mailTransport;
    std::unique_ptr<qc::server::MailQueue> mailQueue;
    if (options.smtp) {
        qc::server::SmtpSettings smtp;
        smtp.url = options.smtp->toStdString();
        smtp.user = options.smtpUser.toStdString();
        smtp.password = smtpPassword.toStdString();
        mailTransport = std::make_unique<qc::server::SmtpTransport>(
            smtp, [&mailQueue](const qc::server::SendResult& result) {
                if (mailQueue) {
                    mailQueue->Finished(result, qc::server::Clock::now());
                }
            });
        qc::server::MailSettings mail;
        mail.from = options.mailFrom.toStdString();
        mail.firstRetry = std::chrono::seconds(options.mailRetry);
        mail.utc = config.utcTimestamps;
        mailQueue = std::make_unique<qc::server::MailQueue>(*store, mail, *mailTransport, LogLine);
        core.SetMailQueue(mailQueue.get());
    }
    // The banners are read at start, and only when they are served.
    std::optional<qc::server::BannerRotation> rotation;
    std::optional<qc::server::BannerServer> banners;
    if (options.bannerPort) {
        qc::server::BannerFolder loaded = qc::server::LoadBanners(options.banners);
        for (const QString& problem : loaded.problems) {
            LogLine(problem.toStdString());
        }
        rotation.emplace(std::move(loaded.banners));
        banners.emplace(*rotation, qc::server::BannerServer::Limits{}, LogLine);
        if (!banners->Listen(options.bind, *options.bannerPort, error)) {
            std::cerr << "quorvel-server: cannot listen on banner port " << *options.bannerPort
                      << ": " << error.toStdString() << "\n";
            return 1;
        }
    }
    // The web pages read the same store between the lines of the game service.
    std::optional<qc::server::web::Site> site;
    std::unique_ptr<qc::server::WebServer> web;
    if (options.httpPort) {
        site.emplace(*store, config);
        web = std::make_unique<qc::server::WebServer>(*site, qc::server::WebServer::Limits{});
        if (!web->Listen(options.bind, *options.httpPort, error)) {
            std::cerr << "quorvel-server: cannot listen on web port " << *options.httpPort << ": "
                      << error.toStdString() << "\n";
            return 1;
        }
    }
    // Tests and scripts wait for this line; it comes first.
    std::cout << "quorvel-server listening on port " << server.Port() << std::endl;
    if (banners) {
        std::cout << "quorvel-server banners on port " << banners->Port() << std::endl;
    }
    if (web) {
        std::cout << "quorvel-server web pages on port " << web->Port() << std::endl;
    }
    if (!mailQueue) {
        LogLine("no mail relay (--smtp): no mail is sent, it stays in the database's outbox");
    }
    int rc = app.exec();
    if (mailTransport) {
        // A mail the relay is taking is let finish, so it is not sent twice.
        mailTransport->Stop(std::chrono::seconds(5));
    }
    std::cerr << "quorvel-server: stopped" << std::endl;
    return rc;
}
