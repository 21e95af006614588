#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QWidget>
#include <array>
#include <functional>
#include <memory>

#include "client/core/lobby/game_list_window.h"
#include "client/ui/lobby/dark_grid.h"

namespace qc::ui {

// "My Games and Requests": four dark grids with the selection highlight,
// the buttons of each list, the window buttons, the slot count and the
// clock. It draws the state the core's GameListWindow hands it and passes
// the user's clicks back.
class GameListWidget : public QWidget, public lobby::GameListView {
    Q_OBJECT
  public:
    explicit GameListWidget(lobby::GameListWindow& logic);

    void Render(const lobby::GameListState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    lobby::GameListWindow& Logic() { return logic_; }
    DarkGrid* Grid(lobby::GridId id) { return grids_[id]; }
    QPushButton* Button(const QString& name) { return findChild<QPushButton*>(name); }
    QLabel* SlotsLab() { return slots_; }
    QLineEdit* Clock() { return clock_; }

    static const QColor kText;
    static const QColor kHighlight;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    DarkGrid* MakeGrid(lobby::GridId id);
    QPushButton* MakeButton(const QString& name, const QString& caption,
                            std::function<void()> action);

    lobby::GameListWindow& logic_;
    std::array<DarkGrid*, 4> grids_{};
    QLabel* slots_ = nullptr;
    QLineEdit* clock_ = nullptr;
    // The buttons whose enabled state the window computes, by role.
    std::array<QPushButton*, 2> view_{};
    std::array<QPushButton*, 4> oppStats_{};
    std::array<QPushButton*, 4> oppHist_{};
    QPushButton* accept_ = nullptr;
    QPushButton* decline_ = nullptr;
    QPushButton* remove_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* publicReqs_ = nullptr;
    QPushButton* request_ = nullptr;
    QPushButton* local_ = nullptr;
    QPushButton* bot_ = nullptr;
    QPushButton* scoreboard_ = nullptr;
    QPushButton* settings_ = nullptr;
    // What is on the controls, so that a render touches only what changed.
    lobby::GameListState shown_;
    bool drawn_ = false;
};

// Stands for the game list window until it is first opened, and only then
// builds it: most sessions live in the tray and never open the window.
class GameListHost : public lobby::GameListView {
  public:
    explicit GameListHost(lobby::GameListWindow& logic) : logic_(logic) {}

    void Render(const lobby::GameListState& state) override;
    void Open(double leftTwips, double topTwips) override;
    void Raise() override;
    void Close() override;
    double Left() const override;
    double Top() const override;

    GameListWidget* Window() { return window_.get(); }

  private:
    lobby::GameListWindow& logic_;
    std::unique_ptr<GameListWidget> window_;
    lobby::GameListState state_;
};

}  // namespace qc::ui
