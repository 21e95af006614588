#pragma once

namespace qc::lobby {

// Where a window is and how big it is, in twips.
struct WindowRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    bool operator==(const WindowRect&) const = default;
};

// What a lobby window needs of the widget that draws it: the state it is
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

}  // namespace qc::lobby
