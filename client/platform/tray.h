#pragma once

#include <functional>
#include <string>

namespace qc::platform {

enum class TrayPicture { Grey, Red, Green, Amber };

// What the notification-area service receives on every add and modify.
struct TrayRecord {
    TrayPicture picture = TrayPicture::Grey;
    // At most 63 characters, CR LF between lines.
    std::string tip;
};

// What the user did to the icon. A click is a press and release of the
// left button; the context request is the right button's.
enum class TrayEvent { Click, DoubleClick, ContextMenu };

class TrayService {
  public:
    virtual ~TrayService() = default;
    virtual bool Add(const TrayRecord& record) = 0;
    virtual bool Modify(const TrayRecord& record) = 0;
    virtual bool Delete() = 0;
    // Whether the desktop has a notification area to show the icon in.
    virtual bool Available() const = 0;
    // Shows a desktop notification beside the icon: a title and one line
    // of wire text. `id` comes back with a click on it.
    virtual void ShowMessage(int id, const std::string& title, const std::string& text) = 0;
    // Called for each event on the icon.
    std::function<void(TrayEvent)> onEvent;
    // Called when the user clicks a notification, with the id it was shown with.
    std::function<void(int id)> onMessageClicked;
};

}  // namespace qc::platform
