#pragma once

#include <QHostAddress>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace qc::server {

// What quorvel-server was asked to do, read from its command line.
struct CommandLine {
    enum class Action {
        Serve,       // listen for clients
        AddAccount,  // --add-account NAME PASSWORD: create the account and exit
        SetSlots,    // --set-slots NAME N: set its game slots and exit
        Help,        // print `text` (the option list) to standard output, exit 0
        Version,     // print `text` (the version line) to standard output, exit 0
        Error,       // print `text` (one line, no program name) to standard error, exit 2
    };

    Action action = Action::Serve;
    std::uint16_t port = 3819;  // 0: any free port
    QHostAddress bind = QHostAddress(QHostAddress::Any);
    std::optional<QString> db;                // none: the default database
    std::optional<std::uint16_t> bannerPort;  // none: no banner service; 0: any free port
    std::optional<QString> banners;           // none: the built-in banners
    QString engine = "stockfish";             // the UCI engine of bot levels 1 to 10
    int engines = 2;                          // its processes, each thinking for one game
    QString name;                             // the account of --add-account or --set-slots
    QString password;                         // --add-account's password
    int gameSlots = 0;                        // --set-slots's count
    int pingAfter = 60;                       // seconds
    double rate = 10;                         // lines a second
    QString text;
    std::optional<std::uint16_t> httpPort;  // none: no web pages; 0: any free port
    std::optional<QString> smtp;            // the mail relay's URL; none: no mail is sent
    QString smtpUser;               // log-in at the relay; the password comes from the environment
    QString mailFrom;               // the mails' sender address
    std::optional<QString> webUrl;  // the web pages' address, ending in "/"; none: this host's
    int mailRetry = 30;             // seconds before the first retry of a mail
};

// Reads the arguments (the program's name first, as QCoreApplication::arguments()
// gives them) without side effects: nothing is printed and nothing exits.
// When both --add-account and --set-slots are given, the account is added.
// The last of a repeated option counts; every one of them must be valid.
CommandLine ParseCommandLine(const QStringList& arguments);

}  // namespace qc::server
