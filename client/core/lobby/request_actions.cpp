#include "client/core/lobby/request_actions.h"
#include "client/core/protocol/commands.h"

#include <vector>

#include "client/core/setup.h"

namespace qc::lobby {

namespace {

template <typename Rec>
const Rec* At(const std::vector<Rec>& list, int i) {
    return i >= 0 && static_cast<std::size_t>(i) < list.size() ? &list[static_cast<std::size_t>(i)]
                                                               : nullptr;
}

std::string OpponentName(const Setup& setup, int list, int x) {
    const GameLists& g = setup.gameLists;
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

template <typename Rec>
void SendWithId(Setup& setup, std::string (*command)(std::string_view),
                const std::vector<Rec>& list, int i) {
    if (const Rec* r = At(list, i)) {
        setup.Send(command(r->ID));
    }
}

// A player's page on the web site; the name goes in exactly as stored.
template <typename Rec>
void PlayerPage(Setup& setup, const char* page, const std::vector<Rec>& list, int x) {
    const Rec* r = At(list, x);
    setup.Site(std::string(page) + "?qvid=" + (r ? r->QVID : std::string()));
}

}  // namespace

void AcceptReq(Setup& setup, int i) {
    SendWithId(setup, protocol::cmd::Accept, setup.gameLists.ReqsForData, i);
}

void DeclineReq(Setup& setup, int i) {
    SendWithId(setup, protocol::cmd::Cancel, setup.gameLists.ReqsForData, i);
}

void CancelReq(Setup& setup, int i) {
    SendWithId(setup, protocol::cmd::Cancel, setup.gameLists.ReqsByData, i);
}

void RemoveGame(Setup& setup, int i) {
    SendWithId(setup, protocol::cmd::Remove, setup.gameLists.ClosedGamesData, i);
}

void AcceptPublicReq(Setup& setup, int i) {
    SendWithId(setup, protocol::cmd::Accept, setup.gameLists.PublicReqsData, i);
}

bool IsPublicReq(const Setup& setup, int i) {
    const auto* r = At(setup.gameLists.ReqsByData, i);
    return r != nullptr && r->QVID.empty();
}

bool IsMyPublicReq(const Setup& setup, int i) {
    const auto* r = At(setup.gameLists.PublicReqsData, i);
    return r != nullptr && IsSelf(r->QVID, setup.login.QVID);
}

bool IsNoGuestsReq(const Setup& setup, int i) {
    const auto* r = At(setup.gameLists.PublicReqsData, i);
    return r != nullptr && !r->GuestsAllowed;
}

void OppStats(Setup& setup, int list, int x) {
    setup.Site("stats.html?qvid=" + OpponentName(setup, list, x));
}

void OppHist(Setup& setup, int list, int x) {
    setup.Site("history.html?qvid=" + OpponentName(setup, list, x));
}

void PublicReqStats(Setup& setup, int x) {
    PlayerPage(setup, "stats.html", setup.gameLists.PublicReqsData, x);
}

void PublicReqHist(Setup& setup, int x) {
    PlayerPage(setup, "history.html", setup.gameLists.PublicReqsData, x);
}

void BoardStats(Setup& setup, int x) {
    PlayerPage(setup, "stats.html", setup.gameLists.ScoreboardData, x);
}

void BoardHist(Setup& setup, int x) {
    PlayerPage(setup, "history.html", setup.gameLists.ScoreboardData, x);
}

void BoardReq(Setup& setup, int x) {
    RequestWindowView* window = setup.views().requestWin;
    if (window != nullptr) {
        window->Show();
    }
    setup.Send(protocol::cmd::RequestWin());
    // The answer to "requestwin" refills the box's list but keeps its text,
    // so the name stays whichever comes first.
    const auto* r = At(setup.gameLists.ScoreboardData, x);
    if (window != nullptr && r != nullptr) {
        window->SetOpponent(r->QVID);
    }
}

}  // namespace qc::lobby
