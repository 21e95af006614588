#pragma once

#include <functional>
#include <string>

#include "client/core/protocol/dispatcher.h"
#include "client/platform/dialogs.h"

namespace qc::protocol {

// The server's notices to the user: "msg: ", "msgweb: " (a question that
// may open a page) and the refusals of a request ("!slots", "!guest",
// "!noreq"), each shown in a message box.
class Notices {
  public:
    Notices(platform::Dialogs& dialogs, std::function<void(const std::string& page)> openPage)
        : dialogs_(dialogs), openPage_(std::move(openPage)) {}

    void Register(Dispatcher& dispatcher);

  private:
    void Box(const std::string& text);
    void WebNotice(const std::string& line);
    void Slots(const std::string& line);

    platform::Dialogs& dialogs_;
    std::function<void(const std::string&)> openPage_;
};

}  // namespace qc::protocol
