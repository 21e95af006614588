#pragma once

#include <cmath>
#include <cstdint>
#include <string>

#include "client/platform/tray.h"

// What the controller needs of each window. The Qt windows implement these;
// tests use recording fakes. A null view means the window does not exist.
namespace qc {

// Where a window is and how big it is, in twips.
struct WindowRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const WindowRect&) const = default;
};

// Stores a closing window's place, rounded to whole twips, unless it stands
// at exactly (0, 0): such a window keeps the place saved before.
inline void KeepPlace(double left, double top, std::int32_t& x, std::int32_t& y) {
    if (left != 0 || top != 0) {
        x = static_cast<std::int32_t>(std::lround(left));
        y = static_cast<std::int32_t>(std::lround(top));
    }
}

// What a window's logic needs of the widget that draws it: the state it is
// handed, and where it stands.
template <typename State>
class StateView {
  public:
    virtual ~StateView() = default;
    virtual void Render(const State& state) = 0;
    // Places the window and shows it in front, with the focus. A width or
    // height of 0 keeps the window's own size.
    virtual void Open(const WindowRect& at) = 0;
    // Brings the shown window to the front.
    virtual void Raise() = 0;
    virtual void Close() = 0;
    virtual WindowRect Geometry() const = 0;
};

// A child window, opened centred over its parent.
template <typename State>
class ChildView {
  public:
    virtual ~ChildView() = default;
    virtual void Render(const State& state) = 0;
    // Shows the window in front, centred over `parent`.
    virtual void OpenOver(const WindowRect& parent) = 0;
    virtual void Close() = 0;
};

class WindowView {
  public:
    virtual ~WindowView() = default;
    virtual bool IsLoaded() const = 0;
    virtual bool IsShown() const = 0;
    virtual void Show() = 0;
    virtual void Unload() = 0;
};

// Windows refreshed from stored lists by an update operation.
class ListWindowView : public WindowView {
  public:
    virtual void Update() = 0;
};

class RequestWindowView : public ListWindowView {
  public:
    // Puts a name into the opponent box.
    virtual void SetOpponent(const std::string& qvid) = 0;
};

// Where the settings window puts the focus when the controller opens it.
enum class SettingsFocus {
    // The identifier box, its whole text selected (unknown account).
    QvidSelectAll,
    // The password box, emptied (wrong password).
    PasswordCleared,
    // The password box (a named account without a password).
    Password,
};

class SettingsWindowView {
  public:
    virtual ~SettingsWindowView() = default;
    // Shows the window modeless with the focus as asked.
    virtual void ShowWithFocus(SettingsFocus focus) = 0;
};

// What the floating indicator shows: the tray's picture and its tooltip on
// one line, where it is (twips), whether it stays above other windows and
// whether it is shown.
struct FloaterState {
    platform::TrayPicture picture = platform::TrayPicture::Grey;
    std::string tooltip;
    double left = 0;
    double top = 0;
    bool topmost = false;
    bool visible = false;
    bool operator==(const FloaterState&) const = default;
};

// The floating indicator: a tiny borderless window mirroring the tray icon.
class FloaterView {
  public:
    virtual ~FloaterView() = default;
    virtual void Render(const FloaterState& state) = 0;
};

// What the tray's pop-up menu shows.
struct TrayMenuState {
    // The floating indicator's entry: checked while it is shown, and
    // disabled while it is the only way in.
    bool floaterChecked = false;
    bool floaterEnabled = true;
    bool operator==(const TrayMenuState&) const = default;
};

// The tray's pop-up menu.
class TrayMenuView {
  public:
    virtual ~TrayMenuView() = default;
    virtual void Popup(const TrayMenuState& state) = 0;
    virtual void Unload() = 0;
};

}  // namespace qc
