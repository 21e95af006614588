#include "client/core/game/game_window.h"

#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/commands.h"
#include "client/core/text.h"

// The game window's move input and the actions of its buttons and boxes.
namespace qc::game {

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

}  // namespace

void GameWindow::SelectSquare(int cell) {
    CurrentGame& g = ctx_.game;
    if (cell < 0 || cell > 63 || g.GameStatus.empty()) {
        return;
    }
    char mover = 0;
    if (IsLocalGame(g)) {
        if (g.GameStatus[0] == 'e') {
            return;
        }
        mover = g.GameStatus[0];
    } else {
        const std::string mine = MyColour(g, ctx_.login.QVID);
        if (g.GameStatus != mine) {
            return;
        }
        mover = mine[0];
    }
    if (state_.promotion.open) {
        return;  // the chooser is modal to the board
    }
    const std::string sq = IndexToSquare(cell, g.Orientation);
    if (Contains(g.Board, sq + mover)) {
        g.Selected = sq;
        g.CanMove.clear();
        ctx_.commands.Send(protocol::cmd::Selected(g.GameID, sq));
        return;
    }
    if (!Contains(g.CanMove, sq)) {
        return;
    }
    // A move needs the square it starts from.
    if (g.Selected.empty()) {
        return;
    }
    if (Contains(g.CanMove, sq + "p")) {
        g.PendingMove = g.Selected + sq;
        state_.promotion.open = true;
        const std::string side(1, mover);
        state_.promotion.pieces = {PieceImageIndex(side + "q"), PieceImageIndex(side + "r"),
                                   PieceImageIndex(side + "b"), PieceImageIndex(side + "n")};
        Render();
        return;
    }
    ctx_.commands.Send(protocol::cmd::Move(g.GameID, g.Selected, sq));
    g.Selected.clear();
    g.CanMove.clear();
}

void GameWindow::PromoteAndMove(char piece) {
    CurrentGame& g = ctx_.game;
    if (!state_.promotion.open) {
        return;
    }
    state_.promotion.open = false;
    Render();
    if (piece != 'r' && piece != 'b' && piece != 'n') {
        piece = 'q';
    }
    if (g.PendingMove.size() == 4) {
        ctx_.commands.Send(protocol::cmd::Promote(g.GameID, g.PendingMove, piece));
    }
    g.PendingMove.clear();
    g.Selected.clear();
    g.CanMove.clear();
}

void GameWindow::CancelPromotion() {
    if (!state_.promotion.open) {
        return;
    }
    state_.promotion.open = false;
    Render();
}

void GameWindow::Castle(char side) {
    CurrentGame& g = ctx_.game;
    if (g.GameID.empty()) {
        return;
    }
    ctx_.commands.Send(protocol::cmd::Castle(g.GameID, g.Selected, side == 'h' ? 'h' : 'a'));
    g.Selected.clear();
    g.CanMove.clear();
}

void GameWindow::FlipBoard() {
    CurrentGame& g = ctx_.game;
    g.Orientation = g.Orientation == "w" ? "b" : "w";
    Update();
}

void GameWindow::SetShowLast(int which, bool on) {
    (which == 2 ? ctx_.prefs.ShowLast2 : ctx_.prefs.ShowLast1) = on;
    ctx_.commands.Send(protocol::cmd::ShowLast(which == 2 ? 2 : 1, on));
    Update();
}

void GameWindow::SetShowPoss(bool on) {
    ctx_.prefs.ShowPoss = on;
    ctx_.commands.Send(protocol::cmd::ShowPoss(on));
    Update();
}

void GameWindow::SetEmailMe(bool on) {
    ctx_.commands.Send(protocol::cmd::EmailMe(ctx_.game.GameID, on));
}

void GameWindow::SetTextMe(bool on) {
    ctx_.commands.Send(protocol::cmd::TextMe(ctx_.game.GameID, on));
}

void GameWindow::BuyTexts() {
    if (ctx_.site) {
        ctx_.site("buytexts.html");
    }
}

void GameWindow::ResignClick() {
    // The box runs the event loop: the game shown may change meanwhile, and
    // the answer is about the game the user was asked about.
    const std::string id = ctx_.game.GameID;
    if (id.empty()) {
        return;
    }
    if (ctx_.dialogs.MessageBox("Are you sure you want to resign?",
                                platform::MessageButtons::YesNo) == platform::MessageAnswer::Yes &&
        ctx_.game.GameID == id) {
        ctx_.commands.Send(protocol::cmd::Resign(id));
    }
}

void GameWindow::OfferDrawClick() {
    const CurrentGame& g = ctx_.game;
    if (g.GameID.empty()) {
        return;
    }
    // What the user is asked about is what is sent: the box runs the event
    // loop, and a new game line may change the game or its offer meanwhile.
    const std::string id = g.GameID;
    const std::string command =
        protocol::cmd::Draw({g.WhitePlayer, g.BlackPlayer, ctx_.login.QVID, g.DrawOffer}, g.GameID);
    const std::string caption = state_.offerDrawCaption;
    const char* question = nullptr;
    if (caption == "Offer &Draw") {
        question = "Are you sure you want to offer a draw?";
    } else if (caption == "Accept &Draw") {
        question = "Are you sure you want to accept the draw offer?";
    } else if (caption == "&Draw") {
        question = "Are you sure you want to call it a draw?";
    }
    if (question != nullptr && ctx_.dialogs.MessageBox(question, platform::MessageButtons::YesNo) !=
                                   platform::MessageAnswer::Yes) {
        return;
    }
    if (g.GameID == id) {
        ctx_.commands.Send(command);
    }
}

void GameWindow::FillCurrentGame() {
    const CurrentGame& g = ctx_.game;
    std::vector<std::string> items;
    const auto& open = ctx_.lists.OpenGamesData;
    if (!open.empty() && !open[0].ID.empty()) {
        for (const lobby::OpenGameRec& r : open) {
            items.push_back((r.YourMove ? "*" : "") + r.ID +
                            (lobby::IsSelf(r.Opponent, ctx_.login.QVID) ? " - Local Game"
                                                                        : " - vs. " + r.Opponent));
        }
    }
    if (items.empty()) {
        items.push_back("");
    }
    int selected = -1;
    for (std::size_t i = 0; i < items.size() && !g.GameID.empty(); ++i) {
        if (text::StartsWith(items[i], g.GameID + " ") ||
            text::StartsWith(items[i], "*" + g.GameID + " ")) {
            selected = static_cast<int>(i);
            break;
        }
    }
    state_.currentGames = std::move(items);
    state_.currentGameIndex = selected;
    if (ctx_.game.ViewNextPending) {
        ctx_.game.ViewNextPending = false;
        state_.currentGameIndex = -1;
        forceFetch_ = true;
        NextGame();
        forceFetch_ = false;
    }
}

void GameWindow::NextGame() {
    const auto& items = state_.currentGames;
    const int k = static_cast<int>(items.size());
    const int c = state_.currentGameIndex;
    int pick = -1;
    for (int i = c + 1; i < k && pick < 0; ++i) {
        if (text::StartsWith(items[static_cast<std::size_t>(i)], "*")) {
            pick = i;
        }
    }
    for (int i = 0; i < c && pick < 0; ++i) {
        if (text::StartsWith(items[static_cast<std::size_t>(i)], "*")) {
            pick = i;
        }
    }
    if (pick < 0) {
        pick = c + 1 < k ? c + 1 : 0;
    }
    DropDownClick(pick);
}

void GameWindow::DropDownClick(int index) {
    if (index < 0 || index >= static_cast<int>(state_.currentGames.size())) {
        return;
    }
    state_.currentGameIndex = index;
    const std::string item = state_.currentGames[static_cast<std::size_t>(index)];
    Render();
    if (item.empty()) {
        return;
    }
    std::string id = item.substr(0, item.find(' '));
    if (!id.empty() && id[0] == '*') {
        id.erase(0, 1);
    }
    if ((id != ctx_.game.GameID || forceFetch_) && ctx_.viewGame) {
        forceFetch_ = false;
        ctx_.viewGame(id);
    }
}

void GameWindow::ViewNext(bool requestList) {
    ctx_.game.ViewNextPending = true;
    Show();
    if (requestList) {
        ctx_.commands.Send(protocol::cmd::OpenGames());
    }
}

void GameWindow::OpenGamesArrived() {
    if (ctx_.game.ViewNextPending) {
        FillCurrentGame();
        Render();
    }
}

void GameWindow::HideLogClick() {
    ctx_.prefs.ShowLog = !ctx_.prefs.ShowLog;
    ApplyLayout();
    Render();
}

void GameWindow::HideChatClick() {
    const bool wasOn = ctx_.prefs.ShowChat;
    ctx_.prefs.ShowChat = !wasOn;
    if (!wasOn && !ctx_.game.GameID.empty()) {
        // Asked for again even when it came before: it may have grown.
        ctx_.commands.Send(protocol::cmd::Chat(ctx_.game.GameID));
    }
    ApplyLayout();
    Render();
}

bool GameWindow::SendChat(const std::string& line) {
    const std::string& id = ctx_.game.GameID;
    // A line that cannot go out stays in the box for another try.
    if (id.empty() || !ctx_.loggedIn || !ctx_.loggedIn()) {
        return false;
    }
    std::string text;
    for (char c : line) {
        if (c != '\r' && c != '\n') {
            text += c;
        }
    }
    ctx_.commands.Send(protocol::cmd::ChatSend(id, text));
    return true;
}

}  // namespace qc::game
