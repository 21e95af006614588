#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "client/core/lobby/game_lists.h"
#include "client/core/lobby/grid.h"
#include "client/core/lobby/request_actions.h"
#include "client/core/lobby/window_rect.h"
#include "client/core/protocol/controller.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/locale.h"
#include "client/platform/timer.h"

namespace qc::lobby {

// What a list window shows: one grid and its three row buttons (accept or
// request, statistics, history). The refresh button is always enabled.
struct ListWindowState {
    GridState grid;
    std::array<bool, 3> rowButtons{};
    bool operator==(const ListWindowState&) const = default;
};

using ListView = StateView<ListWindowState>;

// The saved place of a resizable window.
struct SavedRect {
    std::int32_t settings::Settings::*x;
    std::int32_t settings::Settings::*y;
    std::int32_t settings::Settings::*width;
    std::int32_t settings::Settings::*height;
};

// What the list windows read and whom they ask.
struct ListWindowContext {
    const GameLists& lists;
    const protocol::LoginState& login;
    settings::Settings& prefs;
    platform::TimerFactory& timers;
    platform::DateTimeFormat& numbers;
    protocol::CommandSink& commands;
    RequestActions& actions;
};

// A resizable window that lists one of the server's lists, refreshed from
// the controller's copy when the list ends. Its rows are computed here; the
// widget draws the state it is handed and forwards the user's picks.
class ListWindow : public ListWindowView {
  public:
    ~ListWindow() override;
    ListWindow(const ListWindow&) = delete;
    ListWindow& operator=(const ListWindow&) = delete;

    void Attach(ListView* view) { view_ = view; }

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_; }
    // Loads the window on first use at its saved place and size, or brings
    // it to the front.
    void Show() override;
    // Keeps the place and size, unless all four are 0.
    void Unload() override;
    // Refills the grid from the list, keeping the selection.
    void Update() override;

    // The user picked a cell (data rows from 1, visible columns from 0).
    void Pick(int row, int col);
    // Asks the server for the list again.
    void RefreshButton();

    const ListWindowState& State() const { return state_; }
    const GridState& Grid() const { return state_.grid; }
    const std::array<bool, 3>& RowButtons() const { return state_.rowButtons; }
    // The smallest size the window can be given, in twips.
    virtual WindowRect MinimumSize() const = 0;

  protected:
    ListWindow(ListWindowContext context, std::vector<std::string> headers, std::vector<int> widths,
               SavedRect saved, std::string (*refresh)());
    // The rows of the list, or none for an empty list.
    virtual std::vector<std::vector<std::string>> Rows() const = 0;
    // The row buttons for the selected element.
    virtual std::array<bool, 3> ButtonsFor(int element) const = 0;

    ListWindowContext ctx_;

  private:
    void Select();
    void Render();
    void RefreshTick();

    SavedRect saved_;
    std::string (*refresh_)();
    ListView* view_ = nullptr;
    std::unique_ptr<platform::Timer> refreshTimer_;
    ListWindowState state_;
    bool loaded_ = false;
};

// "Public Game Requests": everybody's open requests; one may be accepted.
class PublicReqsWindow : public ListWindow {
  public:
    explicit PublicReqsWindow(ListWindowContext context);

    WindowRect MinimumSize() const override { return {0, 0, 5415, 2655}; }

    // Accepts the selected request, then asks for the list again.
    void Accept();
    void Stats();
    void Hist();

  protected:
    std::vector<std::vector<std::string>> Rows() const override;
    std::array<bool, 3> ButtonsFor(int element) const override;
};

// "Scoreboard": the players as the server ranks them.
class ScoreboardWindow : public ListWindow {
  public:
    explicit ScoreboardWindow(ListWindowContext context);

    WindowRect MinimumSize() const override { return {0, 0, 9540, 2655}; }

    // A request to the selected player.
    void Request();
    void Stats();
    void Hist();

  protected:
    std::vector<std::vector<std::string>> Rows() const override;
    std::array<bool, 3> ButtonsFor(int element) const override;
};

// "New" below 10 games, else the place in the list (1-based).
std::string RankText(const ScoreRec& r, int place);
// Wins over all games in percent with two decimals and the locale's
// separator; a player without games shows 0.
std::string WinRateText(const ScoreRec& r, platform::DateTimeFormat& numbers);

}  // namespace qc::lobby
