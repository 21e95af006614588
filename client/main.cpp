#include <sys/socket.h>
#include <unistd.h>
#include <QApplication>
#include <QDir>
#include <QLockFile>
#include <QScreen>
#include <QSocketNotifier>
#include <QStandardPaths>
#include <csignal>
#include <cstdio>
#include <memory>

#include "client/core/setup.h"
#include "client/core/text.h"
#include "client/core/version.h"
#include "client/qt/command_line.h"
#include "client/qt/desktop/help_key.h"
#include "client/qt/desktop/shell_adapter.h"
#include "client/qt/qt_platform.h"
#include "client/qt/qt_tray.h"
#include "client/qt/settings/qt_file_system.h"
#include "client/qt/settings/settings_location.h"
#include "client/ui/account/change_password_widget.h"
#include "client/ui/account/create_account_widget.h"
#include "client/ui/desktop/floater_window.h"
#include "client/ui/desktop/tray_menu.h"
#include "client/ui/game/game_window_widget.h"
#include "client/ui/lobby/game_list_widget.h"
#include "client/ui/lobby/list_window_widget.h"
#include "client/ui/lobby/new_game_form_widget.h"

#include "client/ui/settings/settings_widget.h"

namespace {

int signalPipe[2] = {-1, -1};

void OnSignal(int) {
    const char c = 1;
    // Nothing else is safe in a signal handler; the event loop does the rest.
    [[maybe_unused]] const auto n = ::write(signalPipe[1], &c, 1);
}

// SIGTERM and SIGINT end the program through the same shutdown as the menu.
void QuitOnSignals(QApplication& app, qc::qt::QuitGate& gate) {
    if (::socketpair(AF_UNIX, SOCK_STREAM, 0, signalPipe) != 0) {
        return;
    }
    auto* notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, [&gate] {
        char c;
        [[maybe_unused]] const auto n = ::read(signalPipe[0], &c, 1);
        gate.RequestQuit();
    });
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sa.sa_flags = SA_RESTART;
    sigaction(SIGTERM, &sa, nullptr);
    sigaction(SIGINT, &sa, nullptr);
}

// A local path in the settings' own encoding, not wire text.
std::string DefaultSoundFile() {
    const QString exeDir = QCoreApplication::applicationDirPath();
    const QString installed =
        QDir(exeDir).filePath(QStringLiteral("../share/quorvel-chess/chime.wav"));
    if (QFileInfo::exists(installed)) {
        return qc::qt::ToPath(QDir::cleanPath(installed)).string();
    }
    const QString found = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                                 QStringLiteral("quorvel-chess/chime.wav"));
    return qc::qt::ToPath(found).string();
}

}  // namespace

int main(int argc, char** argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QCoreApplication::setApplicationName(QStringLiteral("quorvel-chess"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(qc::Version()));
    // Read before the application exists: --help and --version need no display.
    const qc::qt::CommandLine cl = qc::qt::ParseCommandLine(
        arguments, {QC_SERVER_HOST, QC_SERVER_PORT}, {QC_BANNER_HOST, QC_BANNER_PORT});
    if (!cl.error.empty()) {
        std::fprintf(stderr, "quorvel-chess: %s\n%s", cl.error.c_str(), cl.helpText.c_str());
        return 2;
    }
    if (cl.help) {
        std::fputs(cl.helpText.c_str(), stdout);
        return 0;
    }
    if (cl.version) {
        std::printf("quorvel-chess %s\n", qc::Version());
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(
        QString::fromLatin1(qc::text::kProgramName.data(), qc::text::kProgramName.size()));
    QApplication::setQuitOnLastWindowClosed(false);

    // One instance per user: a second copy ends silently. A lock left by a
    // process that no longer runs is taken over.
    const QString runtimeDir = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    QDir().mkpath(runtimeDir);
    QLockFile instanceLock(QDir(runtimeDir).filePath(QStringLiteral("quorvel-chess.lock")));
    instanceLock.setStaleLockTime(0);
    if (!instanceLock.tryLock(0)) {
        return 0;
    }
    qc::qt::QuitGate quitGate([] { QCoreApplication::quit(); });
    QuitOnSignals(app, quitGate);

    qc::qt::QtUdpSocket socket;
    qc::qt::QtStreamSocket bannerSocket;
    qc::qt::QtTimerFactory timers;
    qc::qt::QtClock clock;
    qc::qt::QtEventLoop eventLoop;
    qc::qt::QtDialogs dialogs;
    qc::qt::QtSound sound;
    qc::qt::ShellAdapter shell;
    qc::qt::QtFileSystem files;
    qc::qt::QtDateTimeFormat dateTime;
    const std::unique_ptr<qc::platform::Autostart> autostart = qc::qt::MakeAutostart();
    qc::qt::QtTray tray;

    const auto setup = std::make_unique<qc::Setup>(
        qc::Platform{socket, timers, clock, eventLoop, tray, sound, dialogs, shell, files,
                     *autostart, dateTime, bannerSocket},
        qc::ServerAddress{cl.server.host, cl.server.port}, cl.web,
        qc::game::BannerServer{cl.banner.host, cl.banner.port});
    setup->web().SetKnightsTour(qc::qt::KnightsTourLocation());
    setup->web().SetReadme(qc::qt::ReadmeLocation(shell));

    // Windows are built when first shown: most sessions stay in the tray.
    qc::ui::FloaterHost floater(*setup);
    qc::ui::TrayMenu menu(*setup);
    setup->exitProgram = [&quitGate] { quitGate.RequestQuit(); };
    qc::ui::SettingsHost settingsWindow(setup->settingsWindow());
    setup->settingsWindow().Attach(&settingsWindow);
    qc::ui::CreateAccountHost createAccount(setup->createAccount());
    setup->createAccount().Attach(&createAccount);
    qc::ui::ChangePasswordHost changePassword(setup->changePassword());
    setup->changePassword().Attach(&changePassword);
    qc::ui::GameListHost gameList(setup->gameList());
    setup->gameList().Attach(&gameList);
    qc::ui::GameWindowHost gameWindow(setup->gameWindow());
    setup->gameWindow().Attach(&gameWindow);
    qc::ui::ListWindowHost publicReqs(
        [&setup] { return std::make_unique<qc::ui::ListWindowWidget>(setup->publicReqs()); });
    setup->publicReqs().Attach(&publicReqs);
    qc::ui::ListWindowHost scoreboard(
        [&setup] { return std::make_unique<qc::ui::ListWindowWidget>(setup->scoreboard()); });
    setup->scoreboard().Attach(&scoreboard);
    qc::ui::NewGameFormHost requestForm(
        [&setup] { return std::make_unique<qc::ui::NewGameFormWidget>(setup->requestForm()); });
    setup->requestForm().Attach(&requestForm);
    qc::ui::NewGameFormHost localGameForm(
        [&setup] { return std::make_unique<qc::ui::NewGameFormWidget>(setup->localGameForm()); });
    setup->localGameForm().Attach(&localGameForm);
    qc::ui::NewGameFormHost playBotForm(
        [&setup] { return std::make_unique<qc::ui::NewGameFormWidget>(setup->playBotForm()); });
    setup->playBotForm().Attach(&playBotForm);
    tray.SetContextMenu(menu.Menu());
    setup->views().floater = &floater;
    setup->views().trayMenu = &menu;

    qc::qt::HelpKey::Install(app, [&setup] { setup->web().HelpFile(); });

    // The menu's exit, the end of the desktop session and SIGTERM/SIGINT all
    // leave the event loop, and so run the one shutdown.
    QObject::connect(&app, &QCoreApplication::aboutToQuit, [&setup] { setup->Unload(); });

    qc::StartupEnvironment env;
    env.settingsPath = qc::qt::SettingsFilePath();
    const QRect screen = QGuiApplication::primaryScreen() != nullptr
                             ? QGuiApplication::primaryScreen()->geometry()
                             : QRect(0, 0, 1024, 768);
    env.screen = {screen.width() * qc::qt::kTwipsPerPixel,
                  screen.height() * qc::qt::kTwipsPerPixel};
#ifndef _WIN32
    env.defaults.soundFile = DefaultSoundFile();
#endif
    env.trayAvailable = tray.Available();
    setup->Load(env);
    const int code = app.exec();
    // The windows go before the controller they talk to.
    setup->settingsWindow().Attach(nullptr);
    setup->createAccount().Attach(nullptr);
    setup->changePassword().Attach(nullptr);
    setup->gameList().Attach(nullptr);
    setup->gameWindow().Attach(nullptr);
    setup->publicReqs().Attach(nullptr);
    setup->scoreboard().Attach(nullptr);
    setup->requestForm().Attach(nullptr);
    setup->localGameForm().Attach(nullptr);
    setup->playBotForm().Attach(nullptr);
    return code;
}
