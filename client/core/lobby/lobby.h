#pragma once

#include <functional>
#include <string>
#include <vector>

#include "client/core/lobby/game_list_window.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/controller.h"
#include "client/core/protocol/dispatcher.h"
#include "client/platform/clock.h"

namespace qc::lobby {

// The lobby's lists that are kept as plain text.
struct LobbyLists {
    std::vector<std::string> OppHistoryData{""};
    // ";"-separated game type names.
    std::string GameTypes = "Standard;Chess960";
};

// The lobby's messages: the lists of games, requests, the scoreboard, the
// opponent history and the game types, and "accepted: ". Each list is one
// row of the dispatcher's table; its end refreshes the window that shows it.
class Lobby {
  public:
    Lobby(GameLists& lists, LobbyLists& text, const platform::Clock& clock,
          protocol::CommandSink& commands, GameListWindow& gameList, LobbyViews& views,
          std::function<void(const std::string& id)> viewGame)
        : lists_(lists),
          text_(text),
          clock_(clock),
          commands_(commands),
          gameList_(gameList),
          views_(views),
          viewGame_(std::move(viewGame)) {}

    void Register(protocol::Dispatcher& dispatcher);

    // Every list back to one empty element.
    void ResetLists();
    // After a login refresh: a shown game list asks for fresh lists, a
    // hidden one is unloaded. Returns whether it is shown.
    bool RefreshShown();

    // Run when an open-games list, a requests-for list has arrived.
    std::function<void()> openGamesEnded;
    std::function<void()> requestsForEnded;

  private:
    template <typename Rec>
    void AddRecordList(protocol::Dispatcher& d, const char* header, protocol::RcvMode mode,
                       std::vector<Rec>& list, Rec (*parse)(std::string_view),
                       std::function<void()> end);
    template <typename Rec>
    void AddTimedList(protocol::Dispatcher& d, const char* header, protocol::RcvMode mode,
                      std::vector<Rec>& list,
                      Rec (*parse)(std::string_view, const platform::CivilTime&),
                      std::function<void()> end);
    std::function<void()> Refresh(ListWindowView* LobbyViews::*view);

    GameLists& lists_;
    LobbyLists& text_;
    const platform::Clock& clock_;
    protocol::CommandSink& commands_;
    GameListWindow& gameList_;
    LobbyViews& views_;
    std::function<void(const std::string&)> viewGame_;
};

}  // namespace qc::lobby
