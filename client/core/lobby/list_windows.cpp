#include "client/core/lobby/list_windows.h"

#include <cmath>
#include <exception>

#include "client/core/protocol/commands.h"
#include "client/core/text.h"

namespace qc::lobby {

namespace {

constexpr int kRefreshRetryMs = 3000;

bool IsGuestAccount(const std::string& qvid) {
    return text::StartsWith(text::ToLower(qvid), "guest");
}

}  // namespace

ListWindow::ListWindow(ListWindowContext context, std::vector<std::string> headers,
                       std::vector<int> widths, SavedRect saved, std::string (*refresh)())
    : ctx_(context), saved_(saved), refresh_(refresh) {
    state_.grid.headers = std::move(headers);
    state_.grid.widths = std::move(widths);
    ClearGrid(state_.grid);
    refreshTimer_ = ctx_.timers.CreateTimer(kRefreshRetryMs, [this] { RefreshTick(); });
}

ListWindow::~ListWindow() = default;

void ListWindow::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void ListWindow::Show() {
    if (loaded_) {
        if (view_ != nullptr) {
            view_->Raise();
        }
        return;
    }
    loaded_ = true;
    ClearGrid(state_.grid);
    state_.rowButtons = {};
    Render();
    if (view_ != nullptr) {
        const settings::Settings& p = ctx_.prefs;
        view_->Open({static_cast<double>(p.*saved_.x), static_cast<double>(p.*saved_.y),
                     static_cast<double>(p.*saved_.width), static_cast<double>(p.*saved_.height)});
    }
}

void ListWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    if (view_ == nullptr) {
        return;
    }
    const WindowRect r = view_->Geometry();
    if (r.left != 0 || r.top != 0 || r.width != 0 || r.height != 0) {
        settings::Settings& p = ctx_.prefs;
        p.*saved_.x = static_cast<std::int32_t>(std::lround(r.left));
        p.*saved_.y = static_cast<std::int32_t>(std::lround(r.top));
        p.*saved_.width = static_cast<std::int32_t>(std::lround(r.width));
        p.*saved_.height = static_cast<std::int32_t>(std::lround(r.height));
    }
    view_->Close();
}

void ListWindow::Update() {
    if (!loaded_) {
        return;
    }
    try {
        SetRows(state_.grid, Rows());
        // A selected row stays selected, clamped to the rows there are, and
        // its buttons are decided again for what it now shows.
        if (state_.grid.selected) {
            Select();
        }
    } catch (const std::exception&) {
        // Ask again a little later rather than show half a list.
        refreshTimer_->SetEnabled(true);
    }
    Render();
}

void ListWindow::Pick(int row, int col) {
    PickCell(state_.grid, row, col);
    Select();
    Render();
}

void ListWindow::Select() {
    if (SelectRow(state_.grid)) {
        state_.rowButtons = ButtonsFor(state_.grid.Element());
    } else {
        state_.rowButtons = {};
    }
}

void ListWindow::RefreshButton() {
    ctx_.commands.Send(refresh_());
}

void ListWindow::RefreshTick() {
    refreshTimer_->SetEnabled(false);
    ctx_.commands.Send(refresh_());
}

PublicReqsWindow::PublicReqsWindow(ListWindowContext context)
    : ListWindow(context,
                 {"Request by", "Game Type", "Your colour", "Move time limit", "Guests allowed"},
                 {1450, 1150, 925, 1150, 1150},
                 {&settings::Settings::PublicReqsX, &settings::Settings::PublicReqsY,
                  &settings::Settings::PublicReqsWidth, &settings::Settings::PublicReqsHeight},
                 protocol::cmd::PublicReqs) {}

std::vector<std::vector<std::string>> PublicReqsWindow::Rows() const {
    std::vector<std::vector<std::string>> rows;
    const auto& list = ctx_.lists.PublicReqsData;
    if (list.empty() || list[0].ID.empty()) {
        return rows;
    }
    for (const RequestRec& r : list) {
        rows.push_back({r.QVID, r.GameType, r.Colour == "b" ? "Black" : "White",
                        MoveTimeText(r.TimeAmount, r.TimeUnit), r.GuestsAllowed ? "Yes" : "No"});
    }
    return rows;
}

std::array<bool, 3> PublicReqsWindow::ButtonsFor(int element) const {
    // The user's own request cannot be accepted, nor does it need a look at
    // its requester.
    if (ctx_.actions.IsMyPublicReq(element)) {
        return {false, false, false};
    }
    // A guest may look at the requester of a request closed to guests.
    if (ctx_.actions.IsNoGuestsReq(element) && IsGuestAccount(ctx_.login.QVID)) {
        return {false, true, true};
    }
    return {true, true, true};
}

void PublicReqsWindow::Accept() {
    if (RowButtons()[0]) {
        ctx_.actions.AcceptPublicReq(Grid().Element());
        ctx_.commands.Send(protocol::cmd::PublicReqs());
    }
}

void PublicReqsWindow::Stats() {
    if (RowButtons()[1]) {
        ctx_.actions.PublicReqStats(Grid().Element());
    }
}

void PublicReqsWindow::Hist() {
    if (RowButtons()[2]) {
        ctx_.actions.PublicReqHist(Grid().Element());
    }
}

ScoreboardWindow::ScoreboardWindow(ListWindowContext context)
    : ListWindow(context,
                 {"Rank", "QVID", "Win rate", "Total games", "Wins", "Losses", "Draws", "Version"},
                 {975, 2000, 975, 975, 975, 975, 975, 975},
                 {&settings::Settings::ScoreboardX, &settings::Settings::ScoreboardY,
                  &settings::Settings::ScoreboardWidth, &settings::Settings::ScoreboardHeight},
                 protocol::cmd::Scoreboard) {}

namespace {

std::int64_t Total(const ScoreRec& r) {
    return static_cast<std::int64_t>(r.Wins) + r.Losses + r.Draws;
}

}  // namespace

std::string RankText(const ScoreRec& r, int place) {
    return Total(r) < 10 ? std::string("New") : std::to_string(place);
}

std::string WinRateText(const ScoreRec& r, platform::DateTimeFormat& numbers) {
    const std::int64_t total = Total(r);
    const double rate =
        total > 0 ? static_cast<double>(r.Wins) / static_cast<double>(total) * 100 : 0.0;
    return numbers.Fixed(rate, 2) + "%";
}

std::vector<std::vector<std::string>> ScoreboardWindow::Rows() const {
    std::vector<std::vector<std::string>> rows;
    const auto& list = ctx_.lists.ScoreboardData;
    if (list.empty() || list[0].QVID.empty()) {
        return rows;
    }
    int place = 0;
    for (const ScoreRec& r : list) {
        ++place;
        rows.push_back({RankText(r, place), r.QVID, WinRateText(r, ctx_.numbers),
                        std::to_string(Total(r)), std::to_string(r.Wins), std::to_string(r.Losses),
                        std::to_string(r.Draws), r.Version});
    }
    return rows;
}

std::array<bool, 3> ScoreboardWindow::ButtonsFor(int) const {
    return {true, true, true};
}

void ScoreboardWindow::Request() {
    if (RowButtons()[0]) {
        ctx_.actions.BoardReq(Grid().Element());
    }
}

void ScoreboardWindow::Stats() {
    if (RowButtons()[1]) {
        ctx_.actions.BoardStats(Grid().Element());
    }
}

void ScoreboardWindow::Hist() {
    if (RowButtons()[2]) {
        ctx_.actions.BoardHist(Grid().Element());
    }
}

}  // namespace qc::lobby
