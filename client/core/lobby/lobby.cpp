#include "client/core/lobby/lobby.h"

#include "client/core/protocol/commands.h"
#include "client/core/protocol/wire_number.h"

namespace qc::lobby {

using protocol::RcvMode;

template <typename Rec>
void Lobby::AddRecordList(protocol::Dispatcher& d, const char* header, RcvMode mode,
                          std::vector<Rec>& list, Rec (*parse)(std::string_view),
                          std::function<void()> end) {
    d.AddList({header, mode, [&list] { list.assign(1, {}); },
               [&list, parse](const std::string& line, std::int16_t at) {
                   protocol::StoreRecord(list, at, parse(line));
               },
               std::move(end)});
}

template <typename Rec>
void Lobby::AddTimedList(protocol::Dispatcher& d, const char* header, RcvMode mode,
                         std::vector<Rec>& list,
                         Rec (*parse)(std::string_view, const platform::CivilTime&),
                         std::function<void()> end) {
    d.AddList({header, mode, [&list] { list.assign(1, {}); },
               [this, &list, parse](const std::string& line, std::int16_t at) {
                   protocol::StoreRecord(list, at, parse(line, clock_.LocalNow()));
               },
               std::move(end)});
}

std::function<void()> Lobby::Refresh(ListWindowView* LobbyViews::*view) {
    return [this, view] {
        ListWindowView* w = views_.*view;
        if (w != nullptr && w->IsShown()) {
            w->Update();
        }
    };
}

void Lobby::Register(protocol::Dispatcher& d) {
    // The game list is refreshed once, after the last of its four lists.
    AddTimedList(d, "opengames:", RcvMode::OpenGames, lists_.OpenGamesData, ParseOpenGame, [this] {
        if (openGamesEnded) {
            openGamesEnded();
        }
    });
    AddTimedList(d, "closedgames:", RcvMode::ClosedGames, lists_.ClosedGamesData, ParseClosedGame,
                 {});
    AddRecordList(d, "requestsfor:", RcvMode::RequestsFor, lists_.ReqsForData, ParseRequest,
                  [this] {
                      if (requestsForEnded) {
                          requestsForEnded();
                      }
                  });
    AddRecordList(d, "requestsby:", RcvMode::RequestsBy, lists_.ReqsByData, ParseRequest, [this] {
        if (gameList_.IsShown()) {
            gameList_.Update();
        }
    });
    AddRecordList(d, "publicreqs:", RcvMode::PublicReqs, lists_.PublicReqsData, ParsePublicRequest,
                  Refresh(&LobbyViews::publicReqs));
    AddRecordList(d, "scoreboard:", RcvMode::Scoreboard, lists_.ScoreboardData, ParseScore,
                  Refresh(&LobbyViews::scoreboard));
    d.AddList({"opphistory:", RcvMode::OppHistory, [this] { text_.OppHistoryData.assign(1, ""); },
               [this](const std::string& line, std::int16_t at) {
                   protocol::StoreRecord(text_.OppHistoryData, at, line);
               },
               [this] {
                   RequestWindowView* w = views_.requestWin;
                   if (w != nullptr && w->IsShown()) {
                       w->Update();
                   }
               }});
    d.AddList({"gametypes:",
               RcvMode::GameTypes,
               [this] { text_.GameTypes = "Standard;Chess960"; },
               [this](const std::string& line, std::int16_t) {
                   if (text_.GameTypes.size() < protocol::kMaxLineBytes) {
                       text_.GameTypes += ";" + line;
                   }
               },
               {}});
    d.AddMessage({"accepted: ", protocol::Match::Prefix, [this](const std::string& line) {
                      viewGame_(std::string(protocol::MidFrom(line, 11)));
                      return true;
                  }});
    d.AddMessage({"gametypes: ", protocol::Match::Prefix, [this](const std::string& line) {
                      text_.GameTypes =
                          "Standard;Chess960;" + std::string(protocol::MidFrom(line, 12));
                      return true;
                  }});
}

void Lobby::ResetLists() {
    lists_ = GameLists{};
    text_ = LobbyLists{};
}

bool Lobby::RefreshShown() {
    if (gameList_.IsShown()) {
        commands_.Send(protocol::cmd::GameList());
        return true;
    }
    if (gameList_.IsLoaded()) {
        gameList_.Unload();
    }
    return false;
}

}  // namespace qc::lobby
