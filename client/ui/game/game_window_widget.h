#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QToolButton>
#include <QWidget>
#include <array>
#include <memory>

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

// The game window: board, taken pieces, the game's texts, the move log and
// the game's buttons and boxes. It draws the state the core's GameWindow
// hands it and passes the user's clicks back; it computes nothing.
class GameWindowWidget : public QWidget, public game::GameWindowView {
    Q_OBJECT
  public:
    explicit GameWindowWidget(game::GameWindow& logic);
    ~GameWindowWidget() override;

    void Render(const game::GameWindowState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    BoardWidget* Board() { return board_; }
    TakenStripWidget* LeftStrip() { return leftStrip_; }
    TakenStripWidget* RightStrip() { return rightStrip_; }
    MoveLightWidget* MoveLight() { return light_; }
    QTableWidget* MoveLog() { return moveLog_; }
    QLabel* RowLab(int i) { return rowLabs_[static_cast<std::size_t>(i)]; }
    QLabel* ColLab(int i) { return colLabs_[static_cast<std::size_t>(i)]; }
    // The promotion chooser, once it has been opened.
    QDialog* Promote() { return promote_; }
    QToolButton* PromoteTo(int i) { return promoteTo_[static_cast<std::size_t>(i)]; }

    static const QColor kText;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QLabel* MakeLabel(const char* name, const QString& text, QWidget* parent);
    QCheckBox* MakeBox(const char* name, const QString& caption, QWidget* parent,
                       void (*action)(game::GameWindow&, bool));
    QPushButton* MakeButton(const char* name, const QString& caption, QWidget* parent,
                            void (*action)(game::GameWindow&));
    void RenderMoveLog(const game::GameWindowState& state);
    void RenderPromotion(const game::PromotionState& p);
    void BuildPromote();
    // Closes the chooser without reporting a cancel: the state closed it.
    void DismissPromote();

    game::GameWindow& logic_;
    BoardWidget* board_ = nullptr;
    TakenStripWidget* leftStrip_ = nullptr;
    TakenStripWidget* rightStrip_ = nullptr;
    MoveLightWidget* light_ = nullptr;
    std::array<QLabel*, 8> rowLabs_{};
    std::array<QLabel*, 8> colLabs_{};
    QLabel* moveLab_ = nullptr;
    QLabel* statusLab_ = nullptr;
    QLabel* drawOfferedLab_ = nullptr;
    QLabel* moveTimeLab_ = nullptr;
    QLabel* startedLab_ = nullptr;
    QLabel* moveByEndedLab_ = nullptr;
    QLabel* moveByLab_ = nullptr;
    QLabel* timeLeftOutcomeLab_ = nullptr;
    QLabel* timeLeftLab_ = nullptr;
    QLabel* textsLab_ = nullptr;
    QTableWidget* moveLog_ = nullptr;
    QPushButton* resign_ = nullptr;
    QPushButton* offerDraw_ = nullptr;
    QPushButton* castleA_ = nullptr;
    QPushButton* castleH_ = nullptr;
    QCheckBox* showLast1_ = nullptr;
    QCheckBox* showLast2_ = nullptr;
    QCheckBox* showPoss_ = nullptr;
    QCheckBox* emailMe_ = nullptr;
    QCheckBox* textMe_ = nullptr;
    QDialog* promote_ = nullptr;
    std::array<QToolButton*, 4> promoteTo_{};
    bool dismissing_ = false;
    // What is on the controls, so that a render touches only what changed.
    game::GameWindowState shown_;
    bool drawn_ = false;
};

// Stands for the game window until it is first opened, and only then builds
// it; until then it keeps the state it was handed.
class GameWindowHost : public game::GameWindowView {
  public:
    explicit GameWindowHost(game::GameWindow& logic);
    ~GameWindowHost() override;

    void Render(const game::GameWindowState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    GameWindowWidget* Window() { return window_.get(); }

  private:
    game::GameWindow& logic_;
    std::unique_ptr<GameWindowWidget> window_;
    game::GameWindowState state_;
};

}  // namespace qc::ui
