#include "client/ui/desktop/tray_menu.h"

#include <QCursor>

#include "client/core/setup.h"

namespace qc::ui {

TrayMenu::TrayMenu(Setup& setup, std::function<void()> exit) : setup_(setup) {
    menu_.setTitle(QStringLiteral("Menu"));
    connect_ = menu_.addAction(QStringLiteral("Connect / Refresh"));
    connect_->setObjectName(QStringLiteral("MenuConnect"));
    QObject::connect(connect_, &QAction::triggered, this, [this] { setup_.Connect(); });
    menu_.addSeparator();
    gameList_ = menu_.addAction(QStringLiteral("My Games and Requests"));
    gameList_->setObjectName(QStringLiteral("MenuGameList"));
    QObject::connect(gameList_, &QAction::triggered, this, [this] { setup_.MenuGameList(); });
    menu_.addSeparator();
    showFloater_ = menu_.addAction(QStringLiteral("Floating Indicator"));
    showFloater_->setObjectName(QStringLiteral("MenuShowFloater"));
    showFloater_->setCheckable(true);
    QObject::connect(showFloater_, &QAction::triggered, this, [this] { setup_.ToggleFloater(); });
    menu_.addSeparator();
    exit_ = menu_.addAction(QStringLiteral("Exit Quorvel Chess"));
    exit_->setObjectName(QStringLiteral("MenuExitChess"));
    QObject::connect(exit_, &QAction::triggered, this, [exit = std::move(exit)] { exit(); });
    // Trays that show the menu themselves still get a fresh check mark.
    QObject::connect(&menu_, &QMenu::aboutToShow, this, [this] {
        if (!popping_) {
            Apply(setup_.MenuState());
        }
    });
}

void TrayMenu::Apply(const TrayMenuState& state) {
    showFloater_->setChecked(state.floaterChecked);
    showFloater_->setEnabled(state.floaterEnabled);
}

void TrayMenu::Popup(const TrayMenuState& state) {
    Apply(state);
    if (!menu_.isVisible()) {
        popping_ = true;
        menu_.popup(QCursor::pos());
        popping_ = false;
    }
}

}  // namespace qc::ui
