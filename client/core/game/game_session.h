#pragma once

#include <functional>
#include <string>

#include "client/core/game/current_game.h"
#include "client/core/game/game_window.h"
#include "client/core/protocol/controller.h"
#include "client/core/protocol/dispatcher.h"
#include "client/core/settings/settings.h"
#include "client/core/window_views.h"
#include "client/platform/clock.h"

namespace qc::game {

// The current game: the game messages from the server ("board: ",
// "movelog:", "game: ", "canmove: ", "chat:"), the opening of a game, and
// the game window's refresh.
class GameSession {
  public:
    GameSession(CurrentGame& game, settings::Settings& prefs, protocol::CommandSink& commands,
                const platform::Clock& clock, GameWindow& window)
        : game_(game), prefs_(prefs), commands_(commands), clock_(clock), window_(window) {}

    void Register(protocol::Dispatcher& dispatcher);

    // Shows the game window when it is not shown.
    void ShowWindow();
    // Shows the game window and asks the server for the game `id`. The
    // current game changes only with the server's "game: " line for it.
    void ViewGame(const std::string& id);
    // After a login refresh: a shown window asks for its game afresh
    // (and for the open games when the game list does not), a hidden one
    // is unloaded.
    void RefreshShown(bool gameListShown);

    bool WindowShown() const { return window_.IsShown(); }

    // Runs after each "game: " line is stored.
    std::function<void(const GameFields& game)> onGameLine;

  private:
    void HandleGame(const std::string& line);
    void UpdateGameWin();

    CurrentGame& game_;
    settings::Settings& prefs_;
    protocol::CommandSink& commands_;
    const platform::Clock& clock_;
    GameWindow& window_;
    // The game asked for and not yet described by the server: a refresh in
    // between asks for it, not for the game it replaces.
    std::string requested_;
};

}  // namespace qc::game
