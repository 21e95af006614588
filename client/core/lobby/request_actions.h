#pragma once

#include <string>

#include "client/core/desktop/web_pages.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/controller.h"
#include "client/core/window_views.h"

// Actions on one element of the lists. Element numbers are zero-based; the
// windows clamp their selection, and an element past the end does nothing.
// None of them changes a list: the server's answer does.
namespace qc::lobby {

class RequestActions {
  public:
    RequestActions(const GameLists& lists, const protocol::LoginState& login,
                   protocol::CommandSink& commands, desktop::WebPages& web,
                   RequestWindowView*& requestWin)
        : lists_(lists), login_(login), commands_(commands), web_(web), requestWin_(requestWin) {}

    void AcceptReq(int i);
    void DeclineReq(int i);
    void CancelReq(int i);
    void RemoveGame(int i);
    void AcceptPublicReq(int i);

    // The user's own request is open to everybody.
    bool IsPublicReq(int i) const;
    // The public request is the user's own.
    bool IsMyPublicReq(int i) const;
    bool IsNoGuestsReq(int i) const;

    // A player's statistics or game history. `list`: 0 open games, 1 ended
    // games, 2 requests to the user, anything else requests by the user.
    void OppStats(int list, int x);
    void OppHist(int list, int x);
    void PublicReqStats(int x);
    void PublicReqHist(int x);
    void BoardStats(int x);
    void BoardHist(int x);
    // The request window, with the scoreboard player as the opponent.
    void BoardReq(int x);

  private:
    std::string OpponentName(int list, int x) const;

    const GameLists& lists_;
    const protocol::LoginState& login_;
    protocol::CommandSink& commands_;
    desktop::WebPages& web_;
    RequestWindowView*& requestWin_;
};

}  // namespace qc::lobby
