#include "client/ui/desktop/floater_window.h"

#include <QMouseEvent>
#include <cmath>

#include "client/core/desktop/tray_icon.h"
#include "client/core/setup.h"
#include "client/qt/qt_platform.h"
#include "client/qt/qt_tray.h"

namespace qc::ui {

namespace {

int ButtonNumber(Qt::MouseButton b) {
    switch (b) {
        case Qt::LeftButton:
            return desktop::kLeftButton;
        case Qt::RightButton:
            return desktop::kRightButton;
        default:
            return 0;
    }
}

}  // namespace

FloaterWindow::FloaterWindow(Setup& setup)
    : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint), setup_(setup) {
    setObjectName(QStringLiteral("Floater"));
    setFixedSize(36, 36);
    setAttribute(Qt::WA_AlwaysShowToolTips);
    setAutoFillBackground(true);
    setPalette(QPalette(palette().color(QPalette::Window)));
    icon_ = new QLabel(this);
    icon_->setObjectName(QStringLiteral("FloatIcon"));
    icon_->setGeometry(0, 0, 36, 36);
    icon_->setAlignment(Qt::AlignCenter);
    // The window takes the mouse so that a drag follows the pointer.
    icon_->setAttribute(Qt::WA_TransparentForMouseEvents);
    SetPicture(platform::TrayPicture::Grey);
}

void FloaterWindow::SetPicture(platform::TrayPicture picture) {
    icon_->setPixmap(qt::StatusIcon(picture, 32).pixmap(32, 32));
}

void FloaterWindow::SetTopmost(bool topmost) {
    if (topmost == windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
        return;
    }
    const bool wasVisible = isVisible();
    const QPoint pos = this->pos();
    // Changing the flags re-creates the native window: restore it as it was.
    setWindowFlag(Qt::WindowStaysOnTopHint, topmost);
    move(pos);
    if (wasVisible) {
        show();
    }
}

void FloaterWindow::Render(const FloaterState& state) {
    if (!drawn_ || state.picture != shown_.picture) {
        SetPicture(state.picture);
    }
    if (!drawn_ || state.tooltip != shown_.tooltip) {
        icon_->setToolTip(qt::FromWire(state.tooltip));
        setToolTip(icon_->toolTip());
    }
    if (!drawn_ || state.left != shown_.left || state.top != shown_.top) {
        move(static_cast<int>(std::lround(state.left / qt::kTwipsPerPixel)),
             static_cast<int>(std::lround(state.top / qt::kTwipsPerPixel)));
    }
    SetTopmost(state.topmost);
    setVisible(state.visible);
    shown_ = state;
    drawn_ = true;
}

void FloaterWindow::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    setup_.FloaterMouseDown(ButtonNumber(event->button()), p.x() * qt::kTwipsPerPixel,
                            p.y() * qt::kTwipsPerPixel);
}

void FloaterWindow::mouseMoveEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    setup_.FloaterMouseMove(p.x() * qt::kTwipsPerPixel, p.y() * qt::kTwipsPerPixel);
}

void FloaterWindow::mouseReleaseEvent(QMouseEvent* event) {
    if (const int b = ButtonNumber(event->button())) {
        setup_.FloaterMouseUp(b);
    }
}

void FloaterWindow::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        setup_.FloaterDblClick();
    }
}

void FloaterHost::Render(const FloaterState& state) {
    if (window_ == nullptr && !state.visible) {
        return;
    }
    if (window_ == nullptr) {
        window_ = std::make_unique<FloaterWindow>(setup_);
    }
    window_->Render(state);
}

}  // namespace qc::ui
