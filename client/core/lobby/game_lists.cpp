#include "client/core/lobby/game_lists.h"

#include "client/core/protocol/server_time.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc::lobby {

namespace {

using text::CommaFields;

std::string GameTypeOf(std::optional<std::string_view> field) {
    return field && !field->empty() ? std::string(*field) : std::string("Standard");
}

std::string FirstLower(std::string_view text) {
    return text.empty() ? std::string() : text::ToLower(text.substr(0, 1));
}

std::int16_t Int16Of(std::string_view text) {
    return protocol::RoundToInt16(protocol::LeadingNumber(text)).value_or(0);
}

std::int32_t Int32Of(std::string_view text) {
    return protocol::RoundToInt32(protocol::LeadingNumber(text)).value_or(0);
}

// Reads requests' first five fields; the unit and guest fields differ.
RequestRec RequestHead(CommaFields& f) {
    RequestRec r;
    r.ID = std::string(f.Next().value_or(""));
    r.QVID = std::string(f.Next().value_or(""));
    r.GameType = GameTypeOf(f.Next());
    r.Colour = FirstLower(f.Next().value_or(""));
    if (const auto amount = f.Next()) {
        r.TimeAmount = Int16Of(*amount);
    }
    return r;
}

}  // namespace

OpenGameRec ParseOpenGame(std::string_view line, const platform::CivilTime& now) {
    CommaFields f(line);
    OpenGameRec r;
    r.ID = std::string(f.Next().value_or(""));
    r.Opponent = std::string(f.Next().value_or(""));
    r.GameType = GameTypeOf(f.Next());
    r.YourMove = protocol::LeadingNumber(f.NextOrRest()) != 0;
    r.MoveBy = protocol::ParseServerTimestamp(f.Rest(), now);
    return r;
}

ClosedGameRec ParseClosedGame(std::string_view line, const platform::CivilTime& now) {
    CommaFields f(line);
    ClosedGameRec r;
    r.ID = std::string(f.Next().value_or(""));
    r.Opponent = std::string(f.Next().value_or(""));
    r.GameType = GameTypeOf(f.Next());
    if (const auto ended = f.Next()) {
        r.Ended = protocol::ParseServerTimestamp(*ended, now);
    }
    r.Outcome = FirstLower(f.Rest());
    return r;
}

RequestRec ParseRequest(std::string_view line) {
    CommaFields f(line);
    RequestRec r = RequestHead(f);
    r.TimeUnit = std::string(f.Rest());
    return r;
}

RequestRec ParsePublicRequest(std::string_view line) {
    CommaFields f(line);
    RequestRec r = RequestHead(f);
    r.TimeUnit = std::string(f.Next().value_or(""));
    r.GuestsAllowed = protocol::LeadingNumber(f.Rest()) != 0;
    return r;
}

ScoreRec ParseScore(std::string_view line) {
    CommaFields f(line);
    ScoreRec r;
    if (const auto v = f.Next()) {
        r.Wins = Int32Of(*v);
    }
    if (const auto v = f.Next()) {
        r.Losses = Int32Of(*v);
    }
    if (const auto v = f.Next()) {
        r.Draws = Int32Of(*v);
    }
    r.QVID = std::string(f.Next().value_or(""));
    r.Version = std::string(f.Rest());
    return r;
}

std::string MoveTimeText(std::int16_t amount, std::string_view unit) {
    const std::string n = std::to_string(amount);
    if (unit == "n") {
        return n + " minutes";
    }
    const bool one = amount == 1;
    if (unit == "h") {
        return n + (one ? " hour" : " hours");
    }
    if (unit == "d") {
        return n + (one ? " day" : " days");
    }
    return n + (one ? " week" : " weeks");
}

ServerTime DisplayTime(const ServerTime& t, std::int32_t timeDiff, bool myTime) {
    if (!t || !myTime) {
        return t;
    }
    return protocol::CivilFromSeconds(protocol::CivilSeconds(*t) + timeDiff);
}

std::string OutcomeText(std::string_view outcome) {
    if (outcome == "1") {
        return "White";
    }
    if (outcome == "2") {
        return "Black";
    }
    if (outcome == "w") {
        return "Win";
    }
    if (outcome == "l") {
        return "Loss";
    }
    if (outcome == "d") {
        return "Draw";
    }
    return "-";
}

bool IsSelf(std::string_view name, std::string_view qvid) {
    return text::EqualsIgnoreCase(name, qvid);
}

std::string ServerTimeText(const ServerTime& t, std::int32_t timeDiff, bool myTime,
                           platform::DateTimeFormat& format) {
    const ServerTime shown = DisplayTime(t, timeDiff, myTime);
    if (!shown) {
        return "";
    }
    if (shown->hour == 0 && shown->minute == 0 && shown->second == 0) {
        return format.Date(*shown);
    }
    return format.DateTime(*shown);
}

}  // namespace qc::lobby
