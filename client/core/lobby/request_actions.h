#pragma once

#include <cstdint>

namespace qc {
class Setup;
}

// Actions on one element of the lists. Element numbers are zero-based; the
// windows clamp their selection, and an element past the end does nothing.
// None of them changes a list: the server's answer does.
namespace qc::lobby {

void AcceptReq(Setup& setup, int i);
void DeclineReq(Setup& setup, int i);
void CancelReq(Setup& setup, int i);
void RemoveGame(Setup& setup, int i);
void AcceptPublicReq(Setup& setup, int i);

// The user's own request is open to everybody.
bool IsPublicReq(const Setup& setup, int i);
// The public request is the user's own.
bool IsMyPublicReq(const Setup& setup, int i);
bool IsNoGuestsReq(const Setup& setup, int i);

// A player's statistics or game history. `list`: 0 open games, 1 ended
// games, 2 requests to the user, anything else requests by the user.
void OppStats(Setup& setup, int list, int x);
void OppHist(Setup& setup, int list, int x);
void PublicReqStats(Setup& setup, int x);
void PublicReqHist(Setup& setup, int x);
void BoardStats(Setup& setup, int x);
void BoardHist(Setup& setup, int x);
// The request window, with the scoreboard player as the opponent.
void BoardReq(Setup& setup, int x);

}  // namespace qc::lobby
