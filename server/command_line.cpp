#include "server/command_line.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QHash>
#include <QRegularExpression>
#include <QUrl>
#include <vector>

#include "server/core/mail_message.h"

namespace qc::server {
namespace {

using Action = CommandLine::Action;

struct Option {
    QCommandLineOption option;
    int values;  // 1 or 2
};

// The options after --help and --version, in the order the help lists them.
// The value names of the two-value options are written so that the help
// shows them as "<NAME> <PASSWORD>", as they are typed.
std::vector<Option> Options() {
    return {
        {QCommandLineOption("port",
                            "UDP port to listen on; 0: any free port, the start line tells "
                            "which (default: 3819).",
                            "N"),
         1},
        {QCommandLineOption("bind",
                            "Address to listen on, e.g. 127.0.0.1 for this machine only "
                            "(default: every address).",
                            "ADDRESS"),
         1},
        {QCommandLineOption("db",
                            "Database file, created with its folder when missing (default: "
                            "$XDG_DATA_HOME/quorvel-server/quorvel.db).",
                            "PATH"),
         1},
        {QCommandLineOption("banner-port",
                            "TCP port of the banner service, on the same address; 0: any free "
                            "port, the start output tells which (default: no banner service).",
                            "N"),
         1},
        {QCommandLineOption("banners",
                            "Folder of banner pictures (.png, .jpg, .jpeg, .gif, .bmp), each "
                            "with a .link file of the same name holding its address; read at "
                            "start (default: the built-in banners).",
                            "DIR"),
         1},
        {QCommandLineOption("engine",
                            "UCI chess engine that plays bot levels 1 to 10, a path or a "
                            "name looked up on PATH and in /usr/games; without one every "
                            "level plays random moves (default: stockfish).",
                            "PATH"),
         1},
        {QCommandLineOption("engines",
                            "How many engine processes think at once for different bot "
                            "games, 1 to 16 (default: 2).",
                            "N"),
         1},
        {QCommandLineOption("add-account",
                            "Create a named account with this password (as typed in a UTF-8 "
                            "terminal) and exit.",
                            "NAME> <PASSWORD"),
         2},
        {QCommandLineOption("set-slots",
                            "Set an account's number of game slots (0 to 1000) and exit.",
                            "NAME> <N"),
         2},
        {QCommandLineOption("ping-after",
                            "Ping a logged-in session that has been silent this long, 1 to "
                            "3600 (default: 60).",
                            "SECONDS"),
         1},
        {QCommandLineOption("rate",
                            "Lines a second one sender may send; the rest are "
                            "dropped, 1 to 100000 (default: 10).",
                            "N"),
         1},
        {QCommandLineOption("http-port",
                            "TCP port of the web pages (statistics, histories, game records), "
                            "on the same address; 0: any free port, the start output tells "
                            "which (default: no web pages).",
                            "N"),
         1},
        {QCommandLineOption("smtp",
                            "Mail relay, smtp://HOST:PORT or smtps://HOST:PORT, to which the "
                            "server hands its mail (default: none; mail stays in the outbox).",
                            "URL"),
         1},
        {QCommandLineOption("smtp-user",
                            "User name at the mail relay; the password is read from the "
                            "environment variable QUORVEL_SMTP_PASSWORD.",
                            "USER"),
         1},
        {QCommandLineOption("mail-from", "Sender address of the mails; needed with --smtp.",
                            "ADDRESS"),
         1},
        {QCommandLineOption("mail-retry",
                            "Seconds before a mail the relay did not take is tried again, "
                            "doubling up to an hour, 1 to 3600 (default: 30).",
                            "SECONDS"),
         1},
        {QCommandLineOption("web-url",
                            "Public address of the server's web pages, for the links in mails "
                            "(default: http:// and this machine's host name).",
                            "URL"),
         1},
    };
}

const Option* Find(const std::vector<Option>& options, const QString& name) {
    for (const Option& o : options) {
        if (o.option.names().contains(name)) {
            return &o;
        }
    }
    return nullptr;
}

// QCommandLineParser reads one value per option. PairValues rewrites every
// "--add-account NAME PASSWORD" (or "--add-account=NAME PASSWORD") to
// "--add-account=NAME" for the parser and keeps PASSWORD in `second`, one
// entry per occurrence, so that a second value that begins with '-' stays a
// value. It steps over the value of a one-value option, which the parser takes
// whatever it looks like, and stops at "--", after which nothing is an option.
struct Paired {
    QStringList arguments;
    QHash<QString, QStringList> second;
    QString error;
};

Paired PairValues(const QStringList& args, const std::vector<Option>& options) {
    Paired out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& arg = args[i];
        if (i == 0 || !arg.startsWith("--")) {
            out.arguments << arg;
            continue;
        }
        if (arg == "--") {
            out.arguments << args.mid(i);
            break;
        }
        const QString name = arg.mid(2).section('=', 0, 0);
        const bool inlineValue = arg.contains('=');
        const Option* option = Find(options, name);
        if (!option || option->values == 1) {
            out.arguments << arg;
            if (option && !inlineValue && i + 1 < args.size()) {
                out.arguments << args[++i];
            }
            continue;
        }
        if (i + (inlineValue ? 1 : 2) >= args.size()) {
            out.error = "'--" + name + "' needs two values: <" + option->option.valueName() + ">";
            return out;
        }
        const QString first = inlineValue ? arg.section('=', 1) : args[++i];
        out.arguments << "--" + name + "=" + first;
        out.second[name] << args[++i];
    }
    return out;
}

// The argument as typed that holds the unknown option `name`.
QString Typed(const QStringList& args, const QString& name) {
    for (qsizetype i = 1; i < args.size() && args[i] != "--"; ++i) {
        const QString& a = args[i];
        const bool holds = a.startsWith("--") ? a.mid(2).section('=', 0, 0) == name
                                              : a.startsWith('-') && a.mid(1).contains(name);
        if (holds) {
            return a.section('=', 0, 0);
        }
    }
    return (name.size() == 1 ? "-" : "--") + name;
}

std::optional<std::uint16_t> ParsePort(const QString& value) {
    bool ok = false;
    const uint port = value.toUInt(&ok);
    if (!ok || port > 65535) {
        return std::nullopt;
    }
    return static_cast<std::uint16_t>(port);
}

// A value quoted in an error, without the control characters that would
// break the error's one line.
QString OneLine(QString value) {
    return value.replace(QRegularExpression("[\\x00-\\x1f\\x7f]"), "?");
}

CommandLine Fail(const QString& message) {
    CommandLine result;
    result.action = Action::Error;
    result.text = message;
    return result;
}

// Qt's "Missing value after '--port'." as "missing value after '--port'".
QString ErrorLine(QString text) {
    if (text.endsWith('.')) {
        text.chop(1);
    }
    if (!text.isEmpty()) {
        text[0] = text[0].toLower();
    }
    return text;
}

QString HelpText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    // The usage line names the program as it was started, often a long path.
    const qsizetype end = text.indexOf('\n');
    const QString usage = "Usage: quorvel-server [options]";
    return end < 0 ? usage + '\n' : usage + text.mid(end);
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    const std::vector<Option> options = Options();
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "The game server that Quorvel Chess clients log in to, over UDP, and with\n"
        "--banner-port the banners their game windows show, over TCP.\n"
        "--add-account and --set-slots change the database and exit; without them\n"
        "the server runs until SIGTERM or SIGINT.");
    for (const Option& o : options) {
        parser.addOption(o.option);
    }
    // Not addHelpOption() and addVersionOption(): they bring --help-all (for
    // Qt's own options, which a QCoreApplication has none of) and -v.
    const QCommandLineOption help({"h", "help"}, "List the options and exit.");
    const QCommandLineOption version("version", "Print the version and exit.");
    parser.addOption(help);
    parser.addOption(version);

    const Paired paired = PairValues(arguments, options);
    if (!paired.error.isEmpty()) {
        return Fail(paired.error);
    }
    if (!parser.parse(paired.arguments)) {
        if (!parser.unknownOptionNames().isEmpty()) {
            return Fail("unknown option '" + Typed(arguments, parser.unknownOptionNames().first()) +
                        "' (see --help)");
        }
        return Fail(ErrorLine(parser.errorText()) + " (see --help)");
    }
    if (!parser.positionalArguments().isEmpty()) {
        return Fail("unexpected argument '" + parser.positionalArguments().first() +
                    "' (see --help)");
    }

    CommandLine result;
    if (parser.isSet(help)) {
        result.action = Action::Help;
        result.text = HelpText(parser);
        return result;
    }
    if (parser.isSet(version)) {
        result.action = Action::Version;
        result.text = QString("quorvel-server ") + QC_SERVER_VERSION;
        return result;
    }

    for (const QString& value : parser.values("port")) {
        const std::optional<std::uint16_t> port = ParsePort(value);
        if (!port) {
            return Fail("invalid port '" + value + "' (0 to 65535)");
        }
        result.port = *port;
    }
    for (const QString& value : parser.values("banner-port")) {
        result.bannerPort = ParsePort(value);
        if (!result.bannerPort) {
            return Fail("invalid banner port '" + value + "' (0 to 65535)");
        }
    }
    for (const QString& value : parser.values("banners")) {
        // An empty path would be the working folder, which nobody means.
        if (value.isEmpty()) {
            return Fail("invalid banner folder ''");
        }
        result.banners = value;
    }
    if (result.banners && !result.bannerPort) {
        return Fail("'--banners' needs '--banner-port'");
    }
    for (const QString& value : parser.values("engine")) {
        if (value.isEmpty()) {
            return Fail("invalid engine ''");
        }
        result.engine = value;
    }
    for (const QString& value : parser.values("bind")) {
        if (!result.bind.setAddress(value)) {
            return Fail("invalid address '" + value + "'");
        }
    }
    if (parser.isSet("db")) {
        result.db = parser.value("db");
    }
    const QStringList slotNames = parser.values("set-slots");
    const QStringList slotCounts = paired.second.value("set-slots");
    for (qsizetype i = 0; i < slotNames.size(); ++i) {
        bool ok = false;
        const int count = slotCounts.value(i).toInt(&ok);
        if (!ok || count < 0 || count > 1000) {
            return Fail("invalid slot count '" + slotCounts.value(i) + "' (0 to 1000)");
        }
        result.action = Action::SetSlots;
        result.name = slotNames[i];
        result.gameSlots = count;
    }
    if (parser.isSet("add-account")) {
        result.action = Action::AddAccount;
        result.name = parser.value("add-account");
        const QStringList passwords = paired.second.value("add-account");
        result.password = passwords.isEmpty() ? QString() : passwords.last();
    }
    for (const QString& value : parser.values("rate")) {
        bool ok = false;
        const double rate = value.toDouble(&ok);
        if (!ok || !(rate >= 1) || rate > 100000) {
            return Fail("invalid rate '" + value + "' (1 to 100000)");
        }
        result.rate = rate;
    }
    for (const QString& value : parser.values("engines")) {
        bool ok = false;
        const int count = value.toInt(&ok);
        if (!ok || count < 1 || count > 16) {
            return Fail("invalid engine count '" + value + "' (1 to 16)");
        }
        result.engines = count;
    }
    for (const QString& value : parser.values("http-port")) {
        result.httpPort = ParsePort(value);
        if (!result.httpPort) {
            return Fail("invalid web port '" + value + "' (0 to 65535)");
        }
    }
    for (const QString& value : parser.values("smtp")) {
        const QUrl url(value, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != "smtp" && scheme != "smtps") || url.host().isEmpty() ||
            (!url.path().isEmpty() && url.path() != "/") || url.hasQuery() || url.hasFragment()) {
            return Fail("invalid mail relay '" + OneLine(value) +
                        "' (smtp://HOST:PORT or smtps://HOST:PORT)");
        }
        if (!url.userInfo().isEmpty()) {
            // A password on the command line is visible to every user of the machine.
            return Fail(
                "the mail relay's URL takes no user; use --smtp-user and "
                "QUORVEL_SMTP_PASSWORD");
        }
        result.smtp = value;
    }
    for (const QString& value : parser.values("smtp-user")) {
        if (value.isEmpty() || value.contains(QRegularExpression("[\\x00-\\x1f\\x7f]"))) {
            return Fail("invalid relay user '" + OneLine(value) + "'");
        }
        result.smtpUser = value;
    }
    for (const QString& value : parser.values("mail-from")) {
        if (!IsMailAddress(value.toStdString())) {
            return Fail("invalid sender address '" + OneLine(value) +
                        "' (a plain address: name@example.org)");
        }
        result.mailFrom = value;
    }
    for (const QString& value : parser.values("mail-retry")) {
        bool ok = false;
        const int seconds = value.toInt(&ok);
        if (!ok || seconds < 1 || seconds > 3600) {
            return Fail("invalid mail retry '" + value + "' (1 to 3600 seconds)");
        }
        result.mailRetry = seconds;
    }
    if (result.smtp && result.mailFrom.isEmpty()) {
        return Fail("'--smtp' needs '--mail-from'");
    }
    for (const char* needsRelay : {"smtp-user", "mail-from", "mail-retry"}) {
        if (!result.smtp && parser.isSet(needsRelay)) {
            return Fail(QString("'--") + needsRelay + "' needs '--smtp'");
        }
    }
    for (const QString& value : parser.values("web-url")) {
        QUrl url(value, QUrl::StrictMode);
        const QString scheme = url.scheme().toLower();
        if (!url.isValid() || (scheme != "http" && scheme != "https") || url.host().isEmpty() ||
            url.hasQuery() || url.hasFragment() || !url.userInfo().isEmpty()) {
            return Fail("invalid web address '" + OneLine(value) +
                        "' (http://HOST/ or https://HOST/PATH/)");
        }
        if (!url.path().endsWith('/')) {
            url.setPath(url.path() + '/');
        }
        result.webUrl = url.toString(QUrl::FullyEncoded);
    }
    for (const QString& value : parser.values("ping-after")) {
        bool ok = false;
        const int seconds = value.toInt(&ok);
        if (!ok || seconds < 1 || seconds > 3600) {
            return Fail("invalid ping interval '" + value + "' (1 to 3600 seconds)");
        }
        result.pingAfter = seconds;
    }
    return result;
}

}  // namespace qc::server
