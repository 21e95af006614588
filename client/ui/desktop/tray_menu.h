#pragma once

#include <QAction>
#include <QMenu>
#include <functional>

#include "client/core/window_views.h"

namespace qc {
class Setup;
}

namespace qc::ui {

// The tray's pop-up menu, shared by the tray icon and the floating indicator.
class TrayMenu : public QObject, public TrayMenuView {
    Q_OBJECT
  public:
    TrayMenu(Setup& setup, std::function<void()> exit);

    void Popup(const TrayMenuState& state) override;
    void Unload() override {}

    QMenu* Menu() { return &menu_; }
    QAction* MenuConnect() { return connect_; }
    QAction* MenuGameList() { return gameList_; }
    QAction* MenuShowFloater() { return showFloater_; }
    QAction* MenuExitChess() { return exit_; }

  private:
    void Apply(const TrayMenuState& state);

    Setup& setup_;
    QMenu menu_;
    QAction* connect_;
    QAction* gameList_;
    QAction* showFloater_;
    QAction* exit_;
    // True while Popup shows the menu with the state it was handed.
    bool popping_ = false;
};

}  // namespace qc::ui
