#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace qc {
class Setup;
}

namespace qc::lobby {

// The four grids: their index is also the list number of the opponent
// buttons.
enum GridId : int { kOpenGrid = 0, kClosedGrid = 1, kForGrid = 2, kByGrid = 3 };

// One grid as the window shows it. Row 0 is the header; data row r shows
// element r - 1 of its list.
struct GridState {
    std::vector<std::string> headers;
    std::vector<int> widths;  // twips; the hidden last column is not listed
    std::vector<std::vector<std::string>> rows;
    // The selected data row (1-based); only meaningful while `selected`.
    int row = 1;
    bool selected = false;
    // The grid's current cell; the column is parked past the visible ones
    // so that no built-in marking shows.
    int currentRow = 0;
    int currentCol = 0;

    int Visible() const { return static_cast<int>(headers.size()); }
    int DataRows() const { return static_cast<int>(rows.size()); }
    // The row painted in the highlight colour, or 0.
    int HighlightRow() const { return selected ? row : 0; }
};

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
};

// "My Games and Requests": everything the window shows, computed from the
// controller's lists, and what its buttons do. The widget only draws it.
class GameListWindow {
  public:
    explicit GameListWindow(Setup& setup);

    // The window's load: the saved position (twips) and fresh grids.
    void Load();
    // The window's unload: a position other than (0, 0) is kept.
    void Unload(double leftTwips, double topTwips);
    int LoadX() const;
    int LoadY() const;

    // Copies the lists into the grids, keeping the selections.
    void Update();
    // The user picked a cell (data rows from 1, visible columns from 0).
    void Pick(GridId grid, int row, int col);
    // Once every 100 ms; true when the clock or the caption changed.
    bool ClockTick();

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

    const GridState& Grid(GridId g) const { return grids_[g]; }
    const GameListButtons& Buttons() const { return buttons_; }
    const std::string& Caption() const { return caption_; }
    const std::string& ClockText() const { return clock_; }
    const std::string& SlotsText() const { return slots_; }

  private:
    void Select(GridId grid);
    void EnableFor(GridId grid, bool on);
    void EnableWindows();

    Setup& setup_;
    std::array<GridState, 4> grids_;
    GameListButtons buttons_;
    std::string caption_ = "Quorvel Chess - Disconnected";
    std::string clock_;
    std::string slots_ = "Using 0/5 game slots";
};

}  // namespace qc::lobby
