#include "client/core/lobby/request_actions.h"

#include <vector>

#include "client/core/protocol/commands.h"

namespace qc::lobby {

namespace {

template <typename Rec>
const Rec* At(const std::vector<Rec>& list, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < list.size() ? &list[static_cast<std::size_t>(i)]
                                                               : nullptr;
}

template <typename Rec>
void SendWithId(protocol::CommandSink& commands, std::string (*command)(std::string_view),
                const std::vector<Rec>& list, int i) {
    if (const Rec* r = At(list, i)) {
        commands.Send(command(r->ID));
    }
}

// A player's page on the web site; the name goes in exactly as stored.
template <typename Rec>
void PlayerPage(desktop::WebPages& web, const char* page, const std::vector<Rec>& list, int x) {
    const Rec* r = At(list, x);
    web.Site(std::string(page) + "?qvid=" + (r ? r->QVID : std::string()));
}

}  // namespace

std::string RequestActions::OpponentName(int list, int x) const {
    const GameLists& g = lists_;
    switch (list) {
        case 0:
            return At(g.OpenGamesData, x) ? At(g.OpenGamesData, x)->Opponent : "";
        case 1:
            return At(g.ClosedGamesData, x) ? At(g.ClosedGamesData, x)->Opponent : "";
        case 2:
            return At(g.ReqsForData, x) ? At(g.ReqsForData, x)->QVID : "";
        default:
            return At(g.ReqsByData, x) ? At(g.ReqsByData, x)->QVID : "";
    }
}

void RequestActions::AcceptReq(int i) {
    SendWithId(commands_, protocol::cmd::Accept, lists_.ReqsForData, i);
}

void RequestActions::DeclineReq(int i) {
    SendWithId(commands_, protocol::cmd::Cancel, lists_.ReqsForData, i);
}

void RequestActions::CancelReq(int i) {
    SendWithId(commands_, protocol::cmd::Cancel, lists_.ReqsByData, i);
}

void RequestActions::RemoveGame(int i) {
    SendWithId(commands_, protocol::cmd::Remove, lists_.ClosedGamesData, i);
}

void RequestActions::AcceptPublicReq(int i) {
    SendWithId(commands_, protocol::cmd::Accept, lists_.PublicReqsData, i);
}

bool RequestActions::IsPublicReq(int i) const {
    const auto* r = At(lists_.ReqsByData, i);
    return r != nullptr && r->QVID.empty();
}

bool RequestActions::IsMyPublicReq(int i) const {
    const auto* r = At(lists_.PublicReqsData, i);
    return r != nullptr && IsSelf(r->QVID, login_.QVID);
}

bool RequestActions::IsNoGuestsReq(int i) const {
    const auto* r = At(lists_.PublicReqsData, i);
    return r != nullptr && !r->GuestsAllowed;
}

void RequestActions::OppStats(int list, int x) {
    web_.Site("stats.html?qvid=" + OpponentName(list, x));
}

void RequestActions::OppHist(int list, int x) {
    web_.Site("history.html?qvid=" + OpponentName(list, x));
}

void RequestActions::PublicReqStats(int x) {
    PlayerPage(web_, "stats.html", lists_.PublicReqsData, x);
}

void RequestActions::PublicReqHist(int x) {
    PlayerPage(web_, "history.html", lists_.PublicReqsData, x);
}

void RequestActions::BoardStats(int x) {
    PlayerPage(web_, "stats.html", lists_.ScoreboardData, x);
}

void RequestActions::BoardHist(int x) {
    PlayerPage(web_, "history.html", lists_.ScoreboardData, x);
}

void RequestActions::BoardReq(int x) {
    RequestWindowView* window = requestWin_;
    if (window != nullptr) {
        window->Show();
    }
    commands_.Send(protocol::cmd::RequestWin());
    // The answer to "requestwin" refills the box's list but keeps its text,
    // so the name stays whichever comes first.
    const auto* r = At(lists_.ScoreboardData, x);
    if (window != nullptr && r != nullptr) {
        window->SetOpponent(r->QVID);
    }
}

}  // namespace qc::lobby
