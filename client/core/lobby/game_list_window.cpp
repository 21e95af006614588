#include "client/core/lobby/game_list_window.h"
#include "client/core/protocol/commands.h"

#include <cmath>

#include "client/core/protocol/server_time.h"
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

GameListWindow::GameListWindow(GameListContext context) : ctx_(std::move(context)) {
    auto& grids = state_.grids;
    grids[kOpenGrid].headers = {"Game ID", "Opponent", "Game Type", "Your Move",
                                "Move must be made by"};
    grids[kOpenGrid].widths = {735, 1440, 1145, 885, 1995};
    grids[kOpenGrid].warnColumn = 4;
    grids[kClosedGrid].headers = {"Game ID", "Opponent", "Game Type", "Ended", "Outcome"};
    grids[kClosedGrid].widths = {735, 1440, 1145, 1995, 750};
    grids[kForGrid].headers = {"Request by", "Game Type", "Your colour", "Move time limit"};
    grids[kForGrid].widths = {1440, 1145, 915, 1140};
    grids[kByGrid].headers = {"Request for", "Game Type", "Your colour", "Move time limit"};
    grids[kByGrid].widths = {1440, 1145, 915, 1140};
    state_.caption = std::string(text::kProgramName) + " - Disconnected";
    clockTimer_ = ctx_.timers.CreateTimer(100, [this] { ClockTick(); });
    Load();
}

GameListWindow::~GameListWindow() = default;

void GameListWindow::Attach(GameListView* view) {
    view_ = view;
}

void GameListWindow::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

std::string GameListWindow::TimeText(const ServerTime& t) const {
    return ServerTimeText(t, ctx_.counters.TimeDiff, ctx_.prefs.MyTime, ctx_.dateTime);
}

void GameListWindow::Show() {
    if (!loaded_) {
        loaded_ = true;
        Load();
        clockTimer_->SetEnabled(true);
        ClockTick();
        Render();
        if (view_ != nullptr) {
            view_->Open(ctx_.prefs.GameListX, ctx_.prefs.GameListY);
        }
        return;
    }
    if (view_ != nullptr) {
        view_->Raise();
    }
}

void GameListWindow::Load() {
    for (GridState& g : state_.grids) {
        ClearGrid(g);
    }
    openIds_.clear();
    state_.buttons = GameListButtons{};
    EnableWindows();
}

void GameListWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    clockTimer_->SetEnabled(false);
    if (view_ == nullptr) {
        return;
    }
    KeepPlace(view_->Left(), view_->Top(), ctx_.prefs.GameListX, ctx_.prefs.GameListY);
    view_->Close();
}

void GameListWindow::EnableWindows() {
    const LobbyViews& v = ctx_.views;
    GameListButtons& buttons = state_.buttons;
    buttons.publicReqs = v.publicReqs != nullptr;
    buttons.request = v.requestWin != nullptr;
    buttons.local = v.localGame != nullptr;
    buttons.bot = v.playBot != nullptr;
    buttons.scoreboard = v.scoreboard != nullptr;
    buttons.settings = v.settingsWindow != nullptr;
}

void GameListWindow::Update() {
    const GameLists& lists = ctx_.lists;
    const std::string& qvid = ctx_.login.QVID;
    auto& grids = state_.grids;
    for (GridState& g : grids) {
        g.rows.clear();
    }
    openIds_.clear();

    if (!lists.OpenGamesData.empty() && !lists.OpenGamesData[0].ID.empty()) {
        for (const OpenGameRec& r : lists.OpenGamesData) {
            openIds_.push_back(r.ID);
            const bool local = IsSelf(r.Opponent, qvid);
            grids[kOpenGrid].rows.push_back({r.ID, local ? "Local Game" : r.Opponent, r.GameType,
                                             local ? "-" : (r.YourMove ? "YES" : "No"),
                                             TimeText(r.MoveBy)});
        }
    }
    if (!lists.ClosedGamesData.empty() && !lists.ClosedGamesData[0].ID.empty()) {
        for (const ClosedGameRec& r : lists.ClosedGamesData) {
            grids[kClosedGrid].rows.push_back(
                {r.ID, IsSelf(r.Opponent, qvid) ? "Local Game" : r.Opponent, r.GameType,
                 TimeText(r.Ended), OutcomeText(r.Outcome)});
        }
    }
    if (!lists.ReqsForData.empty() && !lists.ReqsForData[0].ID.empty()) {
        for (const RequestRec& r : lists.ReqsForData) {
            grids[kForGrid].rows.push_back(
                {r.QVID, r.GameType, ColourText(r.Colour), MoveTimeText(r.TimeAmount, r.TimeUnit)});
        }
    }
    if (!lists.ReqsByData.empty() && !lists.ReqsByData[0].ID.empty()) {
        for (const RequestRec& r : lists.ReqsByData) {
            grids[kByGrid].rows.push_back({r.QVID.empty() ? "-" : r.QVID, r.GameType,
                                           ColourText(r.Colour),
                                           MoveTimeText(r.TimeAmount, r.TimeUnit)});
        }
    }
    for (GridState& g : grids) {
        g.currentRow = g.rows.empty() ? 0 : 1;
        g.currentCol = g.Visible();
    }
    MarkDeadlines();

    // A list keeps its selection, and one without a selection stays so.
    for (GridId id : {kOpenGrid, kClosedGrid, kForGrid, kByGrid}) {
        if (grids[id].selected) {
            Select(id);
        }
    }
    state_.slotsText = "Using " + std::to_string(ctx_.counters.Games) + "/" +
                       SlotsWhole(ctx_.counters.Slots) + " game slots";
    EnableWindows();
    Render();
}

bool GameListWindow::MarkDeadlines() {
    std::vector<bool> warned;
    warned.reserve(openIds_.size());
    for (const std::string& id : openIds_) {
        warned.push_back(ctx_.deadlines.Warned(id));
    }
    std::vector<bool>& shown = state_.grids[kOpenGrid].warnedRows;
    if (warned == shown) {
        return false;
    }
    shown = std::move(warned);
    return true;
}

void GameListWindow::DeadlinesChanged() {
    // The rows stay those of the last refresh: the lists may be half
    // received now.
    if (loaded_ && MarkDeadlines()) {
        Render();
    }
}

void GameListWindow::Pick(GridId id, int row, int col) {
    PickCell(state_.grids[id], row, col);
    Select(id);
    Render();
}

void GameListWindow::Select(GridId id) {
    // A refresh that shortened the list selects its last row.
    EnableFor(id, SelectRow(state_.grids[id]));
}

void GameListWindow::EnableFor(GridId id, bool on) {
    GameListButtons& b = state_.buttons;
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
            } else if (static_cast<double>(ctx_.counters.Slots) - ctx_.counters.Games > 0) {
                b.accept = true;
            }
            break;
        case kByGrid: {
            b.cancel = on;
            const bool hasOpponent = on && !ctx_.actions.IsPublicReq(state_.grids[kByGrid].row - 1);
            b.oppStats[3] = b.oppHist[3] = hasOpponent;
            break;
        }
    }
}

void GameListWindow::ClockTick() {
    const platform::CivilTime local = ctx_.clock.LocalNow();
    const platform::CivilTime shown =
        ctx_.prefs.MyTime
            ? local
            : protocol::CivilFromSeconds(protocol::CivilSeconds(local) - ctx_.counters.TimeDiff);
    std::string clock = ctx_.dateTime.DateTime(shown);
    std::string caption = std::string(text::kProgramName) + " - ";
    const protocol::LoginState& login = ctx_.login;
    if (ctx_.status.State() != desktop::kStateOffline) {
        caption +=
            text::EqualsIgnoreCase(login.QVID, "guest") ? "Creating guest account" : login.QVID;
    } else {
        caption += login.PingTime > 3 ? "Disconnected" : "Connecting";
    }
    if (clock == state_.clock && caption == state_.caption) {
        return;
    }
    state_.clock = std::move(clock);
    state_.caption = std::move(caption);
    Render();
}

void GameListWindow::View(int i) {
    const GridState& g = state_.grids[i == 0 ? kOpenGrid : kClosedGrid];
    ctx_.viewGame((i == 0 ? "o" : "c") + std::to_string(g.row - 1));
}

void GameListWindow::DoubleClick(GridId grid) {
    if ((grid == kOpenGrid || grid == kClosedGrid) && state_.grids[grid].selected) {
        View(grid);
    }
}

void GameListWindow::OppStats(int i) {
    if (i >= 0 && i < 4) {
        ctx_.actions.OppStats(i, state_.grids[i].row - 1);
    }
}

void GameListWindow::OppHist(int i) {
    if (i >= 0 && i < 4) {
        ctx_.actions.OppHist(i, state_.grids[i].row - 1);
    }
}

void GameListWindow::Accept() {
    ctx_.actions.AcceptReq(state_.grids[kForGrid].row - 1);
}
void GameListWindow::Decline() {
    ctx_.actions.DeclineReq(state_.grids[kForGrid].row - 1);
}
void GameListWindow::Remove() {
    ctx_.actions.RemoveGame(state_.grids[kClosedGrid].row - 1);
}
void GameListWindow::Cancel() {
    ctx_.actions.CancelReq(state_.grids[kByGrid].row - 1);
}

void GameListWindow::PublicReqs() {
    if (auto* w = ctx_.views.publicReqs) {
        w->Show();
        ctx_.commands.Send(protocol::cmd::PublicReqs());
    }
}

void GameListWindow::Request() {
    if (auto* w = ctx_.views.requestWin) {
        w->Show();
        ctx_.commands.Send(protocol::cmd::RequestWin());
    }
}

void GameListWindow::Local() {
    if (auto* w = ctx_.views.localGame) {
        w->Show();
    }
}

void GameListWindow::Bot() {
    if (auto* w = ctx_.views.playBot) {
        w->Show();
    }
}

void GameListWindow::KnightsTour() {
    ctx_.web.KnightsTour();
}

void GameListWindow::MyStats() {
    ctx_.web.Site("stats.html?qvid=" + ctx_.login.QVID);
}
void GameListWindow::MyHist() {
    ctx_.web.Site("history.html?qvid=" + ctx_.login.QVID);
}

void GameListWindow::Scoreboard() {
    if (auto* w = ctx_.views.scoreboard) {
        w->Show();
        ctx_.commands.Send(protocol::cmd::Scoreboard());
    }
}

void GameListWindow::BuySlots() {
    ctx_.web.Site("buyslots.html");
}

void GameListWindow::Settings() {
    WindowView* w = ctx_.views.settingsWindow;
    if (w == nullptr) {
        return;
    }
    // An open settings window only gets the focus; a new one asks the server.
    const bool wasShown = w->IsShown();
    w->Show();
    if (!wasShown) {
        ctx_.commands.Send(protocol::cmd::GetSettings());
    }
}

void GameListWindow::RefreshButton() {
    ctx_.connect();
}

}  // namespace qc::lobby
