#include "client/core/game/game_window.h"

#include <cmath>
#include <exception>

#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/commands.h"
#include "client/core/protocol/server_time.h"
#include "client/core/text.h"
#include "client/core/window_views.h"

namespace qc::game {

int PieceImageIndex(std::string_view code) {
    static constexpr std::string_view kLetters = "kqrbnp";
    const char piece = code.size() > 1 ? code[1] : 'k';
    std::size_t at = kLetters.find(piece);
    if (at == std::string_view::npos) {
        at = 0;
    }
    const bool black = !code.empty() && code[0] == 'b';
    return static_cast<int>(at) + (black ? 6 : 0);
}

bool IsLocalGame(const GameFields& g) {
    return text::EqualsIgnoreCase(g.WhitePlayer, g.BlackPlayer);
}

std::string MyColour(const GameFields& g, std::string_view qvid) {
    if (IsLocalGame(g)) {
        const char toMove = g.GameStatus.empty() ? 'w' : g.GameStatus[0];
        return toMove == 'e' ? "w" : std::string(1, toMove);
    }
    return text::EqualsIgnoreCase(qvid, g.BlackPlayer) ? "b" : "w";
}

std::string Opponent(const GameFields& g, std::string_view qvid) {
    if (IsLocalGame(g)) {
        return g.BlackPlayer;
    }
    return MyColour(g, qvid) == "b" ? g.WhitePlayer : g.BlackPlayer;
}

bool IsMyMove(const GameFields& g, std::string_view qvid) {
    return g.GameStatus == MyColour(g, qvid);
}

std::string PieceOn(std::string_view board, std::string_view square) {
    const std::size_t at = board.find(square);
    // A group cut short at the end of the text leaves the cell empty.
    if (square.empty() || at == std::string_view::npos || at + square.size() + 2 > board.size()) {
        return "";
    }
    return std::string(board.substr(at + square.size(), 2));
}

std::string CapturedPiece(std::string_view entry) {
    const std::string_view word = entry.substr(0, entry.find(' '));
    return word.size() > 7 ? text::ToLower(word.substr(7)) : "";
}

namespace {

constexpr std::size_t kStripPlaces = 16;

// Full moves shown for half-move index k: k / 2, white's in column 0.
std::size_t MoveRow(std::size_t k) {
    return k / 2;
}

bool Contains(std::string_view text, std::string_view part) {
    return !part.empty() && text.find(part) != std::string_view::npos;
}

}  // namespace

std::string TimeLeftText(std::int64_t from, std::int64_t to) {
    if (from == to) {
        return "0:00:00";
    }
    if (from > to) {
        return "";
    }
    const std::int64_t s = to - from;
    const std::int64_t h = s / 3600;
    const std::int64_t m = (s - 3600 * h) / 60;
    const std::int64_t r = s - 3600 * h - 60 * m;
    std::string out;
    if (h > 0) {
        out += std::to_string(h) + " hours ";
    }
    if (m > 0) {
        out += std::to_string(m) + " mins ";
    }
    if (r > 0) {
        out += std::to_string(r) + " secs";
    }
    return std::string(text::Trim(out));
}

GameWindow::GameWindow(GameWindowContext context) : ctx_(std::move(context)) {
    state_.caption = std::string(text::kProgramName) + " - Game";
    timeLeftTimer_ = ctx_.timers.CreateTimer(100, [this] { TimeLeftTick(); });
    ctx_.banner.changed = [this] {
        if (loaded_) {
            Render();
        }
    };
}

GameWindow::~GameWindow() {
    ctx_.banner.changed = nullptr;
}

void GameWindow::ApplyLayout() {
    GameWindowState& s = state_;
    s.showLog = ctx_.prefs.ShowLog;
    s.showChat = ctx_.prefs.ShowChat;
    s.widthTwips = s.showLog ? 13545 : 10125;
    // A strip at the bottom holds the banner while there is one.
    s.heightTwips = (s.showChat ? 9060 : 7215) + (ctx_.banner.Picture() ? kBannerStripTwips : 0);
    s.hideLogCaption = s.showLog ? "Hide Move &Log" : "Show Move &Log";
    s.hideChatCaption = s.showChat ? "Hide &Chat" : "Show &Chat";
    s.highlightBoxesEnabled = s.showLog;
    s.chatEnabled = s.showChat;
    s.notifyEnabled = s.showLog && s.showChat;
}

void GameWindow::TimeLeftTick() {
    if (!loaded_) {
        timeLeftTimer_->SetEnabled(false);
        return;
    }
    const CurrentGame& g = ctx_.game;
    if (g.GameID.empty() || g.GameStatus.empty() || g.GameStatus[0] == 'e') {
        return;  // an ended game keeps its outcome
    }
    // Seconds in 64 bits: a far or a zero date must not wrap.
    const std::int64_t serverNow =
        protocol::CivilSeconds(ctx_.clock.LocalNow()) - ctx_.counters.TimeDiff;
    const std::int64_t deadline = protocol::CivilSeconds(g.MoveBy);
    const std::int64_t left = deadline - serverNow;
    std::string text;
    if (left > 0 && left < 86400) {
        text = TimeLeftText(serverNow, deadline);
    } else if (left >= 86400) {
        const std::int64_t days = left / 86400;
        text = days == 1 ? "1 day" : std::to_string(days) + " days";
    } else {
        // Passed: the server may have ended the game on time. Ask once for
        // this game and deadline, and only while logged in: asking at every
        // tick would resend the login and reopen refused-password boxes.
        text = state_.timeLeftText;
        timeLeftTimer_->SetInterval(3000);
        const std::string key = g.GameID + '\n' + protocol::FormatServerTimestamp(g.MoveBy);
        if (key != deadlineConnectedFor_ && ctx_.loggedIn && ctx_.loggedIn()) {
            deadlineConnectedFor_ = key;
            if (ctx_.connect) {
                ctx_.connect();
            }
        }
    }
    if (text != state_.timeLeftText) {
        state_.timeLeftText = text;
        Render();
    }
}

void GameWindow::Attach(GameWindowView* view) {
    view_ = view;
}

void GameWindow::Render() {
    state_.banner = ctx_.banner.Picture();
    state_.bannerLinked = !ctx_.banner.Url().empty();
    ApplyLayout();
    if (view_ != nullptr) {
        view_->Render(state_);
    }
}

void GameWindow::BannerClick() {
    if (!ctx_.banner.Url().empty()) {
        ctx_.site(ctx_.banner.Url());
    }
}

void GameWindow::Show() {
    if (loaded_) {
        if (view_ != nullptr) {
            view_->Raise();
        }
        return;
    }
    loaded_ = true;
    ctx_.banner.WindowOpened();
    Compute();
    Render();
    if (view_ != nullptr) {
        view_->Open(ctx_.prefs.GameWinX, ctx_.prefs.GameWinY);
    }
    timeLeftTimer_->SetInterval(100);
    timeLeftTimer_->SetEnabled(true);
    TimeLeftTick();
}

void GameWindow::Unload() {
    if (!loaded_) {
        return;
    }
    loaded_ = false;
    timeLeftTimer_->SetEnabled(false);
    ctx_.banner.WindowClosed();
    // A chooser left open would send its move into whatever game is shown
    // when the window comes back.
    state_.promotion.open = false;
    if (view_ == nullptr) {
        return;
    }
    KeepPlace(view_->Left(), view_->Top(), ctx_.prefs.GameWinX, ctx_.prefs.GameWinY);
    view_->Render(state_);
    view_->Close();
}

void GameWindow::Update() {
    if (!loaded_) {
        return;
    }
    Compute();
    Render();
}

void GameWindow::UpdateChat() {
    // Kept while the panel is folded; shown when the chat next arrives.
    if (!loaded_ || !ctx_.prefs.ShowChat) {
        return;
    }
    state_.chatText = ctx_.game.ChatText;
    Render();
}

void GameWindow::GameChanged() {
    CurrentGame& g = ctx_.game;
    g.Selected.clear();
    g.Orientation.clear();
    // What was reachable or pending in the old game means nothing in the new
    // one, and a chooser still open would promote there.
    g.CanMove.clear();
    g.PendingMove.clear();
    state_.promotion.open = false;
}

void GameWindow::Compute() {
    ApplyLayout();
    // A refresh brings the countdown back to its pace after a deadline.
    timeLeftTimer_->SetInterval(100);
    if (ctx_.game.GameID.empty()) {
        // Opened before any game arrived: an empty board under the design
        // caption, rather than a game between nobody and nobody.
        state_ = GameWindowState{};
        state_.caption = std::string(text::kProgramName) + " - Game";
        ApplyLayout();
        for (int i = 0; i < 64; ++i) {
            CellState& c = state_.cells[static_cast<std::size_t>(i)];
            c.fill = c.border = (i / 8 + i % 8) % 2 == 0 ? kLightCell : kDarkCell;
        }
        for (int c = 0; c < 8; ++c) {
            state_.colLabels[static_cast<std::size_t>(c)] =
                std::string(1, static_cast<char>('A' + c));
            state_.rowLabels[static_cast<std::size_t>(c)] = std::to_string(c + 1);
        }
        state_.moveLog.assign(1, {});
        return;
    }
    try {
        CurrentGame& g = ctx_.game;
        const std::string& qvid = ctx_.login.QVID;
        GameWindowState& s = state_;
        const bool local = IsLocalGame(g);
        const std::string mine = MyColour(g, qvid);
        const bool myMove = g.GameStatus == mine;
        const bool ended = !g.GameStatus.empty() && g.GameStatus[0] == 'e';
        const std::string type = g.GameType.empty() ? "Standard Chess" : g.GameType;
        const std::string title = std::string(text::kProgramName) + " - Game " + g.GameID;

        // 1. Caption.
        if (local) {
            s.caption = title + " - Local Game (" + type + ")" + (ended ? " - Ended" : "");
        } else {
            s.caption = title + " - " + g.WhitePlayer + " vs. " + g.BlackPlayer + " (" + type +
                        ")" + (ended ? " - ended" : "");
        }

        // 2 and 3. Whose move, or the outcome.
        if (!ended) {
            if (local) {
                s.moveLightGreen = true;
                s.moveColour = kGreen;
                s.moveText = g.GameStatus == "w" ? "White's move" : "Black's move";
                s.statusColour = kRed;
            } else if (myMove) {
                s.moveLightGreen = true;
                s.moveColour = kGreen;
                s.moveText = "Your move";
                s.statusColour = kRed;
            } else {
                s.moveLightGreen = false;
                s.moveColour = kRed;
                s.moveText = text::Possessive(Opponent(g, qvid)) + " move";
                s.statusColour = kGreen;
            }
            s.moveByCaption = "Move must be made by:";
            s.timeLeftCaption = "Time remaining:";
            s.timeLeftText.clear();
            s.resignEnabled = s.offerDrawEnabled = true;
        } else {
            s.moveLightGreen = false;
            s.moveColour = kRed;
            s.moveText = "Game has ended";
            s.moveByCaption = "Game ended:";
            s.timeLeftCaption = "Outcome:";
            const char result = g.GameStatus.size() > 1 ? g.GameStatus[1] : '\0';
            if (result == 's') {
                s.statusColour = kYellow;
                s.timeLeftText = "Draw";
            } else if (local) {
                s.statusColour = kGreen;
                s.timeLeftText = result == 'w' ? "White won" : "Black won";
            } else if (std::string(1, result) == mine) {
                s.statusColour = kGreen;
                s.timeLeftText = "You won";
            } else {
                s.statusColour = kRed;
                s.timeLeftText = "You lost";
            }
            s.resignEnabled = s.offerDrawEnabled = false;
        }

        // 4 to 6. Status phrase, time per move, start and deadline.
        s.statusText = text::ToUpper(g.StatusText);
        if (text::EqualsIgnoreCase(g.StatusText, "agreed draw")) {
            s.statusText += ' ';
        }
        s.moveTimeText = lobby::MoveTimeText(g.MoveTime, g.MoveTimeUnit);
        s.startedText = lobby::ServerTimeText(g.Started, ctx_.counters.TimeDiff, ctx_.prefs.MyTime,
                                              ctx_.dateTime);
        s.moveByText = lobby::ServerTimeText(g.MoveBy, ctx_.counters.TimeDiff, ctx_.prefs.MyTime,
                                             ctx_.dateTime);

        // 7. Draw offer.
        if (local) {
            s.drawOfferedText.clear();
            s.offerDrawCaption = "&Draw";
        } else if (g.DrawOffer.empty() || ended) {
            s.drawOfferedText.clear();
            s.offerDrawCaption = "Offer &Draw";
        } else if (g.DrawOffer == mine) {
            s.drawOfferedColour = kWindowText;
            s.drawOfferedText = "You have offered a draw";
            s.offerDrawCaption = "Cancel &Offer";
        } else {
            s.drawOfferedColour = kGreen;
            s.drawOfferedText = "Opponent has offered a draw";
            s.offerDrawCaption = "Accept &Draw";
        }

        // 8. Boxes and credits.
        s.emailMe = g.GameEmailMe;
        s.textMe = g.GameTextMe;
        s.showLast1 = ctx_.prefs.ShowLast1;
        s.showLast2 = ctx_.prefs.ShowLast2;
        s.showPoss = ctx_.prefs.ShowPoss;
        s.textsText = "SMS Credits:     Free: " + std::to_string(g.TextsFree) +
                      "     Purchased: " + std::to_string(g.TextsPurchased);

        // 9. A newly viewed game is shown from the user's side.
        if (g.Orientation.empty()) {
            g.Orientation = mine;
        }

        // 10. Cells; later frames override earlier ones.
        const std::vector<std::string>& log = g.MoveLogLines;
        const std::size_t n = log.empty() ? 0 : log.size() - 1;
        for (int i = 0; i < 64; ++i) {
            CellState& c = s.cells[static_cast<std::size_t>(i)];
            const std::string sq = IndexToSquare(i, g.Orientation);
            c.fill = (i / 8 + i % 8) % 2 == 0 ? kLightCell : kDarkCell;
            c.hand = false;
            const std::string code = PieceOn(g.Board, sq);
            c.piece = code.empty() ? -1 : PieceImageIndex(code);
            if (!code.empty() && std::string(1, code[0]) == mine && myMove) {
                c.hand = true;
            }
            const bool reachable = Contains(g.CanMove, sq);
            if (reachable && myMove) {
                c.hand = true;
            }
            c.border = c.fill;
            c.borderWidth = 0;
            if (n > 0 && ctx_.prefs.ShowLast2 && Contains(log[n - 1], sq)) {
                c.border = n % 2 == 1 ? kWhite : kBlack;
                c.borderWidth = 3;
            }
            if (ctx_.prefs.ShowLast1 && !log.empty() && Contains(log[n], sq)) {
                c.border = (n + 1) % 2 == 1 ? kWhite : kBlack;
                c.borderWidth = 3;
            }
            if (reachable && myMove && !g.Selected.empty() && ctx_.prefs.ShowPoss) {
                c.border = kYellow;
                c.borderWidth = 3;
            }
            if (myMove && sq == g.Selected) {
                c.border = kSelectionFrame;
                c.borderWidth = 4;
            }
        }

        // 11. Labels.
        for (int c = 0; c < 8; ++c) {
            const auto i = static_cast<std::size_t>(c);
            if (g.Orientation == "b") {
                s.colLabels[i] = std::string(1, static_cast<char>('H' - c));
                s.rowLabels[i] = std::to_string(8 - c);
            } else {
                s.colLabels[i] = std::string(1, static_cast<char>('A' + c));
                s.rowLabels[i] = std::to_string(c + 1);
            }
        }

        // 12. Castling.
        s.castleA = Contains(g.CanMove, "ca");
        s.castleH = Contains(g.CanMove, "ch");

        // 13 and 14. The move log and the pieces taken.
        s.moveLogHeading = {g.WhitePlayer, g.BlackPlayer};
        s.moveLog.assign((n + 2) / 2, {});
        s.taken.fill({});
        std::size_t left = 0;
        std::size_t right = 0;
        bool overflow = false;
        for (std::size_t k = 0; k <= n && k < log.size(); ++k) {
            s.moveLog[MoveRow(k)][k % 2] = log[k];
            const std::string code = CapturedPiece(log[k]);
            if (code.empty()) {
                continue;
            }
            const bool recent = k + 1 >= n && k <= n;  // k is n or n - 1
            // A piece of the side at the top, taken by the side at the bottom.
            std::size_t& count = code[0] != g.Orientation[0] ? left : right;
            const std::size_t base = &count == &left ? 0 : kStripPlaces;
            if (count >= kStripPlaces) {
                overflow = true;  // more than a side has: the log is corrupt
                continue;
            }
            s.taken[base + count] = {PieceImageIndex(code), recent};
            ++count;
        }
        s.promotion.open = s.promotion.open && !g.PendingMove.empty();
        FillCurrentGame();
        if (overflow) {
            // Ask once for a fresh copy; the server would resend the same log.
            const std::string key = g.GameID + '\n' + g.GameStatus + '\n' +
                                    std::to_string(log.size()) + '\n' + log.back();
            if (key != failedFor_) {
                failedFor_ = key;
                if (ctx_.reconnectSoon) {
                    ctx_.reconnectSoon();
                }
            }
        }
    } catch (const std::exception&) {
        // What was drawn stays; a new connection makes the server resend.
        if (ctx_.reconnectSoon) {
            ctx_.reconnectSoon();
        }
    }
}

}  // namespace qc::game
