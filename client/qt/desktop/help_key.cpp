#include "client/qt/desktop/help_key.h"

#include <QCoreApplication>
#include <QKeyEvent>

#include <utility>

namespace qc::qt {

HelpKey::HelpKey(std::function<void()> onHelp, QObject* parent)
    : QObject(parent), onHelp_(std::move(onHelp)) {}

HelpKey* HelpKey::Install(QCoreApplication& app, std::function<void()> onHelp) {
    auto* filter = new HelpKey(std::move(onHelp), &app);
    app.installEventFilter(filter);
    return filter;
}

bool HelpKey::eventFilter(QObject* watched, QEvent* event) {
    // A key event reaches the platform window first and then the focused
    // widget and, while ignored, its parents: reacting at the first widget
    // and consuming the event calls the help once per release.
    if (event->type() != QEvent::KeyRelease || !watched->isWidgetType()) {
        return false;
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_F1 || key->isAutoRepeat()) {
        return false;
    }
    event->accept();
    if (onHelp_) {
        onHelp_();
    }
    return true;
}

}  // namespace qc::qt
