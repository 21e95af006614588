#include "server/core/lists.h"

#include <algorithm>
#include <unordered_map>
#include <utility>

#include "server/core/text.h"

namespace qc::server {

namespace {

std::string TypeName(const std::string& gameType) {
    return gameType.empty() ? std::string("Standard") : gameType;
}

bool IsLocal(const Game& g) {
    return g.whiteId == g.blackId;
}

// The user's side in a game; a local game is the user's on both sides.
char SideOf(const Game& g, std::int64_t accountId) {
    return g.whiteId == accountId ? 'w' : 'b';
}

const std::string& OpponentName(const Game& g, std::int64_t accountId) {
    return g.whiteId == accountId ? g.blackName : g.whiteName;
}

std::string Outcome(const Game& g, std::int64_t accountId) {
    if (g.result == GameResult::Draw) {
        return "Draw";
    }
    if (g.result == GameResult::None) {
        return "";
    }
    bool whiteWon = g.result == GameResult::WhiteWins;
    if (IsLocal(g)) {
        return whiteWon ? "1" : "2";
    }
    bool userWon = (SideOf(g, accountId) == 'w') == whiteWon;
    return userWon ? "Win" : "Loss";
}

std::string RequestFields(const Request& r, const std::string& who, char colour) {
    return std::to_string(r.id) + "," + who + "," + TypeName(r.gameType) + "," +
           std::string(1, colour) + "," + std::to_string(r.amount) + "," + r.unit;
}

char Other(char colour) {
    return colour == 'b' ? 'w' : 'b';
}

void AppendOpenGames(std::vector<std::string>& out, Store& store, const Account& account,
                     const Config& config) {
    out.push_back("opengames:");
    for (const Game& g : store.OpenGames(account.id)) {
        bool yourMove = IsLocal(g) || g.toMove == SideOf(g, account.id);
        out.push_back(std::to_string(g.id) + "," + OpponentName(g, account.id) + "," +
                      TypeName(g.gameType) + "," + (yourMove ? "1" : "0") + "," +
                      FormatTimestamp(FromUnixSeconds(g.moveBy), config.utcTimestamps));
    }
    out.push_back(".");
}

}  // namespace

std::string UpdateLine(Store& store, const Account& account, TimePoint now, const Config& config) {
    return "update:" + std::to_string(store.CountRequestsFor(account.id)) + "," +
           std::to_string(store.CountOpenGames(account.id)) + "," +
           std::to_string(account.gameSlots) + "," +
           std::to_string(store.CountYourMove(account.id)) + "," +
           FormatTimestamp(now, config.utcTimestamps);
}

std::string SettingsLine(const Account& account) {
    std::string line = "settings: ";
    for (bool flag : account.flags) {
        line += flag ? "1," : "0,";
    }
    return line + std::to_string(account.textsFree) + "," + std::to_string(account.textsPurchased) +
           "," + std::to_string(account.gameSlots);
}

std::vector<std::string> OpenGamesLines(Store& store, const Account& account,
                                        const Config& config) {
    std::vector<std::string> out;
    AppendOpenGames(out, store, account, config);
    return out;
}

std::vector<std::string> GameListLines(Store& store, const Account& account, const Config& config) {
    std::vector<std::string> out;
    AppendOpenGames(out, store, account, config);
    out.push_back("closedgames:");
    for (const Game& g : store.ClosedGames(account.id, kClosedGameRows)) {
        out.push_back(std::to_string(g.id) + "," + OpponentName(g, account.id) + "," +
                      TypeName(g.gameType) + "," +
                      FormatTimestamp(FromUnixSeconds(g.endedAt), config.utcTimestamps) + "," +
                      Outcome(g, account.id));
    }
    out.push_back(".");
    out.push_back("requestsfor:");
    for (const Request& r : store.RequestsFor(account.id)) {
        out.push_back(RequestFields(r, r.fromName, Other(r.colour)));
    }
    out.push_back(".");
    out.push_back("requestsby:");
    for (const Request& r : store.RequestsBy(account.id)) {
        out.push_back(RequestFields(r, r.toName, r.colour));
    }
    out.push_back(".");
    return out;
}

std::vector<Request> PickPublicRequests(std::vector<Request> requests, std::size_t rows) {
    // Round by round, every owner's next newest request, newest first: when
    // the list is full nobody shows more than one more than anybody else,
    // and many old requests cannot push the new ones of others out.
    std::sort(requests.begin(), requests.end(),
              [](const Request& a, const Request& b) { return a.id > b.id; });
    std::unordered_map<std::int64_t, std::size_t> seen;
    std::vector<std::pair<std::size_t, std::size_t>> order;  // (round, index)
    order.reserve(requests.size());
    for (std::size_t i = 0; i < requests.size(); ++i) {
        order.emplace_back(seen[requests[i].fromId]++, i);
    }
    std::sort(order.begin(), order.end());
    order.resize(std::min(order.size(), rows));
    std::vector<Request> picked;
    picked.reserve(order.size());
    for (const auto& [round, index] : order) {
        picked.push_back(std::move(requests[index]));
    }
    std::sort(picked.begin(), picked.end(),
              [](const Request& a, const Request& b) { return a.id < b.id; });
    return picked;
}

std::vector<std::string> PublicRequestsLines(Store& store) {
    std::vector<std::string> out{"publicreqs:"};
    for (const Request& r : PickPublicRequests(store.PublicRequests(), kPublicRequestRows)) {
        out.push_back(RequestFields(r, r.fromName, Other(r.colour)) + "," +
                      (r.noGuests ? "0" : "1"));
    }
    out.push_back(".");
    return out;
}

void RankScoreRows(std::vector<ScoreRow>& rows) {
    auto total = [](const ScoreRow& r) { return r.wins + r.losses + r.draws; };
    std::sort(rows.begin(), rows.end(), [&](const ScoreRow& a, const ScoreRow& b) {
        bool aRanked = total(a) >= 10;
        bool bRanked = total(b) >= 10;
        if (aRanked != bRanked) {
            return aRanked;
        }
        if (aRanked) {
            // Points per game compared exactly: (2w + d) / 2t, cross-multiplied.
            long long left = static_cast<long long>(2 * a.wins + a.draws) * total(b);
            long long right = static_cast<long long>(2 * b.wins + b.draws) * total(a);
            if (left != right) {
                return left > right;
            }
        }
        if (total(a) != total(b)) {
            return total(a) > total(b);
        }
        if (a.wins != b.wins) {
            return a.wins > b.wins;
        }
        return Lower(a.name) < Lower(b.name);
    });
}

const std::vector<std::string>& ScoreboardCache::Lines(Store& store, TimePoint now) {
    if (!madeAt_ || generation_ != store.ScoreGeneration() || now < *madeAt_ ||
        now - *madeAt_ >= kMaxAge) {
        lines_ = ScoreboardLines(store);
        generation_ = store.ScoreGeneration();
        madeAt_ = now;
    }
    return lines_;
}

std::vector<std::string> ScoreboardLines(Store& store) {
    std::vector<ScoreRow> rows = store.ScoreRows();
    RankScoreRows(rows);
    if (rows.size() > static_cast<std::size_t>(kScoreboardRows)) {
        rows.resize(kScoreboardRows);
    }
    std::vector<std::string> out{"scoreboard:"};
    for (const ScoreRow& r : rows) {
        out.push_back(std::to_string(r.wins) + "," + std::to_string(r.losses) + "," +
                      std::to_string(r.draws) + "," + r.name + "," + r.version);
    }
    out.push_back(".");
    return out;
}

std::vector<std::string> OppHistoryLines(Store& store, const Account& account) {
    std::vector<std::string> out{"opphistory:"};
    for (std::string& name : store.PastOpponents(account.id, kPastOpponentRows)) {
        out.push_back(std::move(name));
    }
    out.push_back(".");
    return out;
}

std::vector<std::string> GameTypesLines(const Config& config) {
    std::vector<std::string> out{"gametypes:"};
    for (const std::string& type : config.extraGameTypes) {
        out.push_back(type);
    }
    out.push_back(".");
    return out;
}

}  // namespace qc::server
