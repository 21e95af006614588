#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "client/platform/tray.h"

namespace qc::desktop {

enum class MouseAction { Down, Up, DoubleClick };
inline constexpr int kLeftButton = 1;
inline constexpr int kRightButton = 2;

struct TrayMouseEvent {
    MouseAction action;
    int button;
    bool operator==(const TrayMouseEvent&) const = default;
};

// Maps a notification callback's mouse message number to an event:
// 513..518 are left down, up, double click, right down, up, double click.
std::optional<TrayMouseEvent> DecodeTrayMessage(int message);

// The longest tooltip the notification area shows; longer text is cut.
inline constexpr std::size_t kMaxTrayTip = 63;

// The one notification-area icon: its picture, tooltip and add/modify/remove
// state, and the decoding of the mouse callback into events.
class TrayIcon {
  public:
    // 0 = not in the notification area, 1 = added, 2 = modified.
    static constexpr std::int16_t kRemoved = 0;
    static constexpr std::int16_t kAdded = 1;
    static constexpr std::int16_t kModified = 2;

    // Events of the shell's icon arrive through OnEvent.
    explicit TrayIcon(platform::TrayService& shell);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

    void SetIcon(platform::TrayPicture picture) { icon_ = picture; }
    platform::TrayPicture Icon() const { return icon_; }
    void SetTooltip(const std::string& tooltip);
    std::string Tooltip() const;
    std::int16_t State() const { return state_; }

    // The shell's results are ignored: the state follows the request.
    void Add();
    void Modify();
    void Remove();

    // The callback arrives as a mouse move of the owner window whose X, in
    // pixels, is the message number and whose Y is 0.
    void OwnerMouseMove(double xTwips, double yTwips, double twipsPerPixel);
    // The same for an adapter that already knows the message number.
    void Deliver(int message);
    // An event as a desktop reports it: the button messages it stands for.
    void OnEvent(platform::TrayEvent event);

    int LastMessage() const { return lastMessage_; }

    std::function<void(int button)> MouseDown;
    std::function<void(int button)> MouseUp;
    std::function<void(int button)> MouseDblClick;

  private:
    platform::TrayRecord Record() const;

    platform::TrayService& shell_;
    platform::TrayPicture icon_ = platform::TrayPicture::Grey;
    std::string tooltip_{'\0'};
    std::int16_t state_ = kRemoved;
    bool busy_ = false;
    int lastMessage_ = 0;
};

}  // namespace qc::desktop
