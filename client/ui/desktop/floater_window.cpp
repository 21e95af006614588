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

void FloaterWindow::SetTooltip(const std::string& tooltip) {
    icon_->setToolTip(qt::FromWire(tooltip));
    setToolTip(icon_->toolTip());
}

void FloaterWindow::MoveTo(double leftTwips, double topTwips) {
    move(static_cast<int>(std::lround(leftTwips / qt::kTwipsPerPixel)),
         static_cast<int>(std::lround(topTwips / qt::kTwipsPerPixel)));
}

double FloaterWindow::Left() const {
    return x() * qt::kTwipsPerPixel;
}

double FloaterWindow::Top() const {
    return y() * qt::kTwipsPerPixel;
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

void FloaterWindow::SetVisible(bool visible) {
    setVisible(visible);
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

void FloaterHost::SetPicture(platform::TrayPicture picture) {
    picture_ = picture;
    if (window_ != nullptr) {
        window_->SetPicture(picture);
    }
}

void FloaterHost::SetTooltip(const std::string& tooltip) {
    tooltip_ = tooltip;
    if (window_ != nullptr) {
        window_->SetTooltip(tooltip);
    }
}

void FloaterHost::MoveTo(double leftTwips, double topTwips) {
    if (window_ != nullptr) {
        window_->MoveTo(leftTwips, topTwips);
        return;
    }
    x_ = static_cast<int>(std::lround(leftTwips / qt::kTwipsPerPixel));
    y_ = static_cast<int>(std::lround(topTwips / qt::kTwipsPerPixel));
}

double FloaterHost::Left() const {
    return window_ != nullptr ? window_->Left() : x_ * qt::kTwipsPerPixel;
}

double FloaterHost::Top() const {
    return window_ != nullptr ? window_->Top() : y_ * qt::kTwipsPerPixel;
}

void FloaterHost::SetTopmost(bool topmost) {
    topmost_ = topmost;
    if (window_ != nullptr) {
        window_->SetTopmost(topmost);
    }
}

void FloaterHost::SetVisible(bool visible) {
    if (window_ == nullptr) {
        if (!visible) {
            return;
        }
        window_ = std::make_unique<FloaterWindow>(setup_);
        window_->move(x_, y_);
        window_->SetTopmost(topmost_);
        window_->SetPicture(picture_);
        if (tooltip_) {
            window_->SetTooltip(*tooltip_);
        }
    }
    window_->SetVisible(visible);
}

}  // namespace qc::ui
