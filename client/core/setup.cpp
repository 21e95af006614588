#include "client/core/setup.h"

#include <optional>

#include "client/core/protocol/commands.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc {

Setup::Setup(Platform platform, ServerAddress server, std::string webBase,
             game::BannerServer banner)
    : platform_(platform),
      pingTimer_(platform.timers.CreateTimer(1000, [this] { session_.PingTimerTick(); })),
      timeOut_(platform.timers.CreateTimer(10000, [this] { session_.TimeOutTick(); })),
      connectTimer_(platform.timers.CreateTimer(250, [this] { session_.ConnectTimerTick(); })),
      rcvModeTimer_(platform.timers.CreateTimer(20000, [this] { dispatcher_.RcvModeTimerTick(); })),
      closeSoundTimer_(platform.timers.CreateTimer(5000, [this] { status_.CloseSoundTick(); })),
      trayIcon_(platform.tray),
      status_(trayIcon_, views_.floater, prefs, platform.sound, *closeSoundTimer_),
      web_(platform.shell, webBase.empty() ? desktop::WebBaseUrl(server.host) : std::move(webBase)),
      dispatcher_(receive, *rcvModeTimer_),
      session_(login, counters, platform.socket, platform.eventLoop, platform.clock,
               platform.dialogs, protocol::SessionTimers{*pingTimer_, *timeOut_, *connectTimer_},
               status_, dispatcher_, std::move(server), views_.settings),
      notices_(platform.dialogs, [this](const std::string& page) { web_.Site(page); }),
      banner_(
          platform.bannerSocket, platform.timers,
          banner.host.empty() ? game::BannerServer{session_.Server().host, 80} : std::move(banner)),
      gameWindow_(game::GameWindowContext{
          game, prefs, login, counters, session_, platform.dialogs, platform.dateTime,
          [this](const std::string& page) { web_.Site(page); },
          [this] { session_.ReconnectSoon(); }, platform.clock, platform.timers,
          [this] { Connect(); }, [this] { return session_.LoggedIn(); }, gameLists,
          [this](const std::string& id) { ViewGame(id); }, banner_}),
      gameSession_(game, prefs, session_, platform.clock, gameWindow_),
      requests_(gameLists, login, session_, web_, views_.lobby.requestWin),
      gameList_(lobby::GameListContext{
          gameLists, login, counters, status_, prefs, platform.clock, platform.dateTime,
          platform.timers, session_, requests_, web_, deadlines, views_.lobby,
          [this](const std::string& row) { ViewListRow(row); }, [this] { Connect(); }}),
      lobby_(gameLists, lobbyLists, platform.clock, session_, gameList_, views_.lobby,
             [this](const std::string& id) { ViewGame(id); }),
      alerts_(lobby::MoveAlertsContext{gameLists, login, counters, prefs, platform.clock,
                                       platform.timers, platform.tray, session_, deadlines}),
      publicReqs_(lobby::ListWindowContext{gameLists, login, prefs, platform.timers,
                                           platform.dateTime, session_, requests_}),
      scoreboard_(lobby::ListWindowContext{gameLists, login, prefs, platform.timers,
                                           platform.dateTime, session_, requests_}),
      requestForm_(lobby::FormKind::Request, FormContext()),
      localGameForm_(lobby::FormKind::LocalGame, FormContext()),
      playBotForm_(lobby::FormKind::PlayBot, FormContext()),
      settingsWindow_(settings::SettingsWindowContext{
          session_, prefs, AppRemember, credits, platform.dialogs,
          [this](const std::string& page) { web_.Site(page); }, [this] { gameWindow_.Unload(); },
          [this] { status_.AlwaysOnTop(); }}),
      createAccount_(AccountContext()),
      changePassword_(account::ChangePasswordContext{
          AccountContext(), [this] { return login.QVID; },
          [this](const std::string& hash) { session_.StoreDigest(hash); }}) {
    views_.settings = &settingsWindow_;
    settingsWindow_.openChangePassword = [this] { changePassword_.Show(); };
    settingsWindow_.openCreateAccount = [this] { createAccount_.Show(); };
    lobby::LobbyViews& windows = views_.lobby;
    windows.publicReqs = &publicReqs_;
    windows.scoreboard = &scoreboard_;
    windows.requestWin = &requestForm_;
    windows.localGame = &localGameForm_;
    windows.playBot = &playBotForm_;
    windows.settingsWindow = &settingsWindow_;
    // The message table; no prefix shadows another, so the order is free.
    notices_.Register(dispatcher_);
    session_.Register();
    lobby_.Register(dispatcher_);
    gameSession_.Register(dispatcher_);
    RegisterAccountReplies();
    session_.onUpdated = [this] { RefreshShownWindows(); };
    lobby_.openGamesEnded = [this] {
        alerts_.OpenGamesArrived();
        gameWindow_.OpenGamesArrived();
    };
    lobby_.requestsForEnded = [this] { alerts_.RequestsForArrived(); };
    gameSession_.onGameLine = [this](const game::GameFields& g) {
        alerts_.KnowMoveTime(g.GameID, g.MoveTime, g.MoveTimeUnit);
    };
    alerts_.openGame = [this](const std::string& id) { ViewGame(id); };
    alerts_.openGameList = [this] { MenuGameList(); };
    alerts_.warningsChanged = [this] { gameList_.DeadlinesChanged(); };
    platform_.tray.onMessageClicked = [this](int id) { alerts_.MessageClicked(id); };
    trayIcon_.MouseUp = [this](int button) { TrayMouseUp(button); };
    trayIcon_.MouseDblClick = [this](int button) { TrayMouseDblClick(button); };
}

Setup::~Setup() {
    platform_.tray.onMessageClicked = nullptr;
}

account::AccountWindowContext Setup::AccountContext() {
    return {platform_.dialogs, settingsWindow_,
            [this](const std::string& command) { session_.Send(command, true); },
            [this](const std::string& page) { web_.Site(page); }};
}

void Setup::RegisterAccountReplies() {
    using protocol::Match;
    dispatcher_.AddMessage({"settings: ", Match::Prefix, [this](const std::string& line) {
                                settingsWindow_.RemoteSettings(protocol::MidFrom(line, 11));
                                return true;
                            }});
    dispatcher_.AddMessage({"created", Match::Whole, [this](const std::string&) {
                                createAccount_.Created();
                                return true;
                            }});
    dispatcher_.AddMessage({"!c", Match::Prefix, [this](const std::string& line) {
                                createAccount_.Refused(line);
                                return true;
                            }});
    dispatcher_.AddMessage({"changedpw", Match::Whole, [this](const std::string&) {
                                changePassword_.Changed();
                                return true;
                            }});
    dispatcher_.AddMessage({"!a", Match::Prefix, [this](const std::string& line) {
                                changePassword_.Refused(line);
                                return true;
                            }});
}

lobby::NewGameFormContext Setup::FormContext() {
    return {lobbyLists,
            login,
            prefs,
            platform_.timers,
            session_,
            web_,
            [this] { return session_.LoggedIn(); }};
}

void Setup::Load(const StartupEnvironment& env) {
    lobby_.ResetLists();
    settingsPath = env.settingsPath;
    settings::LoadedSettings loaded =
        settings::LoadSettingsFile(platform_.files, env.settingsPath, env.screen, env.defaults);
    prefs = std::move(loaded.settings);
    login.QVID = std::move(loaded.qvid);
    login.PWHash = std::move(loaded.pwHash);
    AppRemember = loaded.appRemember;
    prefs.RunOnStartUp = settings::ReadRunOnStartUp(platform_.autostart);

    trayIcon_.SetIcon(platform::TrayPicture::Grey);
    trayIcon_.Add();
    status_.SetTrayAvailable(env.trayAvailable);
    if (status_.FloaterShown() && views_.floater != nullptr) {
        status_.ShowFloater();
    }
    SetState(desktop::kStateOffline,
             std::string(text::kProgramName) + protocol::kCrLf + "Connecting . . .");
    if (prefs.OpenGameList) {
        gameList_.Show();
    }
    alerts_.Start();
    Connect();
}

void Setup::Unload() {
    Send(protocol::cmd::Disconnect());
    // Each window stores its position as it unloads, before the save below.
    changePassword_.Unload();
    createAccount_.Unload();
    status_.HideFloater();
    gameList_.Unload();
    gameWindow_.Unload();
    const lobby::LobbyViews& v = views_.lobby;
    for (WindowView* w : {v.localGame, v.playBot, static_cast<WindowView*>(v.publicReqs),
                          static_cast<WindowView*>(v.requestWin),
                          static_cast<WindowView*>(v.scoreboard), v.settingsWindow}) {
        if (w != nullptr && w->IsLoaded()) {
            w->Unload();
        }
    }
    if (views_.trayMenu != nullptr) {
        views_.trayMenu->Unload();
    }
    if (!AppRemember) {
        login.PWHash.clear();
    }
    if (!settingsPath.empty()) {
        settings::SaveSettingsFile(platform_.files, settingsPath, prefs, login.QVID, login.PWHash,
                                   AppRemember);
    }
    settings::SaveRunOnStartUp(platform_.autostart, prefs.RunOnStartUp);
    trayIcon_.Remove();
    platform_.socket.Close();
}

namespace {

// The element number after "o" or "c", when the rest is all digits.
std::optional<std::size_t> ElementNumber(const std::string& id, char list) {
    if (id.size() < 2 || id[0] != list || id.size() > 6) {
        return std::nullopt;
    }
    std::size_t n = 0;
    for (std::size_t i = 1; i < id.size(); ++i) {
        if (id[i] < '0' || id[i] > '9') {
            return std::nullopt;
        }
        n = n * 10 + static_cast<std::size_t>(id[i] - '0');
    }
    return n;
}

}  // namespace

void Setup::ViewListRow(const std::string& row) {
    // Only the game list names games by row; an identifier that came from
    // the server or the chooser is never read as one.
    std::string id;
    if (const auto n = ElementNumber(row, 'o'); n && *n < gameLists.OpenGamesData.size()) {
        id = gameLists.OpenGamesData[*n].ID;
    } else if (const auto c = ElementNumber(row, 'c'); c && *c < gameLists.ClosedGamesData.size()) {
        id = gameLists.ClosedGamesData[*c].ID;
    }
    if (!id.empty()) {
        ViewGame(id);
    }
}

void Setup::ViewNext(bool inDoubleClick) {
    gameWindow_.ViewNext(!inDoubleClick);
}

void Setup::ViewGame(const std::string& id) {
    gameSession_.ShowWindow();
    if (!gameList_.IsShown()) {
        Send(protocol::cmd::OpenGames());
    }
    gameSession_.ViewGame(id);
}

void Setup::RefreshShownWindows() {
    const bool gameListShown = lobby_.RefreshShown();
    const bool gameWindowShown = gameSession_.WindowShown();
    gameSession_.RefreshShown(gameListShown);
    // The game list asks for every list, the game window for the open games.
    alerts_.Updated(gameListShown || gameWindowShown, gameListShown);
}

void Setup::TrayMouseUp(int button) {
    // One menu lives for the whole run; its check mark is set as it pops up.
    if (button == desktop::kLeftButton) {
        session_.ConnectSoon();
    } else if (button == desktop::kRightButton && views_.trayMenu != nullptr) {
        views_.trayMenu->Popup(MenuState());
    }
}

void Setup::MenuGameList() {
    gameList_.Show();
    Send(protocol::cmd::GameList());
}

void Setup::TrayMouseDblClick(int button) {
    if (button == desktop::kLeftButton) {
        DoubleClick();
    }
}

void Setup::FloaterMouseUp(int button) {
    if (button == desktop::kLeftButton) {
        status_.EndDrag();
    }
    TrayMouseUp(button);
}

void Setup::DoubleClick() {
    if (status_.State() == desktop::kStateYourMove && !prefs.AlwaysList) {
        // The lists come with the refresh below; the game to show is picked
        // when they arrive. A double click has no release after it to start
        // that refresh, so it starts it itself.
        ViewNext(true);
        session_.ConnectSoon();
        return;
    }
    gameList_.Show();
}

void Setup::MenuChoose(desktop::MenuItem item) {
    using desktop::MenuItem;
    const auto showAndSend = [this](WindowView* w, const std::string& command) {
        if (w != nullptr) {
            w->Show();
            if (!command.empty()) {
                Send(command);
            }
        }
    };
    lobby::LobbyViews& v = views_.lobby;
    switch (item) {
        case MenuItem::Separator:
            break;
        case MenuItem::Connect:
            Connect();
            break;
        case MenuItem::GameWin:
            ViewNext();
            break;
        case MenuItem::GameList:
            MenuGameList();
            break;
        case MenuItem::PublicReqs:
            showAndSend(v.publicReqs, protocol::cmd::PublicReqs());
            break;
        case MenuItem::Request:
            showAndSend(v.requestWin, protocol::cmd::RequestWin());
            break;
        case MenuItem::LocalGame:
            showAndSend(v.localGame, "");
            break;
        case MenuItem::PlayBot:
            showAndSend(v.playBot, "");
            break;
        case MenuItem::KnightsTour:
            web_.KnightsTour();
            break;
        case MenuItem::MyStats:
            web_.Site("stats.html?qvid=" + login.QVID);
            break;
        case MenuItem::MyHist:
            web_.Site("history.html?qvid=" + login.QVID);
            break;
        case MenuItem::Scoreboard:
            showAndSend(v.scoreboard, protocol::cmd::Scoreboard());
            break;
        case MenuItem::BuySlots:
            web_.Site("buyslots.html");
            break;
        case MenuItem::BuyTexts:
            web_.Site("buytexts.html");
            break;
        case MenuItem::Help:
            web_.HelpFile();
            break;
        case MenuItem::Variants:
            web_.Site("variants.html");
            break;
        case MenuItem::ShowFloater:
            ToggleFloater();
            break;
        case MenuItem::Settings:
            gameList_.Settings();
            break;
        case MenuItem::ExitChess:
            if (exitProgram) {
                exitProgram();
            }
            break;
    }
}

}  // namespace qc
