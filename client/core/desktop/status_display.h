#pragma once

#include <cstdint>
#include <string>

#include "client/platform/tray.h"

namespace qc {
class Setup;
}

namespace qc::desktop {

// The picture for a tray state; unknown states are grey.
platform::TrayPicture PictureForState(std::int16_t state);

// The floating indicator's tooltip: line breaks become three blanks.
std::string FloaterTooltip(const std::string& tooltip);

// The tray state, its picture and tooltip on the icon and the floating
// indicator, the indicator's position and dragging, and the your-move sound.
class StatusDisplay {
  public:
    explicit StatusDisplay(Setup& setup) : setup_(setup) {}

    void SetState(std::int16_t setTo, const std::string& tooltip);

    // The floating indicator. Loading moves it to its saved position.
    void EnsureFloaterLoaded();
    bool FloaterLoaded() const { return floaterLoaded_; }
    void AlwaysOnTop();
    void FloaterMouseDown(int button, double xTwips, double yTwips);
    void FloaterMouseMove(double xTwips, double yTwips);
    void EndDrag() { dragging_ = false; }
    bool Dragging() const { return dragging_; }

    void PlayYourMoveSound();
    void CloseSoundTick();

  private:
    Setup& setup_;
    bool floaterLoaded_ = false;
    bool dragging_ = false;
    double startX_ = 0;
    double startY_ = 0;
};

}  // namespace qc::desktop
