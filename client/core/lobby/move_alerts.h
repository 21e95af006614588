#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/controller.h"
#include "client/core/settings/settings.h"
#include "client/platform/clock.h"
#include "client/platform/timer.h"
#include "client/platform/tray.h"

namespace qc::lobby {

// How often the deadlines are looked at, whether a window is open or not.
inline constexpr int kDeadlineCheckMs = 10000;
// While something waits, lists older than this are asked for again on the
// next "update:", in case a change slipped between two equal counts.
inline constexpr std::int64_t kListsStaleSeconds = 30 * 60;
// An answer to "gamelist" that has not come within this time is given up.
inline constexpr std::int64_t kListsAnswerSeconds = 20;

// The move time of a unit code ("n", "h", "d", anything else weeks), in seconds.
std::int64_t MoveTimeSeconds(std::int16_t amount, std::string_view unit);
// Time left in its largest whole unit: "3 hours", "1 day", "less than a minute".
std::string TimeLeftText(std::int64_t seconds);
// When a deadline is close: under a day, or under half the move time when
// that is shorter. An unknown move time (0) counts as long.
std::int64_t WarningThreshold(std::int64_t moveTimeSeconds);

// The notification texts.
std::string YourMoveText(const std::string& opponent, const std::string& gameId);
std::string RequestText(const RequestRec& request);
std::string DeadlineText(const std::string& gameId, const std::string& opponent,
                         std::int64_t secondsLeft);

// What the move alerts read and whom they tell.
struct MoveAlertsContext {
    const GameLists& lists;
    const protocol::LoginState& login;
    const protocol::StatusCounters& counters;
    const settings::Settings& prefs;
    const platform::Clock& clock;
    platform::TimerFactory& timers;
    platform::TrayService& tray;
    protocol::CommandSink& commands;
    // Written here, read by the game list window.
    DeadlineWarnings& deadlines;
};

// Desktop notifications when a move starts waiting or a request arrives,
// and the warnings of close deadlines. The lists tell which game: after an
// "update:" whose counts changed, the lists are asked for unless a window
// already did so, and each complete list is compared with the one seen
// before. The first lists of an account only set what is known: what
// waited then is told by the tray's colour and sound.
class MoveAlerts {
  public:
    explicit MoveAlerts(MoveAlertsContext context);
    ~MoveAlerts();
    MoveAlerts(const MoveAlerts&) = delete;
    MoveAlerts& operator=(const MoveAlerts&) = delete;

    // Starts the deadline checks.
    void Start();
    // After each "update:": `movesAsked` and `requestsAsked` tell whether
    // the shown windows already asked for the open games and for the
    // requests.
    void Updated(bool movesAsked, bool requestsAsked);
    // A complete list has arrived.
    void OpenGamesArrived();
    void RequestsForArrived();
    // The move time of a game, from its "game: " line.
    void KnowMoveTime(const std::string& gameId, std::int16_t amount, const std::string& unit);
    // The deadline check, every kDeadlineCheckMs.
    void CheckDeadlines();
    // A click on a notification.
    void MessageClicked(int id);

    // What a click opens; set by the controller.
    std::function<void(const std::string& gameId)> openGame;
    std::function<void()> openGameList;
    // The set of warned deadlines changed.
    std::function<void()> warningsChanged;

  private:
    struct Target {
        std::string gameId;  // empty: the game list
    };
    void Reset();
    void Notify(const std::string& text, Target target);
    void AskLists();
    std::int64_t ServerNow() const;
    std::int64_t LocalSeconds() const;

    MoveAlertsContext ctx_;
    std::unique_ptr<platform::Timer> timer_;
    // The account whose lists are remembered.
    std::string owner_;
    bool movesKnown_ = false;
    bool requestsKnown_ = false;
    std::int16_t lastYourMove_ = 0;
    std::int16_t lastReqs_ = 0;
    // When lists were last asked for (by anyone) and last arrived; local
    // seconds, or nothing.
    std::optional<std::int64_t> movesAskedAt_;
    std::optional<std::int64_t> requestsAskedAt_;
    std::optional<std::int64_t> listsArrivedAt_;
    // Games waiting for the user's move, with the deadline they had.
    std::map<std::string, ServerTime> waiting_;
    // Every open game's deadline as last seen.
    std::map<std::string, ServerTime> deadlines_;
    // The requests for the user last seen.
    std::map<std::string, bool> requests_;
    // Move times: from the game line (exact), or from a deadline seen soon
    // after it was set (a little short: the wait for the list).
    struct MoveTime {
        std::int64_t seconds = 0;
        bool exact = false;
    };
    std::map<std::string, MoveTime> moveTimes_;
    // Whether deadlines_ holds a list of this account.
    bool deadlinesKnown_ = false;
    // The deadline each game was last warned of.
    std::map<std::string, ServerTime> warned_;
    // What a click on each notification opens; the newest are kept.
    std::map<int, Target> targets_;
    int nextId_ = 1;
};

}  // namespace qc::lobby
