#include "client/core/desktop/status_display.h"

#include "client/core/text.h"

namespace qc::desktop {

platform::TrayPicture PictureForState(std::int16_t state) {
    switch (state) {
        case kStateIdle:
            return platform::TrayPicture::Red;
        case kStateYourMove:
            return platform::TrayPicture::Green;
        case kStateRequest:
            return platform::TrayPicture::Amber;
        default:
            return platform::TrayPicture::Grey;
    }
}

std::string FloaterTooltip(const std::string& tooltip) {
    return text::ReplaceAll(tooltip, "\r\n", "   ");
}

void StatusDisplay::SetState(std::int16_t setTo, const std::string& tooltip) {
    state_ = setTo;
    const platform::TrayPicture picture = PictureForState(setTo);
    trayIcon_.SetIcon(picture);
    EnsureFloaterLoaded();
    if (floater_ != nullptr) {
        floater_->SetPicture(picture);
        floater_->SetTooltip(FloaterTooltip(tooltip));
    }
    trayIcon_.SetTooltip(tooltip);
    trayIcon_.Modify();
}

void StatusDisplay::ShowFloater() {
    EnsureFloaterLoaded();
    if (floater_ != nullptr) {
        floater_->SetVisible(FloaterShown());
    }
}

void StatusDisplay::ToggleFloater() {
    if (!trayAvailable_) {
        return;
    }
    prefs_.ShowFloater = !prefs_.ShowFloater;
    ShowFloater();
}

void StatusDisplay::EnsureFloaterLoaded() {
    if (floaterLoaded_ || floater_ == nullptr) {
        return;
    }
    floaterLoaded_ = true;
    floater_->MoveTo(prefs_.FloaterX, prefs_.FloaterY);
    AlwaysOnTop();
}

void StatusDisplay::AlwaysOnTop() {
    if (floater_ != nullptr) {
        floater_->SetTopmost(prefs_.FloaterTop);
    }
}

void StatusDisplay::FloaterMouseDown(int button, double xTwips, double yTwips) {
    if (button != kLeftButton) {
        return;
    }
    dragging_ = true;
    startX_ = xTwips;
    startY_ = yTwips;
}

void StatusDisplay::FloaterMouseMove(double xTwips, double yTwips) {
    if (prefs_.FloaterLock || !dragging_ || floater_ == nullptr) {
        return;
    }
    const double left = floater_->Left() + xTwips - startX_;
    const double top = floater_->Top() + yTwips - startY_;
    floater_->MoveTo(left, top);
    prefs_.FloaterX = static_cast<float>(floater_->Left());
    prefs_.FloaterY = static_cast<float>(floater_->Top());
}

void StatusDisplay::PlayYourMoveSound() {
    if (!prefs_.PlaySound) {
        return;
    }
    // Opened only when due and closed by the timer: nothing is held between
    // sounds.
    sound_.Open(prefs_.SoundFile);
    sound_.Play();
    closeSoundTimer_.SetEnabled(true);
}

void StatusDisplay::CloseSoundTick() {
    closeSoundTimer_.SetEnabled(false);
    sound_.Close();
}

}  // namespace qc::desktop
