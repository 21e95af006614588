#pragma once

#include <QPushButton>
#include <QSize>
#include <QWidget>
#include <array>
#include <functional>

#include "client/core/lobby/list_windows.h"
#include "client/ui/lazy_host.h"
#include "client/ui/lobby/dark_grid.h"

namespace qc::ui {

// "Public Game Requests" or "Scoreboard": a resizable window with one dark
// grid and a row of four buttons under it. It draws the state the core's
// list window hands it and passes the user's picks and clicks back.
class ListWindowWidget : public QWidget, public lobby::ListView {
    Q_OBJECT
  public:
    explicit ListWindowWidget(lobby::PublicReqsWindow& logic);
    explicit ListWindowWidget(lobby::ScoreboardWindow& logic);

    void Render(const lobby::ListWindowState& state) override;
    // Places the window; a size given is the outer one, frame included.
    void Open(const lobby::WindowRect& at) override;
    void Raise() override;
    void Close() override;
    lobby::WindowRect Geometry() const override;

    lobby::ListWindow& Logic() { return logic_; }
    DarkGrid* Grid() { return grid_; }
    QPushButton* Button(const QString& name) { return findChild<QPushButton*>(name); }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    struct ButtonText {
        const char* name;
        QString caption;
    };
    struct Design {
        const char* window;
        QString caption;
        const char* grid;
        std::array<ButtonText, 4> buttons;
        // Between two neighbouring buttons.
        int gapTwips;
        // What the three row buttons do.
        std::array<std::function<void()>, 3> actions;
    };
    ListWindowWidget(lobby::ListWindow& logic, const Design& design);
    void ApplyOuterSize();

    lobby::ListWindow& logic_;
    DarkGrid* grid_ = nullptr;
    std::array<QPushButton*, 3> rowButtons_{};
    // An outer size asked for before the window manager framed the window:
    // the frame is taken off once it is known.
    QSize outer_;
    QSize asked_;
    // What is on the controls, so that a render redraws the grid only when
    // it changed.
    lobby::ListWindowState shown_;
    bool drawn_ = false;
};

using ListWindowHost = LazyHost<lobby::ListWindowState, ListWindowWidget>;

}  // namespace qc::ui
