#pragma once

#include <QAction>
#include <QMenu>
#include <functional>

#include "client/core/desktop/tray_menu.h"
#include "client/core/window_views.h"

namespace qc {
class Setup;
}

namespace qc::ui {

// The tray's pop-up menu, shared by the tray icon and the floating
// indicator. One menu lives for the whole run; each item is carried out by
// the controller.
class TrayMenu : public QObject, public TrayMenuView {
    Q_OBJECT
  public:
    explicit TrayMenu(Setup& setup);

    void Popup(const TrayMenuState& state) override;
    void Unload() override {}

    QMenu* Menu() { return &menu_; }
    // The item of that name ("MenuConnect", ...), or null.
    QAction* Item(const QString& name) const;

  private:
    void Apply(const TrayMenuState& state);

    Setup& setup_;
    QMenu menu_;
    QAction* showFloater_ = nullptr;
    // True while Popup shows the menu with the state it was handed.
    bool popping_ = false;
};

}  // namespace qc::ui
