#pragma once

#include <cstdint>
#include <string>

#include "client/core/desktop/tray_icon.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/media.h"
#include "client/platform/timer.h"
#include "client/platform/tray.h"

namespace qc::desktop {

// Tray states.
inline constexpr std::int16_t kStateOffline = 0;
inline constexpr std::int16_t kStateIdle = 1;
inline constexpr std::int16_t kStateYourMove = 2;
inline constexpr std::int16_t kStateRequest = 3;

// The picture for a tray state; unknown states are grey.
platform::TrayPicture PictureForState(std::int16_t state);

// The floating indicator's tooltip: line breaks become three blanks.
std::string FloaterTooltip(const std::string& tooltip);

// The tray state, its picture and tooltip on the icon and the floating
// indicator, the indicator's position and dragging, and the your-move sound.
// It owns the tray state and the indicator's settings while the program runs.
class StatusDisplay {
  public:
    StatusDisplay(TrayIcon& trayIcon, qc::FloaterView*& floater, settings::Settings& prefs,
                  platform::SoundPlayer& sound, platform::Timer& closeSoundTimer)
        : trayIcon_(trayIcon),
          floater_(floater),
          prefs_(prefs),
          sound_(sound),
          closeSoundTimer_(closeSoundTimer) {}

    void SetState(std::int16_t setTo, const std::string& tooltip);
    // The last state given to SetState.
    std::int16_t State() const { return state_; }

    // Without a notification area the indicator is the only way in: it then
    // stays shown, whatever the setting says.
    void SetTrayAvailable(bool available) { trayAvailable_ = available; }
    bool TrayAvailable() const { return trayAvailable_; }
    // Whether the indicator is shown: the setting, or no tray to fall back on.
    bool FloaterShown() const { return prefs_.ShowFloater || !trayAvailable_; }
    // Shows or hides the indicator by FloaterShown.
    void ShowFloater();
    // The menu's toggle; it cannot hide the last way in.
    void ToggleFloater();

    // The floating indicator. Loading moves it to its saved position.
    void EnsureFloaterLoaded();
    bool FloaterLoaded() const { return floaterLoaded_; }
    // At shutdown.
    void HideFloater();
    const FloaterState& Floater() const { return floaterState_; }
    void AlwaysOnTop();
    void FloaterMouseDown(int button, double xTwips, double yTwips);
    void FloaterMouseMove(double xTwips, double yTwips);
    void EndDrag() { dragging_ = false; }
    bool Dragging() const { return dragging_; }

    void PlayYourMoveSound();
    void CloseSoundTick();

  private:
    void RenderFloater();

    TrayIcon& trayIcon_;
    qc::FloaterView*& floater_;
    settings::Settings& prefs_;
    platform::SoundPlayer& sound_;
    platform::Timer& closeSoundTimer_;
    std::int16_t state_ = kStateOffline;
    FloaterState floaterState_;
    bool trayAvailable_ = true;
    bool floaterLoaded_ = false;
    bool dragging_ = false;
    double startX_ = 0;
    double startY_ = 0;
};

}  // namespace qc::desktop
