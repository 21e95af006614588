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
    floaterState_.picture = picture;
    floaterState_.tooltip = FloaterTooltip(tooltip);
    RenderFloater();
    trayIcon_.SetTooltip(tooltip);
    trayIcon_.Modify();
}

void StatusDisplay::RenderFloater() {
    if (floaterLoaded_ && floater_ != nullptr) {
        floater_->Render(floaterState_);
    }
}

void StatusDisplay::ShowFloater() {
    EnsureFloaterLoaded();
    floaterState_.visible = FloaterShown();
    RenderFloater();
}

void StatusDisplay::HideFloater() {
    floaterState_.visible = false;
    RenderFloater();
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
    floaterState_.left = prefs_.FloaterX;
    floaterState_.top = prefs_.FloaterY;
    AlwaysOnTop();
}

void StatusDisplay::AlwaysOnTop() {
    floaterState_.topmost = prefs_.FloaterTop;
    RenderFloater();
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
    if (prefs_.FloaterLock || !dragging_ || !floaterLoaded_) {
        return;
    }
    floaterState_.left += xTwips - startX_;
    floaterState_.top += yTwips - startY_;
    RenderFloater();
    prefs_.FloaterX = static_cast<float>(floaterState_.left);
    prefs_.FloaterY = static_cast<float>(floaterState_.top);
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
