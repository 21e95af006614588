#include "client/core/lobby/move_alerts.h"

#include <algorithm>
#include <limits>

#include "client/core/protocol/commands.h"
#include "client/core/protocol/server_time.h"
#include "client/core/text.h"

namespace qc::lobby {

namespace {

constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 60 * kMinute;
constexpr std::int64_t kDay = 24 * kHour;
constexpr std::int64_t kWeek = 7 * kDay;
// Notifications whose click is still remembered.
constexpr std::size_t kClickTargets = 64;

bool Same(const ServerTime& a, const ServerTime& b) {
    if (!a || !b) {
        return !a && !b;
    }
    return protocol::CivilSeconds(*a) == protocol::CivilSeconds(*b);
}

std::string Counted(std::int64_t n, const char* unit) {
    return std::to_string(n) + " " + unit + (n == 1 ? "" : "s");
}

}  // namespace

std::int64_t MoveTimeSeconds(std::int16_t amount, std::string_view unit) {
    std::int64_t per = kWeek;
    if (unit == "n") {
        per = kMinute;
    } else if (unit == "h") {
        per = kHour;
    } else if (unit == "d") {
        per = kDay;
    }
    return std::max<std::int64_t>(amount, 0) * per;
}

std::string TimeLeftText(std::int64_t seconds) {
    if (seconds >= kDay) {
        return Counted(seconds / kDay, "day");
    }
    if (seconds >= kHour) {
        return Counted(seconds / kHour, "hour");
    }
    if (seconds >= kMinute) {
        return Counted(seconds / kMinute, "minute");
    }
    return "less than a minute";
}

std::int64_t WarningThreshold(std::int64_t moveTimeSeconds) {
    if (moveTimeSeconds <= 0) {
        return kDay;
    }
    return std::min(kDay, moveTimeSeconds / 2);
}

std::string YourMoveText(const std::string& opponent, const std::string& gameId) {
    return "Your move against " + opponent + ", game " + gameId;
}

std::string RequestText(const RequestRec& r) {
    return r.QVID + " asks you for a game: " + r.GameType + ", " +
           MoveTimeText(r.TimeAmount, r.TimeUnit);
}

std::string DeadlineText(const std::string& gameId, const std::string& opponent,
                         std::int64_t secondsLeft) {
    return "Game " + gameId + " against " + opponent + ": " + TimeLeftText(secondsLeft) + " left";
}

MoveAlerts::MoveAlerts(MoveAlertsContext context) : ctx_(context) {
    timer_ = ctx_.timers.CreateTimer(kDeadlineCheckMs, [this] { CheckDeadlines(); });
}

MoveAlerts::~MoveAlerts() = default;

void MoveAlerts::Start() {
    timer_->SetEnabled(true);
}

std::int64_t MoveAlerts::LocalSeconds() const {
    return protocol::CivilSeconds(ctx_.clock.LocalNow());
}

std::int64_t MoveAlerts::ServerNow() const {
    return LocalSeconds() - ctx_.counters.TimeDiff;
}

void MoveAlerts::Reset() {
    movesKnown_ = requestsKnown_ = deadlinesKnown_ = false;
    lastYourMove_ = lastReqs_ = 0;
    movesAskedAt_.reset();
    requestsAskedAt_.reset();
    listsArrivedAt_.reset();
    waiting_.clear();
    deadlines_.clear();
    requests_.clear();
    moveTimes_.clear();
    warned_.clear();
    if (!ctx_.deadlines.gameIds.empty()) {
        ctx_.deadlines.gameIds.clear();
        if (warningsChanged) {
            warningsChanged();
        }
    }
}

void MoveAlerts::AskLists() {
    ctx_.commands.Send(protocol::cmd::GameList());
    movesAskedAt_ = requestsAskedAt_ = LocalSeconds();
}

void MoveAlerts::Updated(bool movesAsked, bool requestsAsked) {
    const protocol::StatusCounters& c = ctx_.counters;
    const std::int64_t now = LocalSeconds();
    const bool first = owner_ != ctx_.login.QVID;
    if (first) {
        // Another account: nothing of the last one's lists counts.
        Reset();
        owner_ = ctx_.login.QVID;
    }
    bool movesDirty = first || c.NumYourMove != lastYourMove_;
    bool requestsDirty = first || c.Reqs != lastReqs_;
    lastYourMove_ = c.NumYourMove;
    lastReqs_ = c.Reqs;
    if (first) {
        // Nothing waiting is known without asking.
        if (c.NumYourMove == 0) {
            movesKnown_ = true;
            movesDirty = false;
        }
        if (c.Reqs == 0) {
            requestsKnown_ = true;
            requestsDirty = false;
        }
    }
    if (movesAsked) {
        movesAskedAt_ = now;
    }
    if (requestsAsked) {
        requestsAskedAt_ = now;
    }
    const auto pending = [now](const std::optional<std::int64_t>& at) {
        return at && now - *at >= 0 && now - *at < kListsAnswerSeconds;
    };
    const bool waits = c.NumYourMove > 0 || c.Reqs > 0;
    // Lists never received (a lost answer) are as old as can be.
    const bool stale = waits && (!listsArrivedAt_ || now - *listsArrivedAt_ >= kListsStaleSeconds);
    // A changed count asks even with an answer still on its way: that
    // answer may tell of the time before the change.
    const bool needMoves = (movesDirty && !movesAsked) || (stale && !pending(movesAskedAt_));
    const bool needRequests =
        (requestsDirty && !requestsAsked) || (stale && !pending(requestsAskedAt_));
    if (needMoves || needRequests) {
        AskLists();
    }
}

void MoveAlerts::OpenGamesArrived() {
    // Lists that come before the account's first "update:" are no baseline.
    if (owner_.empty() || owner_ != ctx_.login.QVID) {
        return;
    }
    movesAskedAt_.reset();
    listsArrivedAt_ = LocalSeconds();
    const std::int64_t serverNow = ServerNow();
    std::map<std::string, ServerTime> waiting;
    std::map<std::string, ServerTime> deadlines;
    std::vector<const OpenGameRec*> started;
    for (const OpenGameRec& r : ctx_.lists.OpenGamesData) {
        if (r.ID.empty() || IsSelf(r.Opponent, ctx_.login.QVID)) {
            continue;
        }
        deadlines[r.ID] = r.MoveBy;
        const auto before = deadlines_.find(r.ID);
        const bool newDeadline = before == deadlines_.end() || !Same(before->second, r.MoveBy);
        if (deadlinesKnown_ && newDeadline && r.MoveBy) {
            // A deadline set since the last list: the time to it is about
            // the move time, less the wait for this list.
            const std::int64_t left = protocol::CivilSeconds(*r.MoveBy) - serverNow;
            const std::int64_t estimate = (left + kMinute - 1) / kMinute * kMinute;
            MoveTime& t = moveTimes_[r.ID];
            if (!t.exact && estimate > t.seconds) {
                t.seconds = estimate;
            }
        }
        if (r.YourMove) {
            waiting[r.ID] = r.MoveBy;
            const auto was = waiting_.find(r.ID);
            if (movesKnown_ && (was == waiting_.end() || !Same(was->second, r.MoveBy))) {
                started.push_back(&r);
            }
        }
    }
    movesKnown_ = deadlinesKnown_ = true;
    waiting_ = std::move(waiting);
    deadlines_ = std::move(deadlines);
    // Games no longer open are forgotten.
    std::erase_if(moveTimes_, [this](const auto& e) { return !deadlines_.count(e.first); });
    std::erase_if(warned_, [this](const auto& e) { return !deadlines_.count(e.first); });
    for (const OpenGameRec* r : started) {
        Notify(YourMoveText(r->Opponent, r->ID), {r->ID});
    }
    CheckDeadlines();
}

void MoveAlerts::RequestsForArrived() {
    if (owner_.empty() || owner_ != ctx_.login.QVID) {
        return;
    }
    requestsAskedAt_.reset();
    std::map<std::string, bool> current;
    std::vector<const RequestRec*> arrived;
    for (const RequestRec& r : ctx_.lists.ReqsForData) {
        if (r.ID.empty()) {
            continue;
        }
        current[r.ID] = true;
        if (requestsKnown_ && !requests_.count(r.ID)) {
            arrived.push_back(&r);
        }
    }
    requestsKnown_ = true;
    requests_ = std::move(current);
    for (const RequestRec* r : arrived) {
        Notify(RequestText(*r), {""});
    }
}

void MoveAlerts::KnowMoveTime(const std::string& gameId, std::int16_t amount,
                              const std::string& unit) {
    if (gameId.empty() || amount <= 0) {
        return;
    }
    moveTimes_[gameId] = {MoveTimeSeconds(amount, unit), true};
}

void MoveAlerts::CheckDeadlines() {
    std::set<std::string> under;
    if (deadlinesKnown_ && owner_ == ctx_.login.QVID) {
        const std::int64_t serverNow = ServerNow();
        for (const OpenGameRec& r : ctx_.lists.OpenGamesData) {
            if (r.ID.empty() || !r.YourMove || !r.MoveBy || IsSelf(r.Opponent, ctx_.login.QVID)) {
                continue;
            }
            const std::int64_t left = protocol::CivilSeconds(*r.MoveBy) - serverNow;
            const auto known = moveTimes_.find(r.ID);
            const std::int64_t moveTime = known != moveTimes_.end() ? known->second.seconds : 0;
            if (left >= WarningThreshold(moveTime)) {
                continue;
            }
            under.insert(r.ID);
            const auto was = warned_.find(r.ID);
            if (was != warned_.end() && Same(was->second, r.MoveBy)) {
                continue;
            }
            warned_[r.ID] = r.MoveBy;
            // A deadline already passed is the server's to judge.
            if (left > 0) {
                Notify(DeadlineText(r.ID, r.Opponent, left), {r.ID});
            }
        }
    }
    if (under != ctx_.deadlines.gameIds) {
        ctx_.deadlines.gameIds = std::move(under);
        if (warningsChanged) {
            warningsChanged();
        }
    }
}

void MoveAlerts::Notify(const std::string& text, Target target) {
    // With notifications off the memory still moves on: turning them on
    // later does not bring back old news.
    if (!ctx_.prefs.Notify) {
        return;
    }
    if (nextId_ == std::numeric_limits<int>::max()) {
        nextId_ = 1;
    }
    const int id = nextId_++;
    targets_[id] = std::move(target);
    if (targets_.size() > kClickTargets) {
        targets_.erase(targets_.begin());
    }
    ctx_.tray.ShowMessage(id, std::string(text::kProgramName), text);
}

void MoveAlerts::MessageClicked(int id) {
    const auto it = targets_.find(id);
    if (it == targets_.end()) {
        return;
    }
    const Target target = it->second;
    if (target.gameId.empty()) {
        if (openGameList) {
            openGameList();
        }
    } else if (openGame) {
        openGame(target.gameId);
    }
}

}  // namespace qc::lobby
