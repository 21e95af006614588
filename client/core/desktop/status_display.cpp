#include "client/core/desktop/status_display.h"

#include "client/core/setup.h"
#include "client/core/text.h"

namespace qc::desktop {

namespace {
constexpr const char* kSoundAlias = "YourMove";
}

platform::TrayPicture PictureForState(std::int16_t state) {
    switch (state) {
        case protocol::kStateIdle:
            return platform::TrayPicture::Red;
        case protocol::kStateYourMove:
            return platform::TrayPicture::Green;
        case protocol::kStateRequest:
            return platform::TrayPicture::Amber;
        default:
            return platform::TrayPicture::Grey;
    }
}

std::string FloaterTooltip(const std::string& tooltip) {
    return text::ReplaceAll(tooltip, "\r\n", "   ");
}

void StatusDisplay::SetState(std::int16_t setTo, const std::string& tooltip) {
    setup_.login.State = setTo;
    const platform::TrayPicture picture = PictureForState(setTo);
    setup_.trayIcon().SetIcon(picture);
    EnsureFloaterLoaded();
    if (FloaterView* floater = setup_.views().floater) {
        floater->SetPicture(picture);
        floater->SetTooltip(FloaterTooltip(tooltip));
    }
    setup_.trayIcon().SetTooltip(tooltip);
    setup_.trayIcon().Modify();
}

void StatusDisplay::EnsureFloaterLoaded() {
    FloaterView* floater = setup_.views().floater;
    if (floaterLoaded_ || floater == nullptr) {
        return;
    }
    floaterLoaded_ = true;
    floater->MoveTo(setup_.prefs.FloaterX, setup_.prefs.FloaterY);
    AlwaysOnTop();
}

void StatusDisplay::AlwaysOnTop() {
    if (FloaterView* floater = setup_.views().floater) {
        floater->SetTopmost(setup_.prefs.FloaterTop);
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
    FloaterView* floater = setup_.views().floater;
    if (setup_.prefs.FloaterLock || !dragging_ || floater == nullptr) {
        return;
    }
    const double left = floater->Left() + xTwips - startX_;
    const double top = floater->Top() + yTwips - startY_;
    floater->MoveTo(left, top);
    setup_.prefs.FloaterX = static_cast<float>(floater->Left());
    setup_.prefs.FloaterY = static_cast<float>(floater->Top());
}

void StatusDisplay::PlayYourMoveSound() {
    if (!setup_.prefs.PlaySound) {
        return;
    }
    platform::MediaControl& media = setup_.platform().media;
    media.SendCommand("open \"" + setup_.prefs.SoundFile + "\" type waveaudio alias " +
                      kSoundAlias);
    media.SendCommand(std::string("play ") + kSoundAlias);
    setup_.CloseSoundTimer().SetEnabled(true);
}

void StatusDisplay::CloseSoundTick() {
    setup_.CloseSoundTimer().SetEnabled(false);
    setup_.platform().media.SendCommand(std::string("close ") + kSoundAlias);
}

}  // namespace qc::desktop
