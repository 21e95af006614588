#include "client/core/desktop/tray_icon.h"

#include <cmath>

namespace qc::desktop {

std::optional<TrayMouseEvent> DecodeTrayMessage(int message) {
    switch (message) {
        case 513:
            return TrayMouseEvent{MouseAction::Down, kLeftButton};
        case 514:
            return TrayMouseEvent{MouseAction::Up, kLeftButton};
        case 515:
            return TrayMouseEvent{MouseAction::DoubleClick, kLeftButton};
        case 516:
            return TrayMouseEvent{MouseAction::Down, kRightButton};
        case 517:
            return TrayMouseEvent{MouseAction::Up, kRightButton};
        case 518:
            return TrayMouseEvent{MouseAction::DoubleClick, kRightButton};
        default:
            return std::nullopt;
    }
}

TrayIcon::TrayIcon(platform::TrayService& shell) : shell_(shell) {
    shell_.onEvent = [this](platform::TrayEvent e) { OnEvent(e); };
}

TrayIcon::~TrayIcon() {
    shell_.onEvent = nullptr;
}

void TrayIcon::OnEvent(platform::TrayEvent event) {
    // A double click ends with the button's release, as a native one does.
    switch (event) {
        case platform::TrayEvent::Click:
            Deliver(513);
            Deliver(514);
            break;
        case platform::TrayEvent::DoubleClick:
            Deliver(515);
            Deliver(514);
            break;
        case platform::TrayEvent::ContextMenu:
            Deliver(516);
            Deliver(517);
            break;
    }
}

void TrayIcon::SetTooltip(const std::string& tooltip) {
    tooltip_ = tooltip + '\0';
}

std::string TrayIcon::Tooltip() const {
    return tooltip_.substr(0, tooltip_.size() - 1);
}

platform::TrayRecord TrayIcon::Record() const {
    // The tip field holds 64 characters including the terminator.
    std::string tip = tooltip_.substr(0, kMaxTrayTip + 1);
    tip.resize(std::min(tip.find('\0'), kMaxTrayTip));
    return platform::TrayRecord{icon_, tip};
}

void TrayIcon::Add() {
    shell_.Add(Record());
    state_ = kAdded;
}

void TrayIcon::Modify() {
    shell_.Modify(Record());
    state_ = kModified;
}

void TrayIcon::Remove() {
    shell_.Delete();
    state_ = kRemoved;
}

void TrayIcon::OwnerMouseMove(double xTwips, double yTwips, double twipsPerPixel) {
    if (!(twipsPerPixel > 0)) {
        return;
    }
    const double pixels = std::nearbyint(xTwips / twipsPerPixel);
    if (!(std::fabs(pixels) < 1e9)) {
        return;
    }
    lastMessage_ = static_cast<int>(pixels);
    if (yTwips != 0) {
        return;
    }
    Deliver(lastMessage_);
}

void TrayIcon::Deliver(int message) {
    lastMessage_ = message;
    if (busy_) {
        return;
    }
    const auto event = DecodeTrayMessage(message);
    if (!event) {
        return;
    }
    busy_ = true;
    const std::function<void(int)>* handler = nullptr;
    switch (event->action) {
        case MouseAction::Down:
            handler = &MouseDown;
            break;
        case MouseAction::Up:
            handler = &MouseUp;
            break;
        case MouseAction::DoubleClick:
            handler = &MouseDblClick;
            break;
    }
    if (*handler) {
        (*handler)(event->button);
    }
    busy_ = false;
}

}  // namespace qc::desktop
