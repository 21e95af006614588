#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "client/core/desktop/status_display.h"
#include "client/core/desktop/web_pages.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/lobby/grid.h"
#include "client/core/lobby/request_actions.h"
#include "client/core/protocol/controller.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/clock.h"
#include "client/platform/locale.h"
#include "client/platform/timer.h"

namespace qc::lobby {

// The four grids: their index is also the list number of the opponent
// buttons.
enum GridId : int { kOpenGrid = 0, kClosedGrid = 1, kForGrid = 2, kByGrid = 3 };

// Which of the window's buttons may be pressed.
struct GameListButtons {
    std::array<bool, 2> view{};
    std::array<bool, 4> oppStats{};
    std::array<bool, 4> oppHist{};
    bool accept = false;
    bool decline = false;
    bool remove = false;
    bool cancel = false;
    // Buttons whose windows may be missing.
    bool publicReqs = false;
    bool request = false;
    bool local = false;
    bool bot = false;
    bool scoreboard = false;
    bool settings = false;
    bool operator==(const GameListButtons&) const = default;
};

// Everything the window shows.
struct GameListState {
    std::array<GridState, 4> grids;
    GameListButtons buttons;
    std::string caption;
    std::string clock;
    std::string slotsText = "Using 0/5 game slots";
    bool operator==(const GameListState&) const = default;
};

// What the window needs of the widget that draws it. Positions are twips.
class GameListView {
  public:
    virtual ~GameListView() = default;
    virtual void Render(const GameListState& state) = 0;
    // Places the window and shows it in front, with the focus.
    virtual void Open(double leftTwips, double topTwips) = 0;
    // Brings the shown window to the front.
    virtual void Raise() = 0;
    virtual void Close() = 0;
    virtual double Left() const = 0;
    virtual double Top() const = 0;
};

// The other windows the game list's buttons open; any may be missing.
struct LobbyViews {
    ListWindowView* publicReqs = nullptr;
    ListWindowView* scoreboard = nullptr;
    RequestWindowView* requestWin = nullptr;
    WindowView* localGame = nullptr;
    WindowView* playBot = nullptr;
    WindowView* settingsWindow = nullptr;
};

// What the window reads and whom it asks.
struct GameListContext {
    const GameLists& lists;
    const protocol::LoginState& login;
    const protocol::StatusCounters& counters;
    const desktop::StatusDisplay& status;
    settings::Settings& prefs;
    const platform::Clock& clock;
    platform::DateTimeFormat& dateTime;
    platform::TimerFactory& timers;
    protocol::CommandSink& commands;
    RequestActions& actions;
    desktop::WebPages& web;
    // The open games whose deadline is close.
    const DeadlineWarnings& deadlines;
    LobbyViews& views;
    // Opens a game by its identifier or by "o"/"c" and an element number.
    std::function<void(const std::string& id)> viewGame;
    std::function<void()> connect;
};

// "My Games and Requests": everything the window shows, computed from the
// lists, and what its buttons do. The widget draws the state it is handed
// and forwards the user's clicks here.
class GameListWindow {
  public:
    explicit GameListWindow(GameListContext context);
    ~GameListWindow();
    GameListWindow(const GameListWindow&) = delete;
    GameListWindow& operator=(const GameListWindow&) = delete;

    void Attach(GameListView* view);

    // Loads the window on first use (saved position, fresh grids, the
    // clock running) and brings it to the front.
    void Show();
    // The window's unload: a position other than (0, 0) is kept.
    void Unload();
    bool IsLoaded() const { return loaded_; }
    bool IsShown() const { return loaded_; }

    // Copies the lists into the grids, keeping the selections.
    void Update();
    // The user picked a cell (data rows from 1, visible columns from 0).
    void Pick(GridId grid, int row, int col);
    // Once every 100 ms while loaded: the clock and the caption.
    void ClockTick();
    // The set of close deadlines changed: their cells are painted anew.
    void DeadlinesChanged();

    // Buttons.
    void View(int i);
    void DoubleClick(GridId grid);
    void OppStats(int i);
    void OppHist(int i);
    void Accept();
    void Decline();
    void Remove();
    void Cancel();
    void PublicReqs();
    void Request();
    void Local();
    void Bot();
    void KnightsTour();
    void MyStats();
    void MyHist();
    void Scoreboard();
    void BuySlots();
    void Settings();
    void RefreshButton();

    const GameListState& State() const { return state_; }
    const GridState& Grid(GridId g) const { return state_.grids[g]; }
    const GameListButtons& Buttons() const { return state_.buttons; }
    const std::string& Caption() const { return state_.caption; }
    const std::string& ClockText() const { return state_.clock; }
    const std::string& SlotsText() const { return state_.slotsText; }

  private:
    void Load();
    void Select(GridId grid);
    void EnableFor(GridId grid, bool on);
    void EnableWindows();
    void Render();
    std::string TimeText(const ServerTime& t) const;
    // Marks the deadline cells of the open games shown; true on a change.
    bool MarkDeadlines();

    GameListContext ctx_;
    GameListView* view_ = nullptr;
    std::unique_ptr<platform::Timer> clockTimer_;
    GameListState state_;
    // The game shown on each open-games row.
    std::vector<std::string> openIds_;
    bool loaded_ = false;
};

}  // namespace qc::lobby
