#include "client/core/game/game_session.h"

#include "client/core/protocol/commands.h"
#include "client/core/text.h"

namespace qc::game {

void GameSession::Register(protocol::Dispatcher& dispatcher) {
    using protocol::Match;
    dispatcher.AddMessage({"board: ", Match::Prefix, [this](const std::string& line) {
                               game_.Board = ReadBoardLine(line);
                               return true;
                           }});
    dispatcher.AddMessage({"game: ", Match::Prefix, [this](const std::string& line) {
                               HandleGame(line);
                               return true;
                           }});
    dispatcher.AddMessage({"canmove: ", Match::Prefix, [this](const std::string& line) {
                               game_.CanMove = ReadCanMoveLine(line);
                               UpdateGameWin();
                               return true;
                           }});
    dispatcher.AddList({"movelog:", protocol::RcvMode::MoveLog,
                        [this] { game_.MoveLogLines.assign(1, ""); },
                        [this](const std::string& line, std::int16_t at) {
                            protocol::StoreRecord(game_.MoveLogLines, at, line);
                        },
                        nullptr});
    dispatcher.AddList({"chat:", protocol::RcvMode::Chat, [this] { game_.ChatText.clear(); },
                        [this](const std::string& line, std::int16_t) {
                            if (game_.ChatText.size() + line.size() <= protocol::kMaxChatBytes) {
                                game_.ChatText += line + protocol::kCrLf;
                            }
                        },
                        [this] { window_.UpdateChat(); }, false});
}

void GameSession::HandleGame(const std::string& line) {
    const bool changed = ReadGameLine(line, game_, clock_.LocalNow());
    if (text::EqualsIgnoreCase(game_.GameID, requested_)) {
        requested_.clear();
    }
    if (changed) {
        // Another game: its selection, orientation and move input start afresh.
        window_.GameChanged();
    }
    // The highlight flags are the account's, kept with the settings.
    prefs_.ShowLast1 = game_.ShowLast1;
    prefs_.ShowLast2 = game_.ShowLast2;
    prefs_.ShowPoss = game_.ShowPoss;
    UpdateGameWin();
    if (onGameLine) {
        onGameLine(game_);
    }
    if (prefs_.ShowChat) {
        commands_.Send(protocol::cmd::Chat(game_.GameID));
    }
}

void GameSession::UpdateGameWin() {
    window_.Update();
}

void GameSession::ShowWindow() {
    if (!window_.IsShown()) {
        window_.Show();
    }
}

void GameSession::ViewGame(const std::string& id) {
    ShowWindow();
    requested_ = id;
    commands_.Send(protocol::cmd::Game(id));
}

void GameSession::RefreshShown(bool gameListShown) {
    if (window_.IsShown()) {
        if (!gameListShown) {
            commands_.Send(protocol::cmd::OpenGames());
        }
        // A window that shows no game yet has nothing to ask for.
        const std::string& id = requested_.empty() ? game_.GameID : requested_;
        if (!id.empty()) {
            commands_.Send(protocol::cmd::Game(id));
        }
    }
}

}  // namespace qc::game
