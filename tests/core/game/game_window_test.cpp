#include <gtest/gtest.h>

#include "client/core/game/game_window.h"
#include "client/core/protocol/server_time.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::game {
namespace {

using fakes::FakeController;

// The fields of a "game: " line that the tests vary.
struct Line {
    std::string id = "4711";
    std::string white = "anna";
    std::string black = "guest42";
    std::string type;
    std::string status = "b";
    std::string statusText;
    std::string moveTime = "3";
    std::string unit = "d";
    std::string drawOffer;
    std::string flags = "1,0,1,1,1";
    std::string texts = "5,12";

    std::string Text() const {
        return "game: " + id + "," + white + "," + black + "," + type + "," + status + "," +
               statusText + "," + moveTime + "," + unit + ",05Dec26153012,08Dec26000000," +
               drawOffer + "," + flags + "," + texts + "\r";
    }
};

// A logged-in guest42 with the game window open.
struct Fixture : FakeController {
    Fixture() {
        // The chat is asked for with every game otherwise.
        setup->prefs.ShowChat = false;
        LoginAsGuest();
        setup->gameWindow().Show();
        TakeSent();
    }
    // The game's messages as the server sends them.
    void Game(const Line& line, const std::string& board = "e1wke8bk",
              const std::vector<std::string>& log = {}) {
        std::string text = "board: " + board + "\rmovelog:\r";
        for (const std::string& entry : log) {
            text += entry + "\r";
        }
        socket.Receive(text + ".\r" + line.Text());
    }
    const GameWindowState& State() { return gameWindowView.state; }
    const CellState& Cell(const std::string& square) {
        return State()
            .cells[static_cast<std::size_t>(SquareToIndex(square, setup->game.Orientation))];
    }
    int CellOf(const std::string& square) { return SquareToIndex(square, setup->game.Orientation); }
};

TEST(GameDerived, ColourOpponentAndWhoseMove) {
    struct Row {
        const char* name;
        std::string white, black, status, qvid;
        std::string colour, opponent;
        bool local, myMove;
    };
    const std::vector<Row> rows = {
        {"user plays black", "anna", "Bob", "b", "bob", "b", "anna", false, true},
        {"user plays white", "Anna", "bob", "b", "ANNA", "w", "bob", false, false},
        {"neither player counts as white", "anna", "bob", "w", "carl", "w", "bob", false, true},
        {"local game: the side to move", "zoe", "ZOE", "b", "zoe", "b", "ZOE", true, true},
        {"local game ended", "zoe", "zoe", "ew", "zoe", "w", "zoe", true, false},
        {"ended game is nobody's move", "anna", "bob", "eb", "bob", "b", "anna", false, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        GameFields g;
        g.WhitePlayer = r.white;
        g.BlackPlayer = r.black;
        g.GameStatus = r.status;
        EXPECT_EQ(IsLocalGame(g), r.local);
        EXPECT_EQ(MyColour(g, r.qvid), r.colour);
        EXPECT_EQ(Opponent(g, r.qvid), r.opponent);
        EXPECT_EQ(IsMyMove(g, r.qvid), r.myMove);
    }
}

TEST(GameDerived, PiecesSquaresAndCaptures) {
    const std::vector<std::pair<std::string, int>> images = {
        {"wk", 0},  {"wq", 1}, {"wr", 2}, {"wb", 3}, {"wn", 4}, {"wp", 5}, {"bk", 6},
        {"bp", 11}, {"bx", 6}, {"xq", 1}, {"", 0},   {"b", 6},  {"bn", 10}};
    for (const auto& [code, index] : images) {
        EXPECT_EQ(PieceImageIndex(code), index) << code;
    }
    EXPECT_EQ(PieceOn("a1wbb2wp", "b2"), "wp");
    EXPECT_EQ(PieceOn("a1wbb2wp", "c3"), "");
    EXPECT_EQ(PieceOn("a1wbb2w", "b2"), "") << "a group cut short at the end";
    EXPECT_EQ(PieceOn("a1wb", ""), "");
    EXPECT_EQ(CapturedPiece("wpe4d5xbp exd5"), "bp");
    EXPECT_EQ(CapturedPiece("wpe4d5xBQ"), "bq");
    EXPECT_EQ(CapturedPiece("wpe4d5x"), "") << "seven characters: no capture";
    EXPECT_EQ(CapturedPiece("wke1g1 O-O"), "");
    EXPECT_EQ(CapturedPiece("wpe2e4 e4"), "");
    EXPECT_EQ(CapturedPiece(""), "");
    EXPECT_EQ(SquareToIndex("e2", "w"), 52);
    EXPECT_EQ(SquareToIndex("e2", "b"), 11);
    EXPECT_EQ(IndexToSquare(64, "w"), "");
}

TEST(GameWindowRefresh, CaptionMoveAndOutcomeTable) {
    struct Row {
        const char* name;
        Line line;
        std::string caption, moveText;
        Rgb moveColour;
        bool light;
        Rgb statusColour;
        std::string moveByCaption, timeLeftCaption, timeLeftText;
        bool resign;
    };
    auto with = [](auto change) {
        Line l;
        change(l);
        return l;
    };
    const std::vector<Row> rows = {
        {"my move", Line{}, "Quorvel Chess - Game 4711 - anna vs. guest42 (Standard Chess)",
         "Your move", kGreen, true, kRed, "Move must be made by:", "Time remaining:", "", true},
        {"opponent's move", with([](Line& l) { l.status = "w"; }),
         "Quorvel Chess - Game 4711 - anna vs. guest42 (Standard Chess)", "anna's move", kRed,
         false, kGreen, "Move must be made by:", "Time remaining:", "", true},
        {"opponent ending in s", with([](Line& l) { l.status = "w", l.white = "james"; }),
         "Quorvel Chess - Game 4711 - james vs. guest42 (Standard Chess)", "james' move", kRed,
         false, kGreen, "Move must be made by:", "Time remaining:", "", true},
        {"local game, black to move",
         with([](Line& l) { l.white = "guest42", l.black = "GUEST42", l.type = "Chess960"; }),
         "Quorvel Chess - Game 4711 - Local Game (Chess960)", "Black's move", kGreen, true, kRed,
         "Move must be made by:", "Time remaining:", "", true},
        {"local game ended, black won",
         with([](Line& l) { l.white = l.black = "guest42", l.status = "eb"; }),
         "Quorvel Chess - Game 4711 - Local Game (Standard Chess) - Ended", "Game has ended", kRed,
         false, kGreen, "Game ended:", "Outcome:", "Black won", false},
        {"I won as black", with([](Line& l) { l.status = "eb"; }),
         "Quorvel Chess - Game 4711 - anna vs. guest42 (Standard Chess) - ended", "Game has ended",
         kRed, false, kGreen, "Game ended:", "Outcome:", "You won", false},
        {"I lost", with([](Line& l) { l.status = "ew"; }),
         "Quorvel Chess - Game 4711 - anna vs. guest42 (Standard Chess) - ended", "Game has ended",
         kRed, false, kRed, "Game ended:", "Outcome:", "You lost", false},
        {"drawn", with([](Line& l) { l.status = "es"; }),
         "Quorvel Chess - Game 4711 - anna vs. guest42 (Standard Chess) - ended", "Game has ended",
         kRed, false, kYellow, "Game ended:", "Outcome:", "Draw", false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        f.Game(r.line);
        const GameWindowState& s = f.State();
        EXPECT_EQ(s.caption, r.caption);
        EXPECT_EQ(s.moveText, r.moveText);
        EXPECT_EQ(s.moveColour, r.moveColour);
        EXPECT_EQ(s.moveLightGreen, r.light);
        EXPECT_EQ(s.statusColour, r.statusColour);
        EXPECT_EQ(s.moveByCaption, r.moveByCaption);
        EXPECT_EQ(s.timeLeftCaption, r.timeLeftCaption);
        EXPECT_EQ(s.timeLeftText, r.timeLeftText);
        EXPECT_EQ(s.resignEnabled, r.resign);
        EXPECT_EQ(s.offerDrawEnabled, r.resign);
    }
}

TEST(GameWindowRefresh, TextsTable) {
    struct Row {
        const char* name;
        std::string statusText, moveTime, unit;
        std::string shownStatus, shownTime;
    };
    const std::vector<Row> rows = {
        {"agreed draw keeps a trailing blank", "Agreed Draw", "1", "h", "AGREED DRAW ", "1 hour"},
        {"check", "check", "2", "d", "CHECK", "2 days"},
        {"minutes stay plural", "", "1", "n", "", "1 minutes"},
        {"thirty minutes", "", "30", "n", "", "30 minutes"},
        {"an unknown unit is weeks", "", "1", "x", "", "1 week"},
        {"accented capitals",
         "\xe9"
         "chec",
         "3", "w",
         "\xc9"
         "CHEC",
         "3 weeks"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        Line l;
        l.statusText = r.statusText;
        l.moveTime = r.moveTime;
        l.unit = r.unit;
        f.Game(l);
        EXPECT_EQ(f.State().statusText, r.shownStatus);
        EXPECT_EQ(f.State().moveTimeText, r.shownTime);
    }
    Fixture f;
    f.setup->counters.TimeDiff = 3600;
    f.Game(Line{});
    EXPECT_EQ(f.State().startedText, "2026-12-05 16:30:12");
    EXPECT_EQ(f.State().moveByText, "2026-12-08 01:00:00");
    EXPECT_EQ(f.State().textsText, "SMS Credits:     Free: 5     Purchased: 12");
    EXPECT_TRUE(f.State().emailMe);
    EXPECT_FALSE(f.State().textMe);
    f.setup->prefs.MyTime = false;
    f.Game(Line{});
    EXPECT_EQ(f.State().startedText, "2026-12-05 15:30:12") << "as the server sent it";
    EXPECT_EQ(f.State().moveByText, "2026-12-08") << "midnight shows the date alone";
}

TEST(GameWindowRefresh, DrawOfferTable) {
    struct Row {
        const char* name;
        std::string white, black, status, offer;
        std::string text;
        Rgb colour;
        std::string caption;
    };
    const std::vector<Row> rows = {
        {"no offer", "anna", "guest42", "b", "", "", kWindowText, "Offer &Draw"},
        {"mine", "anna", "guest42", "w", "b", "You have offered a draw", kWindowText,
         "Cancel &Offer"},
        {"the opponent's", "anna", "guest42", "b", "w", "Opponent has offered a draw", kGreen,
         "Accept &Draw"},
        {"ended game", "anna", "guest42", "ew", "w", "", kGreen, "Offer &Draw"},
        {"local game", "guest42", "guest42", "w", "w", "", kWindowText, "&Draw"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Fixture f;
        Line l;
        l.white = r.white;
        l.black = r.black;
        l.status = r.status;
        l.drawOffer = r.offer;
        f.Game(l);
        EXPECT_EQ(f.State().drawOfferedText, r.text);
        if (!r.text.empty()) {
            EXPECT_EQ(f.State().drawOfferedColour, r.colour);
        }
        EXPECT_EQ(f.State().offerDrawCaption, r.caption);
    }
}

TEST(GameWindowRefresh, BoardFromTheUsersSideWithLabelsAndFixedCellColours) {
    Fixture f;
    f.Game(Line{}, "e1wke8bka8br");
    EXPECT_EQ(f.setup->game.Orientation, "b") << "guest42 plays black";
    const GameWindowState& s = f.State();
    EXPECT_EQ(s.colLabels, (std::array<std::string, 8>{"H", "G", "F", "E", "D", "C", "B", "A"}));
    EXPECT_EQ(s.rowLabels, (std::array<std::string, 8>{"8", "7", "6", "5", "4", "3", "2", "1"}));
    EXPECT_EQ(s.cells[0].fill, kLightCell) << "h1 is light in this orientation";
    EXPECT_EQ(s.cells[1].fill, kDarkCell);
    EXPECT_EQ(s.cells[8].fill, kDarkCell);
    EXPECT_EQ(f.Cell("a8").piece, 8);  // black rook
    EXPECT_EQ(f.Cell("e1").piece, 0);
    EXPECT_EQ(f.Cell("d4").piece, -1);
    EXPECT_TRUE(f.Cell("e8").hand) << "my piece, my move";
    EXPECT_FALSE(f.Cell("e1").hand);

    f.setup->gameWindow().FlipBoard();
    EXPECT_EQ(f.State().colLabels[0], "A");
    EXPECT_EQ(f.State().rowLabels[0], "1");
    EXPECT_EQ(f.State().cells[0].fill, kLightCell) << "a8 is light too";
    EXPECT_EQ(f.State().cells[0].piece, 8);
    f.setup->gameWindow().FlipBoard();
    EXPECT_EQ(f.setup->game.Orientation, "b") << "twice is back where it was";
    f.setup->game.Orientation.clear();
    f.setup->gameWindow().FlipBoard();
    EXPECT_EQ(f.setup->game.Orientation, "w") << "undecided flips to white at the bottom";
}

TEST(GameWindowRefresh, HighlightsOverrideInOrder) {
    Fixture f;
    // Three half-moves, n = 2: entry 1 (black's) is the next-to-last move,
    // entry 2 (white's) the last.
    const std::vector<std::string> log = {"wpe2e4 e4", "bpe7e5 e5", "wng1f3 Nf3"};
    Line l;
    l.status = "b";
    f.Game(l, "e1wke8bke5bpe4wpf3wnd7bp", log);
    f.setup->game.Selected = "d7";
    f.socket.Receive("canmove: d6d5e5\r");
    const auto& e7 = f.Cell("e7");
    EXPECT_EQ(e7.border, kBlack) << "next to last: black's move, black frame";
    EXPECT_EQ(e7.borderWidth, 3);
    EXPECT_EQ(f.Cell("g1").border, kWhite) << "last: white's move, white frame";
    EXPECT_EQ(f.Cell("f3").border, kWhite);
    EXPECT_EQ(f.Cell("d6").border, kYellow) << "a possible move";
    EXPECT_EQ(f.Cell("d6").borderWidth, 3);
    EXPECT_TRUE(f.Cell("d6").hand);
    EXPECT_EQ(f.Cell("e5").border, kYellow) << "a possible move wins over the last move";
    EXPECT_EQ(f.Cell("d7").border, kSelectionFrame) << "the selection wins over all";
    EXPECT_EQ(f.Cell("d7").borderWidth, 4);
    EXPECT_EQ(f.Cell("a1").border, f.Cell("a1").fill);
    EXPECT_EQ(f.Cell("a1").borderWidth, 0);

    // Switched off, the frames go; the selection stays.
    f.TakeSent();
    f.setup->gameWindow().SetShowLast(1, false);
    f.setup->gameWindow().SetShowLast(2, false);
    f.setup->gameWindow().SetShowPoss(false);
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 showlast1 0\r", "guest42 showlast2 0\r",
                                        "guest42 showposs 0\r"}));
    EXPECT_EQ(f.Cell("g1").borderWidth, 0);
    EXPECT_EQ(f.Cell("e7").borderWidth, 0);
    EXPECT_EQ(f.Cell("d6").borderWidth, 0);
    EXPECT_TRUE(f.Cell("d6").hand);
    EXPECT_EQ(f.Cell("d7").borderWidth, 4);
    EXPECT_FALSE(f.State().showLast1);

    // Not my move: no possible moves, no selection frame, no hand.
    l.status = "w";
    f.Game(l, "e1wke8bk", log);
    EXPECT_EQ(f.Cell("d7").borderWidth, 0);
    EXPECT_FALSE(f.Cell("e8").hand);
}

TEST(GameWindowRefresh, MoveLogRowsAndTakenPieces) {
    Fixture f;
    f.Game(Line{});
    ASSERT_EQ(f.State().moveLog.size(), 1u) << "no moves: one empty row";
    EXPECT_EQ(f.State().moveLog[0], (std::array<std::string, 2>{"", ""}));
    EXPECT_EQ(f.State().moveLogHeading, (std::array<std::string, 2>{"anna", "guest42"}));
    for (const TakenState& t : f.State().taken) {
        EXPECT_EQ(t.piece, -1);
    }

    // guest42 plays black, so black is at the bottom: white pieces taken by
    // black fill the left strip from place 0, black ones the right from 16.
    const std::vector<std::string> log = {"wpe2e4 e4",      "bpd7d5 d5",  "wpe4d5xbp exd5",
                                          "bqd8d5xwp Qxd5", "wnb1c3 Nc3", "bqd5a2xwp Qxa2",
                                          "wra1a2xbq Rxa2"};
    f.Game(Line{}, "e1wke8bk", log);
    const GameWindowState& s = f.State();
    ASSERT_EQ(s.moveLog.size(), 4u);
    EXPECT_EQ(s.moveLog[1], (std::array<std::string, 2>{"wpe4d5xbp exd5", "bqd8d5xwp Qxd5"}));
    EXPECT_EQ(s.moveLog[3][0], "wra1a2xbq Rxa2");
    EXPECT_EQ(s.moveLog[3][1], "");
    EXPECT_EQ(s.taken[0].piece, 5) << "the first white pawn";
    EXPECT_FALSE(s.taken[0].recent);
    EXPECT_EQ(s.taken[1].piece, 5);
    EXPECT_TRUE(s.taken[1].recent) << "taken by the next-to-last half-move";
    EXPECT_EQ(s.taken[2].piece, -1);
    EXPECT_EQ(s.taken[16].piece, 11) << "the black pawn";
    EXPECT_EQ(s.taken[17].piece, 7) << "the black queen, in the last half-move";
    EXPECT_TRUE(s.taken[17].recent);
    EXPECT_FALSE(s.taken[16].recent);
    EXPECT_EQ(s.taken[18].piece, -1);

    // White at the bottom: a white pawn taken goes to the right strip.
    f.setup->gameWindow().FlipBoard();
    EXPECT_EQ(f.State().taken[16].piece, 5);
    EXPECT_EQ(f.State().taken[0].piece, 11);
}

TEST(GameWindowRefresh, MoreTakenPiecesThanAStripHoldsStayBoundedAndReconnectOnce) {
    Fixture f;
    std::vector<std::string> log;
    for (int i = 0; i < 20; ++i) {
        log.push_back("wqd1d7xbp Qxd7");  // a corrupt log: twenty black pawns taken
    }
    f.setup->ConnectTimer().SetEnabled(false);
    Line l;
    l.black = "anna";
    l.white = "guest42";
    l.status = "w";
    f.Game(l, "e1wke8bk", log);
    const GameWindowState& s = f.State();
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(s.taken[static_cast<std::size_t>(i)].piece, 11) << i;
    }
    EXPECT_EQ(s.taken[16].piece, -1) << "the other strip is not borrowed";
    EXPECT_EQ(s.caption, "Quorvel Chess - Game 4711 - guest42 vs. anna (Standard Chess)")
        << "the rest of the window is still drawn";
    EXPECT_TRUE(f.setup->ConnectTimer().Enabled()) << "a fresh copy is asked for";
    EXPECT_EQ(f.setup->ConnectTimer().Interval(), 3000);

    // The server resends the same log: no reconnecting for ever.
    f.setup->ConnectTimer().SetEnabled(false);
    f.Game(l, "e1wke8bk", log);
    f.setup->gameWindow().FlipBoard();
    EXPECT_FALSE(f.setup->ConnectTimer().Enabled());
    // A different state may try once more.
    log.push_back("bke8d8 Kd8");
    l.status = "b";
    f.Game(l, "e1wkd8bk", log);
    EXPECT_TRUE(f.setup->ConnectTimer().Enabled());
}

TEST(GameWindowRefresh, CastlingButtonsAndARefreshWhileClosedDrawsNothing) {
    Fixture f;
    f.Game(Line{});
    f.socket.Receive("canmove: e8d8ca\r");
    EXPECT_TRUE(f.State().castleA);
    EXPECT_FALSE(f.State().castleH);
    f.socket.Receive("canmove: CH\r");
    EXPECT_FALSE(f.State().castleA);
    EXPECT_TRUE(f.State().castleH);

    f.gameWindowView.left = 3000;
    f.gameWindowView.top = 450;
    f.setup->gameWindow().Unload();
    EXPECT_EQ(f.setup->prefs.GameWinX, 3000);
    EXPECT_EQ(f.setup->prefs.GameWinY, 450);
    const int renders = f.gameWindowView.renders;
    f.Game(Line{});
    EXPECT_EQ(f.gameWindowView.renders, renders);
    f.setup->gameWindow().Show();
    EXPECT_EQ(f.gameWindowView.left, 3000) << "opened where it was closed";
    f.gameWindowView.left = f.gameWindowView.top = 0;
    f.setup->gameWindow().Unload();
    EXPECT_EQ(f.setup->prefs.GameWinX, 3000) << "closed at the origin: kept";
}

TEST(MoveInput, SelectMoveAndIgnoredClicks) {
    Fixture f;
    f.Game(Line{}, "e1wke8bkd7bpd2wp");
    // Not one of my pieces, not reachable: nothing.
    f.setup->gameWindow().SelectSquare(f.CellOf("d2"));
    f.setup->gameWindow().SelectSquare(f.CellOf("a3"));
    EXPECT_TRUE(f.TakeSent().empty());
    f.setup->gameWindow().SelectSquare(f.CellOf("d7"));
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 selected 4711 d7\r"});
    EXPECT_EQ(f.setup->game.Selected, "d7");
    f.socket.Receive("canmove: d6d5\r");
    // An empty, unreachable cell keeps the selection.
    f.setup->gameWindow().SelectSquare(f.CellOf("a3"));
    EXPECT_EQ(f.setup->game.Selected, "d7");
    EXPECT_TRUE(f.TakeSent().empty());
    // Another own piece moves the selection; the same one asks again.
    f.setup->gameWindow().SelectSquare(f.CellOf("e8"));
    f.setup->gameWindow().SelectSquare(f.CellOf("e8"));
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 selected 4711 e8\r",
                                                      "guest42 selected 4711 e8\r"}));
    EXPECT_TRUE(f.setup->game.CanMove.empty());
    f.socket.Receive("canmove: d8e7\r");
    f.setup->gameWindow().SelectSquare(f.CellOf("e7"));
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 move 4711 e8e7\r"});
    EXPECT_TRUE(f.setup->game.Selected.empty());
    EXPECT_TRUE(f.setup->game.CanMove.empty());

    // A reachable square with nothing selected sends no move from nowhere.
    f.socket.Receive("canmove: d7\r");
    f.setup->gameWindow().SelectSquare(f.CellOf("d7"));
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 selected 4711 d7\r"});
    f.setup->game.Selected.clear();
    f.socket.Receive("canmove: a3\r");
    f.setup->gameWindow().SelectSquare(f.CellOf("a3"));
    EXPECT_TRUE(f.TakeSent().empty());

    // Not my move, or ended: clicks are ignored.
    for (const char* status : {"w", "eb"}) {
        Line l;
        l.status = status;
        f.Game(l, "e1wke8bkd7bp");
        f.setup->gameWindow().SelectSquare(f.CellOf("d7"));
        EXPECT_TRUE(f.TakeSent().empty()) << status;
    }
    f.setup->gameWindow().SelectSquare(-1);
    f.setup->gameWindow().SelectSquare(64);
    EXPECT_TRUE(f.TakeSent().empty());
}

TEST(MoveInput, LocalGameMovesTheSideToMove) {
    Fixture f;
    Line l;
    l.white = l.black = "guest42";
    l.status = "w";
    f.Game(l, "e1wke8bke2wpe7bp");
    f.setup->gameWindow().SelectSquare(f.CellOf("e7"));
    EXPECT_TRUE(f.TakeSent().empty()) << "black's pawn while white moves";
    f.setup->gameWindow().SelectSquare(f.CellOf("e2"));
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 selected 4711 e2\r"});
    l.status = "b";
    f.Game(l, "e1wke8bke4wpe7bp");
    f.setup->gameWindow().SelectSquare(f.CellOf("e7"));
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 selected 4711 e7\r"});
}

TEST(MoveInput, PromotionChooserAndCancel) {
    Fixture f;
    Line l;
    l.white = "guest42";
    l.black = "anna";
    l.status = "w";
    f.Game(l, "e1wke8bkd7wp");
    f.setup->gameWindow().SelectSquare(f.CellOf("d7"));
    f.socket.Receive("canmove: c8pd8p\r");
    f.TakeSent();
    f.setup->gameWindow().SelectSquare(f.CellOf("d8"));
    EXPECT_TRUE(f.TakeSent().empty()) << "nothing goes out until a piece is chosen";
    const PromotionState& p = f.State().promotion;
    EXPECT_TRUE(p.open);
    EXPECT_EQ(p.pieces, (std::array<int, 4>{1, 2, 3, 4})) << "white queen, rook, bishop, knight";
    // The board is modal to the chooser.
    f.setup->gameWindow().SelectSquare(f.CellOf("e1"));
    EXPECT_TRUE(f.TakeSent().empty());

    f.setup->gameWindow().CancelPromotion();
    EXPECT_FALSE(f.State().promotion.open);
    EXPECT_EQ(f.setup->game.Selected, "d7") << "the pawn stays selected";
    f.setup->gameWindow().SelectSquare(f.CellOf("d8"));
    EXPECT_TRUE(f.State().promotion.open) << "the square opens the choice again";
    f.setup->gameWindow().PromoteAndMove('n');
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 move 4711 d7d8n\r"});
    EXPECT_FALSE(f.State().promotion.open);
    EXPECT_TRUE(f.setup->game.PendingMove.empty());
    EXPECT_TRUE(f.setup->game.Selected.empty());
    f.setup->gameWindow().PromoteAndMove('q');
    EXPECT_TRUE(f.TakeSent().empty()) << "no chooser, no move";
}

TEST(MoveInput, AnotherGameClosesTheChooserAndForgetsTheOldSquares) {
    Fixture f;
    Line l;
    l.white = "guest42";
    l.black = "anna";
    l.status = "w";
    f.Game(l, "e1wke8bkd7wp");
    f.setup->gameWindow().SelectSquare(f.CellOf("d7"));
    f.socket.Receive("canmove: d8pe4\r");
    f.setup->gameWindow().SelectSquare(f.CellOf("d8"));
    ASSERT_TRUE(f.State().promotion.open);
    f.TakeSent();

    // An accepted request opens another game meanwhile.
    l.id = "4800";
    f.Game(l, "e1wke8bka2wp");
    EXPECT_FALSE(f.State().promotion.open);
    EXPECT_TRUE(f.setup->game.PendingMove.empty());
    EXPECT_TRUE(f.setup->game.CanMove.empty());
    EXPECT_TRUE(f.setup->game.Selected.empty());
    f.setup->gameWindow().PromoteAndMove('q');
    f.setup->gameWindow().SelectSquare(f.CellOf("e4"));
    EXPECT_TRUE(f.TakeSent().empty()) << "nothing of the old game reaches the new one";
}

TEST(MoveInput, CastlingWithAndWithoutASelection) {
    Fixture f;
    f.Game(Line{}, "e8bkh8br");
    f.setup->gameWindow().SelectSquare(f.CellOf("e8"));
    f.socket.Receive("canmove: f8ch\r");
    f.TakeSent();
    f.setup->gameWindow().Castle('h');
    f.setup->gameWindow().Castle('a');
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 move 4711 e8ch\r", "guest42 move 4711 ca\r"}));
    EXPECT_TRUE(f.setup->game.Selected.empty());
}

TEST(GameActions, ConfirmationsAndCommands) {
    using platform::MessageAnswer;
    Fixture f;
    f.Game(Line{});
    f.dialogs.answers = {MessageAnswer::No, MessageAnswer::Yes};
    f.setup->gameWindow().ResignClick();
    f.setup->gameWindow().ResignClick();
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 resign 4711\r"});
    EXPECT_EQ(f.dialogs.boxes.back().text, "Are you sure you want to resign?");

    struct Row {
        const char* name;
        std::string white, black, offer;
        std::string question, command;
    };
    const std::vector<Row> rows = {
        {"offer", "anna", "guest42", "", "Are you sure you want to offer a draw?",
         "guest42 offerdraw 4711\r"},
        {"accept", "anna", "guest42", "w", "Are you sure you want to accept the draw offer?",
         "guest42 acceptdraw 4711\r"},
        {"withdraw at once", "anna", "guest42", "b", "", "guest42 canceldraw 4711\r"},
        {"local draw", "guest42", "guest42", "", "Are you sure you want to call it a draw?",
         "guest42 acceptdraw 4711\r"},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        Line l;
        l.white = r.white;
        l.black = r.black;
        l.drawOffer = r.offer;
        f.Game(l);
        f.TakeSent();
        f.dialogs.boxes.clear();
        f.dialogs.answers = {MessageAnswer::Yes};
        f.setup->gameWindow().OfferDrawClick();
        EXPECT_EQ(f.TakeSent(), std::vector<std::string>{r.command});
        if (r.question.empty()) {
            EXPECT_TRUE(f.dialogs.boxes.empty());
        } else {
            ASSERT_EQ(f.dialogs.boxes.size(), 1u);
            EXPECT_EQ(f.dialogs.boxes[0].text, r.question);
        }
    }
    f.dialogs.answers = {MessageAnswer::No};
    f.Game(Line{});
    f.TakeSent();
    f.setup->gameWindow().OfferDrawClick();
    EXPECT_TRUE(f.TakeSent().empty()) << "No goes no further";

    f.setup->gameWindow().SetEmailMe(false);
    f.setup->gameWindow().SetTextMe(true);
    f.setup->gameWindow().BuyTexts();
    EXPECT_EQ(f.TakeSent(),
              (std::vector<std::string>{"guest42 emailme 4711 0\r", "guest42 textme 4711 1\r"}));
    EXPECT_EQ(f.shell.Urls().back(), "http://games.example/buytexts.html");
}

TEST(GameWindowOpening, BeforeAnyGameAnEmptyBoardUnderTheDesignCaption) {
    FakeController f;
    f.setup->gameWindow().Show();
    const GameWindowState& s = f.gameWindowView.state;
    EXPECT_EQ(s.caption, "Quorvel Chess - Game");
    EXPECT_TRUE(s.moveText.empty());
    EXPECT_FALSE(s.resignEnabled);
    EXPECT_EQ(s.cells[0].fill, kLightCell);
    EXPECT_EQ(s.cells[63].fill, kLightCell);
    EXPECT_EQ(s.cells[1].piece, -1);
    EXPECT_EQ(s.colLabels[0], "A");
    f.setup->gameWindow().SelectSquare(52);
    f.setup->gameWindow().Castle('h');
    EXPECT_TRUE(f.TakeSent().empty()) << "no game, no commands";
}

TEST(GameWindowOpening, ViewGameOpensTheWindowAndAsksForTheGame) {
    FakeController f;
    f.setup->prefs.ShowChat = false;
    f.LoginAsGuest();
    f.socket.Receive("opengames:\r11,bob,,1,05Dec26153012\r12,carl,,0,05Dec26153012\r.\r");
    f.TakeSent();
    f.setup->ViewListRow("o1");
    EXPECT_TRUE(f.setup->gameWindow().IsShown());
    EXPECT_EQ(f.gameWindowView.opens, 1);
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 12\r"}));
    // Every update refreshes it by asking for the game again.
    f.socket.Receive("game: 12,guest42,carl,,w,,3,d,x,x,,0,0,1,1,1,0,0\r");
    f.TakeSent();
    f.socket.Receive("update:0,1,5,1,09Dec26120000\r");
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 12\r"}));
    f.setup->ViewGame("12");
    EXPECT_EQ(f.gameWindowView.opens, 1) << "an open window is not opened again";
}

TEST(GameWindowOpening, OnlyTheGameListsRowsAreReadAsIndexes) {
    FakeController f;
    f.setup->prefs.ShowChat = false;
    f.LoginAsGuest();
    f.setup->gameList().Show();
    f.socket.Receive(
        "opengames:\r11,bob,,1,05Dec26153012\r.\rclosedgames:\r21,carl,,04Dec26120000,w\r.\r");
    f.TakeSent();
    f.setup->ViewListRow("c0");
    f.setup->ViewListRow("o9");  // past the end: nothing
    f.setup->ViewListRow("x1");
    // An identifier from the server that looks like a row is an identifier.
    f.socket.Receive("accepted: c0\r");
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 game 21\r", "guest42 game c0\r"}));
}

TEST(TimeLeft, TextTable) {
    struct Row {
        std::int64_t seconds;
        std::string text;
    };
    const std::vector<Row> rows = {{3725, "1 hours 2 mins 5 secs"},
                                   {7200, "2 hours"},
                                   {61, "1 mins 1 secs"},
                                   {120, "2 mins"},
                                   {86399, "23 hours 59 mins 59 secs"},
                                   {0, "0:00:00"},
                                   {-5, ""}};
    for (const Row& r : rows) {
        EXPECT_EQ(TimeLeftText(1000, 1000 + r.seconds), r.text) << r.seconds;
    }
}

TEST(TimeLeft, CountsDownAndRefreshesTheLoginOnceAfterTheDeadline) {
    struct Row {
        std::int64_t left;
        std::string text;
    };
    // The deadline is 08Dec26 00:00:00 server time; the clock is set before it.
    const std::vector<Row> rows = {{86399, "23 hours 59 mins 59 secs"},
                                   {86400, "1 day"},
                                   {172799, "1 day"},
                                   {172800, "2 days"},
                                   {120, "2 mins"}};
    for (const Row& r : rows) {
        Fixture f;
        f.Game(Line{});
        f.setup->counters.TimeDiff = 0;
        const std::int64_t deadline = protocol::CivilSeconds({2026, 12, 8, 0, 0, 0});
        f.timers.SetLocalTime(protocol::CivilFromSeconds(deadline - r.left));
        f.timers.Advance(100);
        EXPECT_EQ(f.State().timeLeftText, r.text) << r.left;
    }

    Fixture f;
    f.Game(Line{});
    f.timers.SetLocalTime({2026, 12, 7, 23, 59, 59});
    f.timers.Advance(100);
    f.TakeSent();
    f.timers.SetLocalTime({2026, 12, 8, 0, 0, 1});
    f.timers.Advance(100);
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 update\r"}) << "once, at once";
    f.timers.Advance(60'000);
    for (const std::string& line : f.TakeSent()) {
        EXPECT_EQ(line.find("update"), std::string::npos) << "not again for the same deadline";
    }
    // Refused at the next login: no more logins, no more boxes.
    f.socket.Receive("!p\r");
    const std::size_t boxes = f.dialogs.boxes.size();
    f.Game(Line{}, "e1wke8bk");  // a refresh for the same game and deadline
    f.timers.Advance(30'000);
    EXPECT_EQ(f.dialogs.boxes.size(), boxes);
}

TEST(GameLayout, SizesCaptionsAndEnabledControls) {
    struct Row {
        bool log, chat;
        int width, height;
        std::string logCaption, chatCaption;
        bool highlights, chatControls, notify;
    };
    const std::vector<Row> rows = {
        {true, true, 13545, 9060, "Hide Move &Log", "Hide &Chat", true, true, true},
        {false, true, 10125, 9060, "Show Move &Log", "Hide &Chat", false, true, false},
        {true, false, 13545, 7215, "Hide Move &Log", "Show &Chat", true, false, false},
        {false, false, 10125, 7215, "Show Move &Log", "Show &Chat", false, false, false},
    };
    for (const Row& r : rows) {
        Fixture f;
        f.setup->prefs.ShowLog = r.log;
        f.setup->prefs.ShowChat = r.chat;
        f.Game(Line{});
        const GameWindowState& s = f.State();
        SCOPED_TRACE(r.logCaption + " / " + r.chatCaption);
        EXPECT_EQ(s.widthTwips, r.width);
        EXPECT_EQ(s.heightTwips, r.height);
        EXPECT_EQ(s.hideLogCaption, r.logCaption);
        EXPECT_EQ(s.hideChatCaption, r.chatCaption);
        EXPECT_EQ(s.highlightBoxesEnabled, r.highlights);
        EXPECT_EQ(s.chatEnabled, r.chatControls);
        EXPECT_EQ(s.notifyEnabled, r.notify);
    }
    Fixture f;
    f.Game(Line{});
    f.TakeSent();
    ASSERT_FALSE(f.setup->prefs.ShowChat);
    f.setup->gameWindow().HideChatClick();
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 chat 4711\r"})
        << "showing the chat asks for it again";
    f.setup->gameWindow().HideChatClick();
    EXPECT_TRUE(f.TakeSent().empty());
    f.setup->gameWindow().HideLogClick();
    EXPECT_FALSE(f.setup->prefs.ShowLog);
    EXPECT_EQ(f.State().widthTwips, 10125);
}

TEST(GameChat, ShownWhenThePanelIsAndSentWhole) {
    Fixture f;
    f.setup->prefs.ShowChat = true;
    f.Game(Line{});
    f.socket.Receive("chat:\ranna: hi\r.\r");
    EXPECT_EQ(f.State().chatText, "anna: hi\r\n");
    f.setup->gameWindow().HideChatClick();
    f.socket.Receive("chat:\ranna: hi\rbob: yo\r.\r");
    EXPECT_EQ(f.State().chatText, "anna: hi\r\n") << "folded: kept, not shown";
    f.TakeSent();
    EXPECT_TRUE(f.setup->gameWindow().SendChat("good\r\n game, 1-0\r\n"));
    EXPECT_TRUE(f.setup->gameWindow().SendChat(""));
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 chatsend 4711,good game, 1-0\r",
                                                      "guest42 chatsend 4711,\r"}));
    f.setup->Disconnect("x");
    EXPECT_FALSE(f.setup->gameWindow().SendChat("lost?")) << "not sent: the box keeps it";
}

TEST(GameActions, TheAnswerIsAboutTheGameTheBoxAskedAbout) {
    using platform::MessageAnswer;
    Fixture f;
    f.Game(Line{});
    f.TakeSent();
    // Another game arrives while the resign box is open.
    f.dialogs.answers = {MessageAnswer::Yes};
    f.dialogs.whileOpen = [&] {
        f.Game([] {
            Line l;
            l.id = "4800";
            return l;
        }());
    };
    f.setup->gameWindow().ResignClick();
    EXPECT_TRUE(f.TakeSent().empty()) << "the game asked about is gone";

    // The opponent offers a draw while the user's own offer box is open: the
    // offer the user agreed to make is sent, not an acceptance.
    Line l;
    l.id = "4800";
    f.Game(l);
    f.TakeSent();
    f.dialogs.answers = {MessageAnswer::Yes};
    f.dialogs.whileOpen = [&] {
        Line offered = l;
        offered.drawOffer = "w";
        f.Game(offered);
    };
    f.setup->gameWindow().OfferDrawClick();
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 offerdraw 4800\r"});
}

TEST(GameNavigation, ChooserNextGameAndViewNext) {
    Fixture f;
    f.socket.Receive(
        "opengames:\r10,bob,,0,05Dec26153012\r11,carl,,1,05Dec26153012\r"
        "12,guest42,,0,05Dec26153012\r13,dora,,0,05Dec26153012\r14,erik,,1,05Dec26153012\r.\r");
    Line l;
    l.id = "12";
    f.Game(l);
    EXPECT_EQ(f.State().currentGames,
              (std::vector<std::string>{"10 - vs. bob", "*11 - vs. carl", "12 - Local Game",
                                        "13 - vs. dora", "*14 - vs. erik"}));
    EXPECT_EQ(f.State().currentGameIndex, 2);
    f.TakeSent();
    f.setup->gameWindow().NextGame();
    EXPECT_EQ(f.State().currentGameIndex, 4);
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 14\r"}));
    f.setup->gameWindow().NextGame();
    EXPECT_EQ(f.State().currentGameIndex, 1);
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 11\r"}));
    // Picking the game shown fetches nothing.
    f.setup->gameWindow().DropDownClick(2);
    EXPECT_TRUE(f.TakeSent().empty());

    // ViewNext: the next list picks the waiting game, even the one shown.
    Line shown;
    shown.id = "11";
    f.Game(shown);
    f.TakeSent();
    f.setup->ViewNext();
    EXPECT_EQ(f.TakeSent(), std::vector<std::string>{"guest42 opengames\r"});
    f.socket.Receive("opengames:\r11,carl,,1,05Dec26153012\r.\r");
    EXPECT_EQ(f.TakeSent(), (std::vector<std::string>{"guest42 opengames\r", "guest42 game 11\r"}));
    EXPECT_EQ(f.setup->game.GameID, "11") << "never blanked";

    // With no open games nothing is fetched and the identifier stays.
    f.setup->ViewNext(true);
    EXPECT_TRUE(f.TakeSent().empty()) << "the double click asked for the list itself";
    f.socket.Receive("opengames:\r.\r");
    EXPECT_TRUE(f.TakeSent().empty());
    EXPECT_EQ(f.setup->game.GameID, "11");
    EXPECT_EQ(f.State().currentGames, std::vector<std::string>{""});
}

}  // namespace
}  // namespace qc::game
