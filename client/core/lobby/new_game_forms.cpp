#include "client/core/lobby/new_game_forms.h"

#include <cmath>
#include <exception>
#include <optional>

#include "client/core/lobby/lobby.h"
#include "client/core/protocol/commands.h"
#include "client/core/protocol/wire_number.h"
#include "client/core/text.h"

namespace qc::lobby {

namespace {

constexpr int kNoGuestsMs = 100;
constexpr int kRefreshRetryMs = 3000;

std::string UnitName(int unit) {
    return unit >= 0 && unit < static_cast<int>(kTimeUnitNames.size())
               ? std::string(kTimeUnitNames[static_cast<std::size_t>(unit)])
               : std::string();
}

// The unit's own limits, or nothing when the amount is within them.
std::optional<double> UnitLimit(double amount, int unit) {
    switch (unit) {
        case kWeeks:
            return amount > 4 ? std::optional<double>(4) : std::nullopt;
        case kDays:
            return amount > 28 ? std::optional<double>(28) : std::nullopt;
        case kHours:
            return amount > 672 ? std::optional<double>(672) : std::nullopt;
        case kMinutes:
            return amount < 10 ? std::optional<double>(10) : std::nullopt;
        default:
            return std::nullopt;
    }
}

std::string Decimal(double whole) {
    return std::to_string(static_cast<long long>(whole));
}

std::vector<std::string> SplitTypes(const std::string& types) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t semi = types.find(';', start);
        out.push_back(types.substr(start, semi - start));
        if (semi == std::string::npos) {
            return out;
        }
        start = semi + 1;
    }
}

const char* CaptionOf(FormKind kind) {
    switch (kind) {
        case FormKind::Request:
            return " - Request Game";
        case FormKind::LocalGame:
            return " - Local Game";
        case FormKind::PlayBot:
            return " - Play Against Bot";
    }
    return "";
}

}  // namespace

std::string ClampedMoveTime(std::string_view text, int unit) {
    double amount = std::trunc(protocol::LeadingNumber(text));
    if (!std::isfinite(amount)) {
        amount = 0;
    }
    if (const auto limit = UnitLimit(amount, unit)) {
        amount = *limit;
    }
    if (amount <= 0) {
        amount = 1;
    }
    if (amount > 999) {
        amount = 999;
    }
    return Decimal(amount);
}

std::string UnitLimitedMoveTime(std::string_view text, int unit) {
    const auto limit = UnitLimit(protocol::LeadingNumber(text), unit);
    return limit ? Decimal(*limit) : std::string(text);
}

std::string CleanOpponent(std::string_view text) {
    std::string noCommas;
    for (char c : text) {
        if (c != ',') {
            noCommas += c;
        }
    }
    return std::string(text::Trim(noCommas));
}

std::string GameTypePage(std::string_view gameType) {
    const std::string lower = text::ToLower(gameType);
    if (lower == "standard") {
        return "http://en.wikipedia.org/wiki/Chess#Rules";
    }
    std::string anchor;
    for (char c : lower) {
        if (c != ' ') {
            anchor += c;
        }
    }
    return "variants.html#" + anchor;
}

NewGameForm::NewGameForm(FormKind kind, NewGameFormContext context) : ctx_(std::move(context)) {
    state_.kind = kind;
    noGuestsTimer_ = ctx_.timers.CreateTimer(kNoGuestsMs, [this] { NoGuestsTick(); });
    refreshTimer_ = ctx_.timers.CreateTimer(kRefreshRetryMs, [this] {
        refreshTimer_->SetEnabled(false);
        ctx_.commands.Send(protocol::cmd::RequestWin());
    });
    Load();
}

NewGameForm::~NewGameForm() = default;

NewGameForm::SavedPlace NewGameForm::Saved() const {
    using S = settings::Settings;
    switch (state_.kind) {
        case FormKind::Request:
            return {&S::RequestX, &S::RequestY};
        case FormKind::LocalGame:
            return {&S::LocalGameX, &S::LocalGameY};
        case FormKind::PlayBot:
            break;
    }
    return {&S::PlayBotX, &S::PlayBotY};
}

void NewGameForm::Load() {
    const FormKind kind = state_.kind;
    state_ = NewGameFormState{};
    state_.kind = kind;
    state_.caption = std::string(text::kProgramName) + CaptionOf(kind);
    state_.gameTypes = SplitTypes(ctx_.lists.GameTypes);
    ApplyNoGuests();
}

void NewGameForm::Render() {
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void NewGameForm::Show() {
    if (loaded_) {
        if (view_ != nullptr) {
            view_->Raise();
        }
        return;
    }
    loaded_ = true;
    Load();
    noGuestsTimer_->SetEnabled(state_.kind == FormKind::Request);
    Render();
    if (view_ != nullptr) {
        const SavedPlace saved = Saved();
        view_->Open({static_cast<double>(ctx_.prefs.*saved.x),
                     static_cast<double>(ctx_.prefs.*saved.y), 0, 0});
    }
}

void NewGameForm::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    noGuestsTimer_->SetEnabled(false);
    refreshTimer_->SetEnabled(false);
    if (view_ == nullptr) {
        return;
    }
    const WindowRect r = view_->Geometry();
    const SavedPlace saved = Saved();
    KeepPlace(r.left, r.top, ctx_.prefs.*saved.x, ctx_.prefs.*saved.y);
    view_->Close();
}

void NewGameForm::Update() {
    if (!loaded_ || state_.kind != FormKind::Request) {
        return;
    }
    try {
        state_.pastOpponents = ctx_.lists.OppHistoryData;
    } catch (const std::exception&) {
        refreshTimer_->SetEnabled(true);
    }
    Render();
}

void NewGameForm::SetOpponent(const std::string& qvid) {
    EditOpponent(qvid);
}

void NewGameForm::ApplyNoGuests() {
    if (state_.kind != FormKind::Request) {
        return;
    }
    // Only a public request can be closed to guests, and a guest cannot
    // close one.
    const bool applies =
        state_.opponent.empty() && !text::StartsWith(text::ToLower(ctx_.login.QVID), "guest");
    state_.noGuestsEnabled = applies;
    if (!applies) {
        state_.noGuests = false;
    }
}

void NewGameForm::NoGuestsTick() {
    const NewGameFormState before = state_;
    ApplyNoGuests();
    if (!(state_ == before)) {
        Render();
    }
}

void NewGameForm::CheckCancelOnLogout() {
    // A request with a short move time is of no use once its maker is gone.
    if (state_.kind == FormKind::Request) {
        state_.cancelOnLogout =
            state_.timeUnit == kMinutes && protocol::LeadingNumber(state_.moveTime) < 60;
    }
}

void NewGameForm::EditOpponent(const std::string& text) {
    state_.opponent = text;
    ApplyNoGuests();
    Render();
}

void NewGameForm::OpponentDone() {
    state_.opponent = CleanOpponent(state_.opponent);
    ApplyNoGuests();
    Render();
}

void NewGameForm::EditMoveTime(const std::string& text) {
    state_.moveTime = text;
    Render();
}

void NewGameForm::MoveTimeDone() {
    state_.moveTime = ClampedMoveTime(state_.moveTime, state_.timeUnit);
    CheckCancelOnLogout();
    Render();
}

void NewGameForm::ChooseUnit(int unit) {
    if (unit < 0 || unit >= static_cast<int>(kTimeUnitNames.size())) {
        return;
    }
    state_.timeUnit = unit;
    state_.moveTime = UnitLimitedMoveTime(state_.moveTime, unit);
    CheckCancelOnLogout();
    Render();
}

void NewGameForm::ChooseGameType(int index) {
    if (index < 0 || index >= static_cast<int>(state_.gameTypes.size())) {
        return;
    }
    state_.gameType = index;
    // The bot plays the variants at its easiest level only.
    if (state_.kind == FormKind::PlayBot && index >= 2) {
        state_.skillLevel = 0;
    }
    Render();
}

void NewGameForm::ChooseSkillLevel(int level) {
    if (level < 0 || level >= static_cast<int>(kSkillLevelNames.size())) {
        return;
    }
    state_.skillLevel = level;
    if (level >= 1 && state_.gameType >= 2) {
        state_.gameType = 0;
    }
    Render();
}

void NewGameForm::ChooseBlack(bool black) {
    state_.black = black;
    Render();
}

void NewGameForm::SetCancelOnLogout(bool on) {
    state_.cancelOnLogout = on;
    Render();
}

void NewGameForm::SetNoGuests(bool on) {
    state_.noGuests = on && state_.noGuestsEnabled;
    Render();
}

void NewGameForm::SetEmailMe(bool on) {
    state_.emailMe = on;
    Render();
}

void NewGameForm::SetTextMe(bool on) {
    state_.textMe = on;
    Render();
}

void NewGameForm::TypeInfo() {
    const auto& types = state_.gameTypes;
    const std::size_t i = static_cast<std::size_t>(state_.gameType);
    ctx_.web.Site(GameTypePage(i < types.size() ? types[i] : std::string()));
}

std::string NewGameForm::Command() const {
    const NewGameFormState& s = state_;
    const std::size_t i = static_cast<std::size_t>(s.gameType);
    const std::string type = i < s.gameTypes.size() ? s.gameTypes[i] : std::string();
    const std::string unit = UnitName(s.timeUnit);
    switch (s.kind) {
        case FormKind::Request:
            return protocol::cmd::Request({s.opponent, type, s.black, s.moveTime, unit, s.emailMe,
                                           s.textMe, s.cancelOnLogout, s.noGuests});
        case FormKind::LocalGame:
            return protocol::cmd::LocalGameRequest(ctx_.login.QVID, type, s.moveTime, unit);
        case FormKind::PlayBot:
            break;
    }
    return protocol::cmd::BotRequest(s.skillLevel, type, s.black, s.moveTime, unit);
}

void NewGameForm::Start() {
    // Enter sends without the boxes losing the focus: clean them here, so
    // that no typed comma adds a field and no amount goes out unchecked. The
    // cancel-on-logout box keeps the user's choice.
    state_.opponent = CleanOpponent(state_.opponent);
    state_.moveTime = ClampedMoveTime(state_.moveTime, state_.timeUnit);
    ApplyNoGuests();
    if (!ctx_.loggedIn()) {
        state_.notice = "Not logged in: the request was not sent.";
        Render();
        return;
    }
    ctx_.commands.Send(Command());
    Unload();
}

}  // namespace qc::lobby
