#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "client/core/game/banner.h"
#include "client/core/game/current_game.h"
#include "client/core/lobby/game_lists.h"
#include "client/core/protocol/controller.h"
#include "client/core/settings/settings.h"
#include "client/platform/clock.h"
#include "client/platform/dialogs.h"
#include "client/platform/locale.h"
#include "client/platform/timer.h"

namespace qc::game {

// A colour as red, green and blue.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
    bool operator==(const Rgb&) const = default;
};

inline constexpr Rgb kWindowText{0, 153, 255};
inline constexpr Rgb kGreen{0, 255, 0};
inline constexpr Rgb kRed{255, 0, 0};
inline constexpr Rgb kYellow{255, 255, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kLightCell{0, 150, 150};
inline constexpr Rgb kDarkCell{160, 60, 40};
inline constexpr Rgb kSelectionFrame{173, 255, 47};

// Piece pictures 0 to 11: white king, queen, rook, bishop, knight, pawn,
// then the black ones in the same order. An unknown piece letter counts as
// a king, a colour letter other than "b" as white.
int PieceImageIndex(std::string_view pieceCode);

// The values derived from the current game, computed in one place.
bool IsLocalGame(const GameFields& g);
// "w" or "b": the side the user plays (in a local game the side to move,
// "w" once ended).
std::string MyColour(const GameFields& g, std::string_view qvid);
std::string Opponent(const GameFields& g, std::string_view qvid);
// The user's move: the whole status equals his colour.
bool IsMyMove(const GameFields& g, std::string_view qvid);

// The piece code on a square of a board text: the two characters after the
// square's first occurrence, "" when absent or cut short.
std::string PieceOn(std::string_view board, std::string_view square);

// The captured piece's code of a move-log entry, lower case: its first word
// from the 8th character on; "" for no capture.
std::string CapturedPiece(std::string_view entry);

// One board cell as drawn.
struct CellState {
    int piece = -1;  // a piece picture, or -1 for an empty cell
    Rgb fill;
    Rgb border;           // the fill colour when nothing is highlighted
    int borderWidth = 0;  // pixels: 0, 3 or 4
    bool hand = false;    // a click here does something: pointing-hand cursor
    bool operator==(const CellState&) const = default;
};

// One place of the taken-piece strips.
struct TakenState {
    int piece = -1;
    bool recent = false;  // taken in one of the last two half-moves: red frame
    bool operator==(const TakenState&) const = default;
};

// The promotion chooser: open over the game window, modal to it.
struct PromotionState {
    bool open = false;
    // Queen, rook, bishop and knight of the moving side.
    std::array<int, 4> pieces{};
    bool operator==(const PromotionState&) const = default;
};

// Everything the game window shows.
struct GameWindowState {
    std::string caption;
    bool moveLightGreen = false;
    std::string moveText;
    Rgb moveColour = kRed;
    std::string statusText;
    Rgb statusColour = kRed;
    std::string drawOfferedText;
    Rgb drawOfferedColour = kWindowText;
    std::string offerDrawCaption = "Offer &Draw";
    bool resignEnabled = false;
    bool offerDrawEnabled = false;
    std::string moveTimeText;
    std::string startedText;
    std::string moveByCaption = "Move must be made by:";
    std::string moveByText;
    std::string timeLeftCaption = "Time remaining:";
    // The outcome of an ended game; the remaining time otherwise.
    std::string timeLeftText;
    bool emailMe = false;
    bool textMe = false;
    bool showLast1 = false;
    bool showLast2 = false;
    bool showPoss = false;
    std::string textsText;
    std::array<CellState, 64> cells{};
    // Element 0 beside the bottom row / under the left column.
    std::array<std::string, 8> rowLabels{};
    std::array<std::string, 8> colLabels{};
    bool castleA = false;
    bool castleH = false;
    std::array<std::string, 2> moveLogHeading{};
    // One row per full move: white's and black's half-move.
    std::vector<std::array<std::string, 2>> moveLog;
    // 0 to 15 the left strip (from the bottom up, the inner place first),
    // 16 to 31 the right strip (from the top down, the inner place first).
    std::array<TakenState, 32> taken{};
    PromotionState promotion;
    // The game's chat, a line per message; shown with the newest line in view.
    std::string chatText;
    // The user's open games: "*" when it is his move, the identifier, then
    // " - vs. " and the opponent or " - Local Game"; the shown game selected.
    std::vector<std::string> currentGames{""};
    int currentGameIndex = -1;
    // The two folding panels: the move log strip at the right, the chat strip
    // at the bottom. The outer size follows them (twips).
    bool showLog = true;
    bool showChat = true;
    std::string hideLogCaption = "Hide Move &Log";
    std::string hideChatCaption = "Hide &Chat";
    int widthTwips = 13545;
    int heightTwips = 9060;
    // The highlight boxes work with the log shown, the chat controls with the
    // chat shown, the notification boxes and the credit button with both.
    bool highlightBoxesEnabled = true;
    bool chatEnabled = true;
    bool notifyEnabled = true;
    // The banner's picture file (null: none), and whether a click on it
    // opens a page.
    std::shared_ptr<const std::string> banner;
    bool bannerLinked = false;
    bool operator==(const GameWindowState&) const = default;
};

// The widget that draws the game window. Positions are twips.
class GameWindowView {
  public:
    virtual ~GameWindowView() = default;
    virtual void Render(const GameWindowState& state) = 0;
    // Places the window and shows it in front, with the focus.
    virtual void Open(double leftTwips, double topTwips) = 0;
    virtual void Raise() = 0;
    virtual void Close() = 0;
    virtual double Left() const = 0;
    virtual double Top() const = 0;
};

// What the game window reads and whom it asks.
struct GameWindowContext {
    CurrentGame& game;
    // The highlight flags, the window's position and the time display.
    settings::Settings& prefs;
    const protocol::LoginState& login;
    const protocol::StatusCounters& counters;
    protocol::CommandSink& commands;
    platform::Dialogs& dialogs;
    platform::DateTimeFormat& dateTime;
    // Opens a page of the web site (the SMS credit shop).
    std::function<void(const std::string& page)> site;
    // Rebuilds the connection soon, so that the server sends the game anew.
    std::function<void()> reconnectSoon;
    // The remaining time counts down on these.
    const platform::Clock& clock;
    platform::TimerFactory& timers;
    // Refreshes the login (once a deadline has passed), and tells whether
    // the user is logged in.
    std::function<void()> connect;
    std::function<bool()> loggedIn;
    // The user's open games, for the game chooser, and how a game is opened.
    const lobby::GameLists& lists;
    std::function<void(const std::string& id)> viewGame;
    // The advertisement shown while the window is open.
    Banner& banner;
};

// The height of the banner's strip below the window's panels.
inline constexpr int kBannerStripTwips = 1020;

// The remaining time between two moments: "1 hours 2 mins 5 secs" (the
// plural words for 1 too), "0:00:00" when equal, "" when `from` is later.
std::string TimeLeftText(std::int64_t fromSeconds, std::int64_t toSeconds);

// The game window: everything it shows, computed from the current game, the
// move input and the actions on the game. The widget draws the state it is
// handed and passes the user's clicks here.
class GameWindow {
  public:
    explicit GameWindow(GameWindowContext context);
    ~GameWindow();
    GameWindow(const GameWindow&) = delete;
    GameWindow& operator=(const GameWindow&) = delete;

    void Attach(GameWindowView* view);

    // Loads the window on first use at its saved position, or brings it to
    // the front.
    void Show();
    // The window's unload: a position other than (0, 0) is kept. The
    // current game stays.
    void Unload();
    bool IsLoaded() const { return loaded_; }
    bool IsShown() const { return loaded_; }

    // Redraws everything from the current game.
    void Update();
    // A "game: " line named another game: what belonged to the old one goes.
    void GameChanged();
    // The chat list arrived.
    void UpdateChat();

    // Move input. `cell` is 0..63, row by row from the top left.
    void SelectSquare(int cell);
    // Completes a pending promotion with 'q', 'r', 'b' or 'n'.
    void PromoteAndMove(char piece);
    // The chooser's Cancel or its close box.
    void CancelPromotion();
    // 'a' or 'h'.
    void Castle(char side);

    // Actions of the window's buttons and boxes.
    void FlipBoard();
    void SetShowLast(int which, bool on);
    void SetShowPoss(bool on);
    void SetEmailMe(bool on);
    void SetTextMe(bool on);
    void BuyTexts();
    // The game chooser: the user picked item `index`; "Next Game".
    void DropDownClick(int index);
    void NextGame();
    // Rebuilds the game chooser from the open games; after ViewNext it also
    // picks the next game that waits for the user.
    void FillCurrentGame();
    // ViewNext: the next open-games list picks the game to show.
    void ViewNext(bool requestList);
    // The open-games list arrived.
    void OpenGamesArrived();
    // The folding buttons.
    void HideLogClick();
    void HideChatClick();
    // Sends a chat line: the whole text, line breaks removed. True when it
    // went out, so that the box may be emptied; false keeps the text.
    bool SendChat(const std::string& text);
    // Opens the banner's page, when it has one.
    void BannerClick();
    // Asks first; only Yes resigns.
    void ResignClick();
    // Asks as the button's caption says, then offers, accepts or withdraws.
    void OfferDrawClick();

    const GameWindowState& State() const { return state_; }

  private:
    void Compute();
    void Render();
    void ApplyLayout();
    void TimeLeftTick();

    GameWindowContext ctx_;
    GameWindowView* view_ = nullptr;
    GameWindowState state_;
    bool loaded_ = false;
    // The game state the last failed refresh was seen for: a reconnection
    // is asked for once per distinct state, not at every refresh.
    std::string failedFor_;
    std::unique_ptr<platform::Timer> timeLeftTimer_;
    // The game and deadline a passed deadline last refreshed the login for.
    std::string deadlineConnectedFor_;
    // ViewNext fetches the chosen game even when it is the one shown,
    // without blanking the identifier the window still shows.
    bool forceFetch_ = false;
};

}  // namespace qc::game
