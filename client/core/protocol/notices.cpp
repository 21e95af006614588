#include "client/core/protocol/notices.h"

#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc::protocol {

void Notices::Register(Dispatcher& dispatcher) {
    auto box = [this](std::string text) {
        return [this, text = std::move(text)](const std::string&) {
            Box(text);
            return true;
        };
    };
    dispatcher.AddMessage({"msg: ", Match::Prefix, [this](const std::string& line) {
                               Box(std::string(MidFrom(line, 6)));
                               return true;
                           }});
    dispatcher.AddMessage({"msgweb: ", Match::Prefix, [this](const std::string& line) {
                               WebNotice(line);
                               return true;
                           }});
    dispatcher.AddMessage({"!slots", Match::Prefix, [this](const std::string& line) {
                               Slots(line);
                               return true;
                           }});
    dispatcher.AddMessage(
        {"!guest", Match::Whole, box("Sorry, this request cannot be accepted by guests.")});
    dispatcher.AddMessage({"!noreq", Match::Whole,
                           box("Sorry, request has been accepted by another user or cancelled.")});
}

void Notices::Box(const std::string& text) {
    dialogs_.MessageBox(text, platform::MessageButtons::Ok);
}

void Notices::WebNotice(const std::string& line) {
    // The address before the first comma, the question after it; without a
    // comma the whole text is the question.
    text::CommaFields fields(MidFrom(line, 9));
    const std::string address(fields.Next().value_or(""));
    const std::string text(fields.Rest());
    const platform::MessageAnswer answer =
        dialogs_.MessageBox(text, platform::MessageButtons::YesNo);
    if (answer == platform::MessageAnswer::Yes && !address.empty() && openPage_) {
        openPage_(address);
    }
}

void Notices::Slots(const std::string& line) {
    if (line.size() >= 7 && line[6] == ' ') {
        Box("Sorry, all of " + text::Possessive(std::string(MidFrom(line, 8))) +
            " slots are currently in use.");
    } else {
        Box("Sorry, all of your game slots are currently in use.");
    }
}

}  // namespace qc::protocol
