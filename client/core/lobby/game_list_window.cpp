#include "client/core/lobby/game_list_window.h"
#include "client/core/protocol/commands.h"

#include <cmath>

#include "client/core/desktop/web_pages.h"
#include "client/core/lobby/request_actions.h"
#include "client/core/lobby/server_time.h"
#include "client/core/setup.h"
#include "client/core/text.h"

namespace qc::lobby {

namespace {

std::string SlotsWhole(float slots) {
    const double whole = std::floor(static_cast<double>(slots));
    return std::isfinite(whole) && std::fabs(whole) < 1e15
               ? std::to_string(static_cast<long long>(whole))
               : std::string("0");
}

std::string ColourText(const std::string& colour) {
    return colour == "b" ? "Black" : "White";
}

}  // namespace

GameListWindow::GameListWindow(Setup& setup) : setup_(setup) {
    grids_[kOpenGrid].headers = {"Game ID", "Opponent", "Game Type", "Your Move",
                                 "Move must be made by"};
    grids_[kOpenGrid].widths = {735, 1440, 1145, 885, 1995};
    grids_[kClosedGrid].headers = {"Game ID", "Opponent", "Game Type", "Ended", "Outcome"};
    grids_[kClosedGrid].widths = {735, 1440, 1145, 1995, 750};
    grids_[kForGrid].headers = {"Request by", "Game Type", "Your colour", "Move time limit"};
    grids_[kForGrid].widths = {1440, 1145, 915, 1140};
    grids_[kByGrid].headers = {"Request for", "Game Type", "Your colour", "Move time limit"};
    grids_[kByGrid].widths = {1440, 1145, 915, 1140};
    Load();
}

void GameListWindow::Load() {
    for (GridState& g : grids_) {
        g.rows.clear();
        g.row = 1;
        g.selected = false;
        g.currentRow = 0;
        g.currentCol = g.Visible();
    }
    buttons_ = GameListButtons{};
    EnableWindows();
}

int GameListWindow::LoadX() const {
    return setup_.prefs.GameListX;
}
int GameListWindow::LoadY() const {
    return setup_.prefs.GameListY;
}

void GameListWindow::Unload(double leftTwips, double topTwips) {
    // A window at exactly (0, 0) keeps the saved position.
    if (leftTwips != 0 || topTwips != 0) {
        setup_.prefs.GameListX = static_cast<std::int32_t>(std::lround(leftTwips));
        setup_.prefs.GameListY = static_cast<std::int32_t>(std::lround(topTwips));
    }
}

void GameListWindow::EnableWindows() {
    const Views& v = setup_.views();
    buttons_.publicReqs = v.publicReqs != nullptr;
    buttons_.request = v.requestWin != nullptr;
    buttons_.local = v.localGame != nullptr;
    buttons_.bot = v.playBot != nullptr;
    buttons_.scoreboard = v.scoreboard != nullptr;
    buttons_.settings = v.settingsWindow != nullptr;
}

void GameListWindow::Update() {
    const GameLists& lists = setup_.gameLists;
    const std::string& qvid = setup_.login.QVID;
    for (GridState& g : grids_) {
        g.rows.clear();
    }

    if (!lists.OpenGamesData.empty() && !lists.OpenGamesData[0].ID.empty()) {
        for (const OpenGameRec& r : lists.OpenGamesData) {
            const bool local = IsSelf(r.Opponent, qvid);
            grids_[kOpenGrid].rows.push_back({r.ID, local ? "Local Game" : r.Opponent, r.GameType,
                                              local ? "-" : (r.YourMove ? "YES" : "No"),
                                              setup_.ServerTimeText(r.MoveBy)});
        }
    }
    if (!lists.ClosedGamesData.empty() && !lists.ClosedGamesData[0].ID.empty()) {
        for (const ClosedGameRec& r : lists.ClosedGamesData) {
            grids_[kClosedGrid].rows.push_back(
                {r.ID, IsSelf(r.Opponent, qvid) ? "Local Game" : r.Opponent, r.GameType,
                 setup_.ServerTimeText(r.Ended), OutcomeText(r.Outcome)});
        }
    }
    if (!lists.ReqsForData.empty() && !lists.ReqsForData[0].ID.empty()) {
        for (const RequestRec& r : lists.ReqsForData) {
            grids_[kForGrid].rows.push_back(
                {r.QVID, r.GameType, ColourText(r.Colour), MoveTimeText(r.TimeAmount, r.TimeUnit)});
        }
    }
    if (!lists.ReqsByData.empty() && !lists.ReqsByData[0].ID.empty()) {
        for (const RequestRec& r : lists.ReqsByData) {
            grids_[kByGrid].rows.push_back({r.QVID.empty() ? "-" : r.QVID, r.GameType,
                                            ColourText(r.Colour),
                                            MoveTimeText(r.TimeAmount, r.TimeUnit)});
        }
    }
    for (GridState& g : grids_) {
        g.currentRow = g.rows.empty() ? 0 : 1;
        g.currentCol = g.Visible();
    }

    // A list keeps its selection, and one without a selection stays so.
    for (GridId id : {kOpenGrid, kClosedGrid, kForGrid, kByGrid}) {
        if (grids_[id].selected) {
            Select(id);
        }
    }
    slots_ = "Using " + std::to_string(setup_.counters.Games) + "/" +
             SlotsWhole(setup_.counters.Slots) + " game slots";
    EnableWindows();
}

void GameListWindow::Pick(GridId id, int row, int col) {
    GridState& g = grids_[id];
    if (row >= 1 && row <= g.DataRows()) {
        g.currentRow = row;
        g.currentCol = col;
        if (col >= 0 && col < g.Visible()) {
            g.row = row;
        }
    }
    Select(id);
}

void GameListWindow::Select(GridId id) {
    GridState& g = grids_[id];
    if (g.rows.empty()) {
        g.selected = false;
        g.currentRow = 0;
        g.currentCol = g.Visible();
        EnableFor(id, false);
        return;
    }
    // A refresh that shortened the list selects its last row.
    if (g.row > g.DataRows()) {
        g.row = g.DataRows();
    }
    if (g.row < 1) {
        g.row = 1;
    }
    g.selected = true;
    g.currentRow = g.row;
    g.currentCol = g.Visible();
    EnableFor(id, true);
}

void GameListWindow::EnableFor(GridId id, bool on) {
    GameListButtons& b = buttons_;
    switch (id) {
        case kOpenGrid:
            b.view[0] = b.oppStats[0] = b.oppHist[0] = on;
            break;
        case kClosedGrid:
            b.view[1] = b.oppStats[1] = b.oppHist[1] = b.remove = on;
            break;
        case kForGrid:
            b.decline = b.oppStats[2] = b.oppHist[2] = on;
            if (!on) {
                b.accept = false;
            } else if (static_cast<double>(setup_.counters.Slots) - setup_.counters.Games > 0) {
                b.accept = true;
            }
            break;
        case kByGrid: {
            b.cancel = on;
            const bool hasOpponent = on && !IsPublicReq(setup_, grids_[kByGrid].row - 1);
            b.oppStats[3] = b.oppHist[3] = hasOpponent;
            break;
        }
    }
}

bool GameListWindow::ClockTick() {
    const platform::CivilTime local = setup_.platform().clock.LocalNow();
    const platform::CivilTime shown =
        setup_.prefs.MyTime ? local
                            : CivilFromSeconds(CivilSeconds(local) - setup_.counters.TimeDiff);
    std::string clock = setup_.platform().dateTime.DateTime(shown);
    std::string caption = "Quorvel Chess - ";
    const protocol::LoginState& login = setup_.login;
    if (login.State != 0) {
        caption += text::ToLower(login.QVID) == "guest" ? "Creating guest account" : login.QVID;
    } else {
        caption += login.PingTime > 3 ? "Disconnected" : "Connecting";
    }
    const bool changed = clock != clock_ || caption != caption_;
    clock_ = std::move(clock);
    caption_ = std::move(caption);
    return changed;
}

void GameListWindow::View(int i) {
    const GridState& g = grids_[i == 0 ? kOpenGrid : kClosedGrid];
    setup_.ViewGame((i == 0 ? "o" : "c") + std::to_string(g.row - 1));
}

void GameListWindow::DoubleClick(GridId grid) {
    if ((grid == kOpenGrid || grid == kClosedGrid) && grids_[grid].selected) {
        View(grid);
    }
}

void GameListWindow::OppStats(int i) {
    if (i >= 0 && i < 4) {
        lobby::OppStats(setup_, i, grids_[i].row - 1);
    }
}

void GameListWindow::OppHist(int i) {
    if (i >= 0 && i < 4) {
        lobby::OppHist(setup_, i, grids_[i].row - 1);
    }
}

void GameListWindow::Accept() {
    AcceptReq(setup_, grids_[kForGrid].row - 1);
}
void GameListWindow::Decline() {
    DeclineReq(setup_, grids_[kForGrid].row - 1);
}
void GameListWindow::Remove() {
    RemoveGame(setup_, grids_[kClosedGrid].row - 1);
}
void GameListWindow::Cancel() {
    CancelReq(setup_, grids_[kByGrid].row - 1);
}

void GameListWindow::PublicReqs() {
    if (auto* w = setup_.views().publicReqs) {
        w->Show();
        setup_.Send(protocol::cmd::PublicReqs());
    }
}

void GameListWindow::Request() {
    if (auto* w = setup_.views().requestWin) {
        w->Show();
        setup_.Send(protocol::cmd::RequestWin());
    }
}

void GameListWindow::Local() {
    if (auto* w = setup_.views().localGame) {
        w->Show();
    }
}

void GameListWindow::Bot() {
    if (auto* w = setup_.views().playBot) {
        w->Show();
    }
}

void GameListWindow::KnightsTour() {
    setup_.KnightsTour();
}

void GameListWindow::MyStats() {
    setup_.Site("stats.html?qvid=" + setup_.login.QVID);
}
void GameListWindow::MyHist() {
    setup_.Site("history.html?qvid=" + setup_.login.QVID);
}

void GameListWindow::Scoreboard() {
    if (auto* w = setup_.views().scoreboard) {
        w->Show();
        setup_.Send(protocol::cmd::Scoreboard());
    }
}

void GameListWindow::BuySlots() {
    setup_.Site("buyslots.html");
}

void GameListWindow::Settings() {
    WindowView* w = setup_.views().settingsWindow;
    if (w == nullptr) {
        return;
    }
    // An open settings window only gets the focus; a new one asks the server.
    const bool wasShown = w->IsShown();
    w->Show();
    if (!wasShown) {
        setup_.Send(protocol::cmd::GetSettings());
    }
}

void GameListWindow::RefreshButton() {
    setup_.Connect();
}

}  // namespace qc::lobby
