#include "client/ui/desktop/tray_menu.h"

#include <QCursor>

#include "client/core/setup.h"

namespace qc::ui {

TrayMenu::TrayMenu(Setup& setup) : setup_(setup) {
    menu_.setTitle(QStringLiteral("Menu"));
    for (const desktop::MenuEntry& e : desktop::kTrayMenu) {
        const QString name = QString::fromLatin1(e.name.data(), static_cast<int>(e.name.size()));
        if (e.item == desktop::MenuItem::Separator) {
            menu_.addSeparator()->setObjectName(name);
            continue;
        }
        QAction* a = menu_.addAction(
            QString::fromLatin1(e.caption.data(), static_cast<int>(e.caption.size())));
        a->setObjectName(name);
        const desktop::MenuItem item = e.item;
        QObject::connect(a, &QAction::triggered, this, [this, item] { setup_.MenuChoose(item); });
        if (item == desktop::MenuItem::ShowFloater) {
            a->setCheckable(true);
            showFloater_ = a;
        }
    }
    // Trays that show the menu themselves still get a fresh check mark.
    QObject::connect(&menu_, &QMenu::aboutToShow, this, [this] {
        if (!popping_) {
            Apply(setup_.MenuState());
        }
    });
}

QAction* TrayMenu::Item(const QString& name) const {
    for (QAction* a : menu_.actions()) {
        if (a->objectName() == name) {
            return a;
        }
    }
    return nullptr;
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
