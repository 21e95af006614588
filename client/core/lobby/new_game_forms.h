#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/desktop/web_pages.h"
#include "client/core/lobby/window_rect.h"
#include "client/core/protocol/controller.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/timer.h"

namespace qc::lobby {

struct LobbyLists;

// The three forms that start a new game with one "request " command.
enum class FormKind { Request, LocalGame, PlayBot };

// The move time units in the order of their list.
enum TimeUnit : int { kWeeks = 0, kDays = 1, kHours = 2, kMinutes = 3 };
inline constexpr std::array<std::string_view, 4> kTimeUnitNames = {"weeks", "days", "hours",
                                                                   "minutes"};
// The bot's skill levels as the list shows them.
inline constexpr std::array<std::string_view, 11> kSkillLevelNames = {
    "0 (easiest)", "1", "2", "3", "4", "5", "6", "7", "8", "9", "10 (hardest)"};

// Everything a form shows. Fields a form does not have keep their defaults.
struct NewGameFormState {
    FormKind kind = FormKind::Request;
    std::string caption;
    // The request form's opponent box: its text and the past opponents.
    std::string opponent;
    std::vector<std::string> pastOpponents;
    std::vector<std::string> gameTypes;
    int gameType = 0;
    int skillLevel = 0;
    bool black = false;
    std::string moveTime = "1";
    int timeUnit = kWeeks;
    bool cancelOnLogout = false;
    bool noGuests = false;
    bool noGuestsEnabled = true;
    bool emailMe = false;
    bool textMe = false;
    // Why the last start did not go out; empty when there is nothing to say.
    std::string notice;
    bool operator==(const NewGameFormState&) const = default;
};

using NewGameFormView = StateView<NewGameFormState>;

// The move time as it is cleaned when the amount box loses the focus: the
// whole part of the leading number, within the unit's limits (10 minutes to
// 4 weeks, at most 999 of any unit, at least 1).
std::string ClampedMoveTime(std::string_view text, int unit);
// The limits a newly chosen unit puts on the amount shown.
std::string UnitLimitedMoveTime(std::string_view text, int unit);
// The opponent box's text as it is cleaned: no commas, no blanks around.
std::string CleanOpponent(std::string_view text);
// The page on a game type's rules: an encyclopaedia's chess rules for
// standard chess, else the web site's variants page.
std::string GameTypePage(std::string_view gameType);

// What the forms read and whom they ask.
struct NewGameFormContext {
    const LobbyLists& lists;
    const protocol::LoginState& login;
    settings::Settings& prefs;
    platform::TimerFactory& timers;
    protocol::CommandSink& commands;
    desktop::WebPages& web;
    // Whether a command would reach the server now.
    std::function<bool()> loggedIn;
};

// One of the three forms. It computes what the form shows; the widget draws
// it and forwards each edit and click here. Every close unloads the form,
// so the next show starts from the defaults.
class NewGameForm : public RequestWindowView {
  public:
    NewGameForm(FormKind kind, NewGameFormContext context);
    ~NewGameForm() override;
    NewGameForm(const NewGameForm&) = delete;
    NewGameForm& operator=(const NewGameForm&) = delete;

    void Attach(NewGameFormView* view) { view_ = view; }

    bool IsLoaded() const override { return loaded_; }
    bool IsShown() const override { return loaded_; }
    // Loads the form with its defaults at its saved place, or brings the
    // shown one to the front.
    void Show() override;
    // Keeps the place unless it is (0, 0), and closes the form.
    void Unload() override;
    // Refills the opponent box's list from the past opponents, keeping its
    // text.
    void Update() override;
    void SetOpponent(const std::string& qvid) override;

    // The user's edits.
    void EditOpponent(const std::string& text);
    void OpponentDone();
    void EditMoveTime(const std::string& text);
    void MoveTimeDone();
    void ChooseUnit(int unit);
    void ChooseGameType(int index);
    void ChooseSkillLevel(int level);
    void ChooseBlack(bool black);
    void SetCancelOnLogout(bool on);
    void SetNoGuests(bool on);
    void SetEmailMe(bool on);
    void SetTextMe(bool on);
    // The start button (Enter): sends the request and closes the form.
    void Start();
    // The cancel button (Esc): closes without sending.
    void Cancel() { Unload(); }
    // The "?" button beside the game type.
    void TypeInfo();
    // Every 100 ms while the request form is loaded: whether the guests
    // option applies.
    void NoGuestsTick();

    FormKind Kind() const { return state_.kind; }
    const NewGameFormState& State() const { return state_; }
    // The command the form sends as it stands.
    std::string Command() const;

  private:
    void Load();
    void Render();
    void ApplyNoGuests();
    void CheckCancelOnLogout();
    struct SavedPlace {
        std::int32_t settings::Settings::*x;
        std::int32_t settings::Settings::*y;
    };
    SavedPlace Saved() const;

    NewGameFormContext ctx_;
    NewGameFormView* view_ = nullptr;
    std::unique_ptr<platform::Timer> noGuestsTimer_;
    std::unique_ptr<platform::Timer> refreshTimer_;
    NewGameFormState state_;
    bool loaded_ = false;
};

}  // namespace qc::lobby
