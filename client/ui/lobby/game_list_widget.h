#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QWidget>
#include <array>
#include <memory>

#include "client/core/lobby/game_list_window.h"
#include "client/core/window_views.h"
#include "client/platform/timer.h"

namespace qc {
class Setup;
}

namespace qc::ui {

// "My Games and Requests": four dark grids with the selection highlight,
// the buttons of each list, the window buttons, the slot count and the
// clock. Everything shown comes from the core's GameListWindow.
class GameListWidget : public QWidget, public ListWindowView {
    Q_OBJECT
  public:
    explicit GameListWidget(Setup& setup);

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_ && isVisible(); }
    void Show() override;
    void Unload() override;
    void Update() override;

    lobby::GameListWindow& Logic() { return logic_; }
    QTableWidget* Grid(lobby::GridId id) { return grids_[id]; }
    QPushButton* Button(const QString& name) { return findChild<QPushButton*>(name); }
    QLabel* SlotsLab() { return slots_; }
    QLineEdit* Clock() { return clock_; }

    static const QColor kText;
    static const QColor kHighlight;

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    QTableWidget* MakeGrid(lobby::GridId id);
    QPushButton* MakeButton(const QString& name, const QString& caption,
                            std::function<void()> action);
    void Render();
    void RenderGrid(lobby::GridId id);
    void Tick();

    Setup& setup_;
    lobby::GameListWindow logic_;
    std::array<QTableWidget*, 4> grids_{};
    QLabel* slots_ = nullptr;
    QLineEdit* clock_ = nullptr;
    std::unique_ptr<platform::Timer> clockTimer_;
    bool loaded_ = false;
    bool rendering_ = false;
};

}  // namespace qc::ui
