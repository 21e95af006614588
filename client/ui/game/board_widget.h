#pragma once

#include <QWidget>
#include <array>

#include "client/core/game/game_window.h"

namespace qc::ui {

// The 8 x 8 board, painted from the cells it is handed: fill, the frame
// inside the cell, the piece. A left-button release over a cell is passed on
// with the cell's number.
class BoardWidget : public QWidget {
    Q_OBJECT
  public:
    static constexpr int kCell = 40;

    explicit BoardWidget(QWidget* parent);

    void SetCells(const std::array<game::CellState, 64>& cells);
    const game::CellState& Cell(int i) const { return cells_[static_cast<std::size_t>(i)]; }
    static QRect CellRect(int i);
    // The cell under a point, or -1.
    static int CellAt(QPoint p);

  signals:
    void CellReleased(int cell);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

  private:
    void UpdateCursor(QPoint p);

    std::array<game::CellState, 64> cells_{};
};

// One strip of taken pieces: two columns by eight rows of board-sized
// places. The left strip fills from the bottom up, the right one from the
// top down; the first place of each row lies next to the board.
class TakenStripWidget : public QWidget {
    Q_OBJECT
  public:
    enum class Side { Left, Right };

    TakenStripWidget(Side side, QWidget* parent);

    void SetPlaces(const game::TakenState* first);
    const game::TakenState& Place(int p) const { return places_[static_cast<std::size_t>(p)]; }
    QRect PlaceRect(int p) const;

    static const QColor kRecentFrame;
    static const QColor kTile;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    Side side_;
    std::array<game::TakenState, 16> places_{};
};

// The round lamp above the board: green when a move is awaited here.
class MoveLightWidget : public QWidget {
    Q_OBJECT
  public:
    explicit MoveLightWidget(QWidget* parent);
    void SetGreen(bool green);
    bool Green() const { return green_; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    bool green_ = false;
};

}  // namespace qc::ui
