#include "client/qt/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

namespace qc::qt {

CommandLine ParseCommandLine(const QStringList& arguments, const HostPort& defaultServer,
                             const HostPort& defaultBanner) {
    CommandLine cl;
    cl.server = defaultServer;
    cl.banner = defaultBanner;

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Quorvel Chess, a correspondence chess client that lives in the notification area."));
    const QCommandLineOption server(QStringLiteral("server"),
                                    QStringLiteral("The game server (default %1, port %2).")
                                        .arg(QString::fromStdString(defaultServer.host))
                                        .arg(defaultServer.port),
                                    QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption banner(
        QStringLiteral("banner"),
        QStringLiteral("The banner server (default the game server's host, port %1).")
            .arg(defaultBanner.port),
        QStringLiteral("HOST[:PORT]"));
    const QCommandLineOption web(
        QStringLiteral("web"),
        QStringLiteral("The web site the program's pages open on (default http://HOST/ of the "
                       "game server)."),
        QStringLiteral("URL"));
    parser.addOption(server);
    parser.addOption(banner);
    parser.addOption(web);
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    // The usage line names the program as it was started; the parser alone
    // only knows it once the application object exists.
    QString helpText = parser.helpText();
    const QString program = arguments.isEmpty() ? QStringLiteral("quorvel-chess")
                                                : QFileInfo(arguments.first()).fileName();
    const qsizetype usageEnd = helpText.indexOf(QStringLiteral(" [options]"));
    if (helpText.startsWith(QStringLiteral("Usage: ")) && usageEnd > 0) {
        helpText.replace(7, usageEnd - 7, program);
    }
    cl.helpText = helpText.toStdString();

    if (!parser.parse(arguments)) {
        cl.error = parser.errorText().toStdString();
        return cl;
    }
    if (!parser.positionalArguments().isEmpty()) {
        cl.error =
            "unexpected argument: '" + parser.positionalArguments().first().toStdString() + "'";
        return cl;
    }
    cl.help = parser.isSet(help) || parser.isSet(QStringLiteral("help-all"));
    cl.version = parser.isSet(version);
    for (const auto& [option, target] :
         {std::pair{&server, &cl.server}, std::pair{&banner, &cl.banner}}) {
        if (!parser.isSet(*option)) {
            continue;
        }
        const std::string value = parser.value(*option).toStdString();
        if (!ParseHostPort(value, target->port, *target)) {
            cl.error = "invalid address for --" + option->names().first().toStdString() + ": '" +
                       value + "'";
            return cl;
        }
    }
    // The banners come from the game server's host unless told otherwise.
    if (parser.isSet(server) && !parser.isSet(banner)) {
        cl.banner.host = cl.server.host;
    }
    if (parser.isSet(web)) {
        const QUrl url(parser.value(web), QUrl::StrictMode);
        if (!url.isValid() || url.host().isEmpty() ||
            (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
            cl.error = "invalid address for --web: '" + parser.value(web).toStdString() + "'";
            return cl;
        }
        // Pages are appended to it.
        cl.web = url.toString(QUrl::FullyEncoded).toStdString();
        if (cl.web.back() != '/') {
            cl.web += '/';
        }
    }
    return cl;
}

}  // namespace qc::qt
