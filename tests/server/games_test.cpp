#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sqlite3.h>
#include <unistd.h>

#include <cstdio>
#include <random>

#include "chess/notation.h"
#include "core_fixture.h"
#include "server/core/games.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::Field;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::chrono_literals;

const std::string kInitialBoard =
    "board: a1wrb1wnc1wbd1wqe1wkf1wbg1wnh1wra2wpb2wpc2wpd2wpe2wpf2wpg2wph2wp"
    "a7bpb7bpc7bpd7bpe7bpf7bpg7bph7bpa8brb8bnc8bbd8bqe8bkf8bbg8bnh8br";

// The 18 fields of a "game: " line.
std::vector<std::string> Fields(const std::string& line) {
    std::vector<std::string> fields;
    for (std::string_view f : Split(std::string_view(line).substr(6), ',')) {
        fields.emplace_back(f);
    }
    return fields;
}

// One kind of message out of a game's messages.
std::string Line(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines) {
        if (l.rfind(prefix, 0) == 0) {
            return l;
        }
    }
    return "(no " + prefix + ")";
}

std::vector<std::string> MoveLog(const std::vector<std::string>& lines) {
    std::vector<std::string> log;
    auto it = std::find(lines.begin(), lines.end(), "movelog:");
    if (it == lines.end()) {
        return {"(no movelog)"};
    }
    for (++it; it != lines.end() && *it != "."; ++it) {
        log.push_back(*it);
    }
    return log;
}

class GamesTest : public ThreeUserFixture {
  protected:
    // alice (white) against bob; the game's identifier.
    std::string StartGame(const std::string& type = "") {
        Send(kAlice, "alice request bob," + type + ",w,1,d,0,0,0,0");
        auto reqs = store.RequestsBy(store.FindAccount("alice")->id);
        auto lines = Send(kBob, "bob accept " + std::to_string(reqs.back().id));
        return lines.at(0).substr(std::string("accepted: ").size());
    }

    // A game from a position of our choosing, white to move.
    std::string NewGameFrom(const std::string& fen, const std::string& type = "") {
        std::string id = StartGame(type);
        store.SetStartFen(std::stoll(id), fen);
        return id;
    }

    std::vector<std::string> View(const Endpoint& who, const std::string& name,
                                  const std::string& id) {
        return Send(who, name + " game " + id);
    }

    // Moves, and checks that the move was taken.
    std::vector<std::string> Move(const Endpoint& who, const std::string& name,
                                  const std::string& id, const std::string& move) {
        std::size_t before = MoveLog(View(who, name, id)).size();
        auto lines = Send(who, name + " move " + id + " " + move);
        EXPECT_EQ(MoveLog(lines).size(), before + 1) << move;
        return lines;
    }

    std::string Upd(const std::string& counts) const { return "update:" + counts + "," + Stamp(); }
};

TEST_F(GamesTest, FoolsMateWithEveryMessageExact) {
    std::string id = StartGame();
    EXPECT_THAT(View(kAlice, "alice", id),
                ElementsAre(kInitialBoard, "movelog:", ".",
                            "game: 1,alice,bob,,w,,1,d,09Dec26234500,10Dec26234500,,0,0,1,1,1,0,0",
                            "canmove: b1g1a2b2c2d2e2f2g2h2"));
    // The opponent sees the same game and nothing to move.
    EXPECT_THAT(View(kBob, "bob", id),
                ElementsAre(kInitialBoard, "movelog:", ".",
                            "game: 1,alice,bob,,w,,1,d,09Dec26234500,10Dec26234500,,0,0,1,1,1,0,0",
                            "canmove: "));
    EXPECT_THAT(Send(kAlice, "alice selected 1 g1"), ElementsAre("canmove: f3h3"));
    EXPECT_THAT(Send(kAlice, "alice selected 1 e7"), ElementsAre("canmove: "));
    EXPECT_THAT(Send(kBob, "bob selected 1 e7"), ElementsAre("canmove: "));

    now += 1min;
    auto out = Exchange(kAlice, "alice move 1 f2f3");
    EXPECT_THAT(
        LinesFor(kAlice, out),
        ElementsAre("board: a1wrb1wnc1wbd1wqe1wkf1wbg1wnh1wra2wpb2wpc2wpd2wpe2wpg2wph2wpf3wp"
                    "a7bpb7bpc7bpd7bpe7bpf7bpg7bph7bpa8brb8bnc8bbd8bqe8bkf8bbg8bnh8br",
                    "movelog:", "wpf2f3 f3", ".",
                    "game: 1,alice,bob,,b,,1,d,09Dec26234500,10Dec26234600,,0,0,1,1,1,0,0",
                    "canmove: ", Upd("0,1,5,0")));
    // The opponent learns at once that it is his move.
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,1,5,1")));
    EXPECT_THAT(LinesFor(kCarol, out), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob selected 1 e7"), ElementsAre("canmove: e5e6"));

    now += 1min;
    Move(kBob, "bob", id, "e7e5");
    now += 1min;
    Move(kAlice, "alice", id, "g2g4");
    now += 1min;
    out = Exchange(kBob, "bob move 1 d8h4");
    EXPECT_THAT(
        LinesFor(kBob, out),
        ElementsAre(
            "board: a1wrb1wnc1wbd1wqe1wkf1wbg1wnh1wra2wpb2wpc2wpd2wpe2wph2wpf3wpg4wp"
            "h4bqe5bpa7bpb7bpc7bpd7bpf7bpg7bph7bpa8brb8bnc8bbe8bkf8bbg8bnh8br",
            "movelog:", "wpf2f3 f3", "bpe7e5 e5", "wpg2g4 g4", "bqd8h4 Qh4#", ".",
            "game: 1,alice,bob,,eb,checkmate,1,d,09Dec26234500,09Dec26234900,,0,0,1,1,1,0,0",
            "canmove: ", Upd("0,0,5,0")));
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_EQ(Line(View(kAlice, "alice", id), "canmove: "), "canmove: ");

    EXPECT_THAT(Send(kAlice, "alice gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", "1,bob,Standard,09Dec26234900,Loss",
                            ".", "requestsfor:", ".", "requestsby:", "."));
    EXPECT_THAT(Send(kBob, "bob gamelist"),
                ElementsAre("opengames:", ".", "closedgames:", "1,alice,Standard,09Dec26234900,Win",
                            ".", "requestsfor:", ".", "requestsby:", "."));
    EXPECT_THAT(Send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "1,0,0,bob,v1.20", "0,1,0,alice,v1.20", "."));
}

TEST_F(GamesTest, OnlyThePlayersSeeAGame) {
    std::string id = StartGame();
    for (const std::string& line :
         {"carol game 1", "carol selected 1 e2", "carol chat 1", "carol move 1 e2e4",
          "carol resign 1", "carol offerdraw 1", "carol game 99", "carol game ", "carol game x"}) {
        EXPECT_THAT(Send(kCarol, line), IsEmpty()) << line;
    }
    EXPECT_THAT(MoveLog(View(kAlice, "alice", id)), IsEmpty());
    EXPECT_FALSE(store.FindGame(1)->ended);
}

TEST_F(GamesTest, PromotionToAKnight) {
    std::string id = NewGameFrom("r3k3/1P5p/8/8/8/8/7P/4K3 w - - 0 1");
    EXPECT_THAT(Send(kAlice, "alice selected 1 b7"), ElementsAre("canmove: a8pb8p"));
    // Without a piece, or with one a pawn cannot become, nothing happens.
    for (const char* bad : {"b7b8", "b7a8", "b7b8k", "b7b8p"}) {
        auto lines = Send(kAlice, std::string("alice move 1 ") + bad);
        EXPECT_THAT(MoveLog(lines), IsEmpty()) << bad;
        EXPECT_EQ(Line(lines, "board: "), "board: e1wkh2wpb7wph7bpa8bre8bk") << bad;
    }
    auto lines = Move(kAlice, "alice", id, "b7a8n");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wpb7a8xbr bxa8=N"));
    EXPECT_EQ(Line(lines, "board: "), "board: e1wkh2wph7bpa8wne8bk");
    EXPECT_EQ(Fields(Line(lines, "game: "))[4], "b");
}

TEST_F(GamesTest, CastlingOnBothSidesInStandardChess) {
    std::string id = NewGameFrom("r3k2r/pppppppp/8/8/8/8/PPPPPPPP/R3K2R w KQkq - 0 1");
    EXPECT_THAT(Send(kAlice, "alice selected 1 e1"), ElementsAre("canmove: d1f1cach"));
    auto lines = Move(kAlice, "alice", id, "e1ch");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wke1g1 O-O"));
    EXPECT_THAT(Line(lines, "board: "), ::testing::StartsWith("board: a1wrf1wrg1wk"));
    // Castling by side alone, as the client sends it with nothing selected.
    EXPECT_THAT(Send(kBob, "bob selected 1 e8"), ElementsAre("canmove: d8f8cach"));
    lines = Move(kBob, "bob", id, "ca");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wke1g1 O-O", "bke8c8 O-O-O"));
    EXPECT_THAT(Line(lines, "board: "), ::testing::EndsWith("c8bkd8brh8br"));
    // The rights are gone once used.
    EXPECT_THAT(Send(kAlice, "alice selected 1 g1"), ElementsAre("canmove: h1"));
    EXPECT_THAT(MoveLog(Send(kAlice, "alice move 1 g1ca")),
                ElementsAre("wke1g1 O-O", "bke8c8 O-O-O"));
}

TEST_F(GamesTest, CastlingInChess960WhereKingAndRookStayOrSwap) {
    // White's king on g1 castles h-side without moving (the rook jumps to
    // f1); black's king on f8 and rook on g8 swap places.
    std::string id = NewGameFrom("1r3kr1/pppppppp/8/8/8/8/PPPPPPPP/1R4KR w HBgb - 0 1", "Chess960");
    EXPECT_THAT(Send(kAlice, "alice selected 1 g1"), ElementsAre("canmove: f1cach"));
    auto lines = Move(kAlice, "alice", id, "g1ch");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wkg1g1 O-O"));
    EXPECT_THAT(Line(lines, "board: "), ::testing::StartsWith("board: b1wrf1wrg1wk"));
    EXPECT_EQ(Fields(Line(lines, "game: "))[3], "Chess960");

    EXPECT_THAT(Send(kBob, "bob selected 1 f8"), ElementsAre("canmove: e8cach"));
    lines = Move(kBob, "bob", id, "f8ch");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wkg1g1 O-O", "bkf8g8 O-O"));
    EXPECT_THAT(Line(lines, "board: "), ::testing::EndsWith("b8brf8brg8bk"));
}

TEST_F(GamesTest, Chess960GamesStartFromOneOfThe960) {
    for (int i = 0; i < 3; ++i) {
        std::string id = StartGame("Chess960");
        std::string board = Line(View(kAlice, "alice", id), "board: ");
        std::optional<Game> g = store.FindGame(std::stoll(id));
        ASSERT_TRUE(g);
        auto pos = chess::Position::fromFen(g->startFen, nullptr, true);
        ASSERT_TRUE(pos) << g->startFen;
        // Black's pieces mirror white's, and both kings stand between their rooks.
        for (int file = 0; file < 8; ++file) {
            chess::Piece w = pos->pieceOn(chess::makeSquare(file, 0));
            chess::Piece b = pos->pieceOn(chess::makeSquare(file, 7));
            EXPECT_EQ(chess::typeOf(w), chess::typeOf(b));
            std::string square = chess::squareName(chess::makeSquare(file, 0));
            EXPECT_NE(board.find(square + chess::pieceCode(w)), std::string::npos);
        }
        EXPECT_TRUE(pos->canCastle(chess::White, chess::ASide));
        EXPECT_TRUE(pos->canCastle(chess::Black, chess::HSide));
    }
}

TEST_F(GamesTest, EnPassant) {
    std::string id = NewGameFrom("4k3/3p4/8/4P3/8/8/8/4K3 w - - 0 1");
    Move(kAlice, "alice", id, "e1e2");
    Move(kBob, "bob", id, "d7d5");
    EXPECT_THAT(Send(kAlice, "alice selected 1 e5"), ElementsAre("canmove: d6e6"));
    auto lines = Move(kAlice, "alice", id, "e5d6");
    EXPECT_EQ(MoveLog(lines).back(), "wpe5d6xbp exd6");
    EXPECT_EQ(Line(lines, "board: "), "board: e2wkd6wpe8bk");
}

TEST_F(GamesTest, ThreefoldRepetitionDraws) {
    std::string id = StartGame();
    const char* shuffle[] = {"g1f3", "g8f6", "f3g1", "f6g8", "g1f3", "g8f6", "f3g1"};
    for (int i = 0; i < 7; ++i) {
        Move(i % 2 == 0 ? kAlice : kBob, i % 2 == 0 ? "alice" : "bob", id, shuffle[i]);
    }
    EXPECT_FALSE(store.FindGame(1)->ended);
    auto lines = Move(kBob, "bob", id, "f6g8");
    auto f = Fields(Line(lines, "game: "));
    EXPECT_EQ(f[4], "es");
    EXPECT_EQ(f[5], "draw by repetition");
    EXPECT_THAT(Send(kAlice, "alice gamelist"), Contains("1,bob,Standard,09Dec26234500,Draw"));
}

TEST_F(GamesTest, DrawOfferedCancelledOfferedAgainAndAccepted) {
    std::string id = StartGame();
    now += 1s;  // each push to bob below comes after the push interval
    auto out = Exchange(kAlice, "alice offerdraw 1");
    auto alice = LinesFor(kAlice, out);
    EXPECT_EQ(Fields(Line(alice, "game: "))[10], "w");
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,1,5,0")));
    EXPECT_EQ(Fields(Line(View(kBob, "bob", id), "game: "))[10], "w");
    // Only the one who offered can withdraw, and nobody accepts his own offer.
    EXPECT_THAT(Send(kBob, "bob canceldraw 1"), IsEmpty());
    EXPECT_THAT(Send(kAlice, "alice acceptdraw 1"), IsEmpty());
    EXPECT_EQ(store.FindGame(1)->drawOffer, 'w');

    now += 1s;
    out = Exchange(kAlice, "alice canceldraw 1");
    EXPECT_EQ(Fields(Line(LinesFor(kAlice, out), "game: "))[10], "");
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,1,5,0")));
    EXPECT_THAT(Send(kBob, "bob acceptdraw 1"), IsEmpty());

    Send(kAlice, "alice offerdraw 1");
    now += 1h;
    out = Exchange(kBob, "bob acceptdraw 1");
    auto f = Fields(Line(LinesFor(kBob, out), "game: "));
    EXPECT_EQ(f[4], "es");
    EXPECT_EQ(f[5], "agreed draw");
    EXPECT_EQ(f[9], Stamp());
    EXPECT_EQ(f[10], "");
    EXPECT_THAT(LinesFor(kBob, out), Contains(Upd("0,0,5,0")));
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(Send(kAlice, "alice offerdraw 1"), IsEmpty());
}

TEST_F(GamesTest, AnOfferLapsesWhenTheOpponentPlaysOnAndTwoOffersAgree) {
    std::string id = StartGame();
    Send(kAlice, "alice offerdraw 1");
    Move(kAlice, "alice", id, "e2e4");  // the offer stands for bob to answer
    EXPECT_EQ(store.FindGame(1)->drawOffer, 'w');
    Move(kBob, "bob", id, "e7e5");  // bob plays on: declined
    EXPECT_EQ(store.FindGame(1)->drawOffer, 0);

    Send(kBob, "bob offerdraw 1");
    auto lines = Send(kAlice, "alice offerdraw 1");
    EXPECT_EQ(Fields(Line(lines, "game: "))[5], "agreed draw");
}

TEST_F(GamesTest, ResignationEndsTheGame) {
    std::string id = StartGame();
    Move(kAlice, "alice", id, "e2e4");
    now += 1s;  // past the push interval of alice's news of the game
    auto out = Exchange(kBob, "bob resign 1");
    auto f = Fields(Line(LinesFor(kBob, out), "game: "));
    EXPECT_EQ(f[4], "ew");
    EXPECT_EQ(f[5], "black resigned");
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(Send(kBob, "bob resign 1"), IsEmpty());
    EXPECT_THAT(Send(kAlice, "alice scoreboard"),
                ElementsAre("scoreboard:", "1,0,0,alice,v1.20", "0,1,0,bob,v1.20", "."));
}

TEST_F(GamesTest, IllegalAndOutOfTurnMovesChangeNothing) {
    std::string id = StartGame();
    Move(kAlice, "alice", id, "e2e4");
    const auto before = View(kBob, "bob", id);
    struct Case {
        Endpoint who;
        std::string line;
    };
    for (const Case& c : std::vector<Case>{{kAlice, "alice move 1 d2d4"},  // out of turn
                                           {kBob, "bob move 1 e5e4"},      // no piece there
                                           {kBob, "bob move 1 d8d4"},      // blocked
                                           {kBob, "bob move 1 e2e3"},      // not his piece
                                           {kBob, "bob move 1 e6"},        // no from-square
                                           {kBob, "bob move 1 e8ch"},      // no castling now
                                           {kBob, "bob move 1 "},
                                           {kBob, "bob move 1 zz"},
                                           {kBob, "bob move 1 e7e5e5e5e5"}}) {
        auto out = Exchange(c.who, c.line);
        std::vector<std::string> reply = LinesFor(c.who, out);
        // The mover's board is put right again, and nobody else hears of it.
        EXPECT_EQ(MoveLog(reply), std::vector<std::string>{"wpe2e4 e4"}) << c.line;
        EXPECT_EQ(Line(reply, "board: "), Line(before, "board: ")) << c.line;
        EXPECT_EQ(out.size(), reply.size()) << c.line;
    }
    EXPECT_EQ(View(kBob, "bob", id), before);
    // An ended game takes no more moves.
    Send(kBob, "bob resign 1");
    auto lines = Send(kBob, "bob move 1 e7e5");
    EXPECT_THAT(MoveLog(lines), ElementsAre("wpe2e4 e4"));
    EXPECT_EQ(Fields(Line(lines, "game: "))[4], "ew");
}

TEST_F(GamesTest, TheSideToMoveLosesOnTimeOnTheServersClock) {
    std::string id = StartGame();
    now += 2h;
    Move(kAlice, "alice", id, "e2e4");  // bob must move by 11 Dec 01:45
    EXPECT_EQ(Fields(Line(View(kBob, "bob", id), "game: "))[9], "11Dec26014500");
    // Nobody needs to be connected for the game to end.
    Send(kAlice, "alice disconnect");
    now += 24h - 1s;
    EXPECT_THAT(core.Tick(now), IsEmpty());
    EXPECT_FALSE(store.FindGame(1)->ended);
    Login(kBob, "bob", "b");
    now += 1s;
    auto out = core.Tick(now);
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,0,5,0")));
    EXPECT_THAT(LinesFor(kAlice, out), IsEmpty());
    auto f = Fields(Line(View(kBob, "bob", id), "game: "));
    EXPECT_EQ(f[4], "ew");
    EXPECT_EQ(f[5], "lost on time");
    EXPECT_EQ(f[9], "11Dec26014500");
    EXPECT_THAT(core.Tick(now + 1min),
                Not(Contains(Field(&Outgoing::text, StartsWith("update:")))));
}

TEST_F(GamesTest, TheBotAnswersAtOnceAndNeverLosesOnTime) {
    Send(kAlice, "alice request Bot7,,w,1,h,0,0,0");
    now += 1min;
    auto out = Exchange(kAlice, "alice move 1 e2e4");
    auto alice = LinesFor(kAlice, out);
    // The move's answer, then the bot's move in a push that turns the tray green.
    ASSERT_GE(alice.size(), 2u);
    EXPECT_EQ(alice[alice.size() - 2], Upd("0,1,5,0"));
    EXPECT_EQ(alice.back(), Upd("0,1,5,1"));
    auto lines = View(kAlice, "alice", "1");
    EXPECT_EQ(MoveLog(lines).size(), 2u);
    EXPECT_EQ(Fields(Line(lines, "game: "))[4], "w");
    EXPECT_NE(Line(lines, "canmove: "), "canmove: ");

    // A game whose deadline passed while the bot was to move (the server was
    // down): the bot moves instead of losing.
    NewGame g;
    g.whiteId = store.FindAccount("Bot")->id;
    g.blackId = store.FindAccount("carol")->id;
    g.amount = 1;
    g.unit = "h";
    g.created = ToUnixSeconds(now - 5h);
    g.moveBy = ToUnixSeconds(now - 4h);
    g.startFen = StartFenFor("");
    std::int64_t late = store.AddGame(g);
    Send(kCarol, "carol update");  // not due for a ping
    out = core.Tick(now);
    EXPECT_THAT(LinesFor(kCarol, out), ElementsAre(Upd("0,1,5,1")));
    lines = View(kCarol, "carol", std::to_string(late));
    EXPECT_EQ(MoveLog(lines).size(), 1u);
    EXPECT_EQ(Fields(Line(lines, "game: "))[4], "b");
    // carol, unlike the bot, does lose on time.
    now += 1h;
    core.Tick(now);
    Login(kCarol, "carol", "c");
    EXPECT_EQ(Fields(Line(View(kCarol, "carol", std::to_string(late)), "game: "))[5],
              "lost on time");
    // Neither game counts on the scoreboard.
    EXPECT_THAT(Send(kCarol, "carol scoreboard"), ElementsAre("scoreboard:", "."));
}

TEST_F(GamesTest, ABotGamePlayedToTheEnd) {
    Send(kAlice, "alice request Bot,,b,1,d,0,0,0");  // the bot has white
    std::mt19937 random(7);
    for (int ply = 0; ply < 1000; ++ply) {
        std::optional<LiveGame> game;
        {
            Store::Transaction tx(store);
            game = LoadGame(store, 1);
            tx.Commit();
        }
        ASSERT_TRUE(game);
        if (game->record.ended) {
            break;
        }
        ASSERT_EQ(game->position.sideToMove(), chess::Black);
        chess::MoveList moves = game->position.legalMoves();
        chess::Move m = moves[std::uniform_int_distribution<int>(0, moves.size() - 1)(random)];
        Send(kAlice, "alice move 1 " + chess::toUci(game->position, m));
        now += 1s;
    }
    std::optional<Game> g = store.FindGame(1);
    ASSERT_TRUE(g->ended);
    auto f = Fields(Line(View(kAlice, "alice", "1"), "game: "));
    EXPECT_EQ(f[4][0], 'e');
    EXPECT_THAT(f[5], ::testing::AnyOf("checkmate", "stalemate", "draw by repetition",
                                       "draw by fifty-move rule", "draw by insufficient material"));
    EXPECT_THAT(Send(kAlice, "alice update"), ElementsAre(Upd("0,0,5,0")));
}

TEST_F(GamesTest, LocalGamesArePlayedFromBothSides) {
    auto lines = Send(kAlice, "alice request alice,,w,1,d,0,0,0");
    ASSERT_EQ(lines.at(0), "accepted: 1");
    EXPECT_EQ(Line(View(kAlice, "alice", "1"), "canmove: "), "canmove: b1g1a2b2c2d2e2f2g2h2");
    Move(kAlice, "alice", "1", "e2e4");
    lines = View(kAlice, "alice", "1");
    EXPECT_EQ(Line(lines, "canmove: "), "canmove: a7b7c7d7e7f7g7h7b8g8");
    EXPECT_THAT(Send(kAlice, "alice selected 1 e7"), ElementsAre("canmove: e5e6"));
    Move(kAlice, "alice", "1", "e7e5");
    // Offers make no sense against oneself; "acceptdraw " ends the game.
    EXPECT_THAT(Send(kAlice, "alice offerdraw 1"), IsEmpty());
    lines = Send(kAlice, "alice acceptdraw 1");
    EXPECT_EQ(Fields(Line(lines, "game: "))[4], "es");
    EXPECT_EQ(Fields(Line(lines, "game: "))[5], "agreed draw");

    // The side to move resigns; the list names the winner by colour.
    Send(kAlice, "alice request alice,,w,1,d,0,0,0");
    Move(kAlice, "alice", "2", "e2e4");
    lines = Send(kAlice, "alice resign 2");
    EXPECT_EQ(Fields(Line(lines, "game: "))[5], "black resigned");
    EXPECT_THAT(Send(kAlice, "alice gamelist"), Contains("2,alice,Standard,09Dec26234500,1"));
}

TEST_F(GamesTest, ChatBelongsToTheGamesPlayers) {
    std::string id = StartGame();
    EXPECT_THAT(Send(kAlice, "alice chat 1"), ElementsAre("chat:", "."));
    now += 1s;  // past the push interval of bob's news of the request
    auto out = Exchange(kAlice, "alice chatsend 1,hello, bob: good luck");
    EXPECT_THAT(LinesFor(kAlice, out), ElementsAre("chat:", "alice: hello, bob: good luck", "."));
    EXPECT_THAT(LinesFor(kBob, out), ElementsAre(Upd("0,1,5,0")));
    // Empty messages are not kept; a lone "." cannot end the list early.
    EXPECT_THAT(Send(kBob, "bob chatsend 1,"), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob chatsend 1,   "), IsEmpty());
    Send(kBob, "bob chatsend 1,.");
    EXPECT_THAT(Send(kCarol, "carol chatsend 1,hi"), IsEmpty());
    EXPECT_THAT(Send(kBob, "bob chat 1"),
                ElementsAre("chat:", "alice: hello, bob: good luck", "bob: .", "."));
    // A long message is cut, and only the newest messages are listed.
    Send(kBob, "bob chatsend 1," + std::string(1000, 'x'));
    EXPECT_EQ(Send(kBob, "bob chat 1").at(3), "bob: " + std::string(400, 'x'));
    for (int i = 0; i < GameService::kChatShown; ++i) {
        Send(kAlice, "alice chatsend 1,m" + std::to_string(i));
        now += 1s;  // stay within the sender's datagram allowance
    }
    auto chat = Send(kAlice, "alice chat 1");
    ASSERT_EQ(chat.size(), static_cast<std::size_t>(GameService::kChatShown) + 2);
    EXPECT_EQ(chat[1], "alice: m0");
    EXPECT_EQ(chat[chat.size() - 2], "alice: m99");
}

TEST_F(GamesTest, NotificationAndHighlightWishesAreEchoed) {
    std::string id = StartGame();
    Send(kAlice, "alice emailme 1 1");
    Send(kBob, "bob textme 1 1");
    Send(kAlice, "alice showlast1 0");
    Send(kAlice, "alice showposs 0");
    Send(kAlice, "alice showlast2 x");  // not a value: ignored
    auto f = Fields(Line(View(kAlice, "alice", id), "game: "));
    EXPECT_EQ(std::vector<std::string>(f.begin() + 11, f.end()),
              (std::vector<std::string>{"1", "0", "0", "1", "0", "0", "0"}));
    f = Fields(Line(View(kBob, "bob", id), "game: "));
    EXPECT_EQ(std::vector<std::string>(f.begin() + 11, f.end()),
              (std::vector<std::string>{"0", "1", "1", "1", "1", "0", "0"}));
    // The highlight wishes are the account's: they are the settings too.
    EXPECT_EQ(Send(kAlice, "alice getsettings").at(0), "settings: 0,1,0,0,0,0,0,0,0,5");
    Send(kAlice, "alice emailme 1 0");
    EXPECT_EQ(Fields(Line(View(kAlice, "alice", id), "game: "))[11], "0");
    // A request's own wishes carry over into its game.
    Send(kBob, "bob request carol,,b,1,d,1,1,0,0");
    Send(kCarol, "carol accept 2");
    f = Fields(Line(View(kBob, "bob", "2"), "game: "));
    EXPECT_EQ(f[2], "bob");
    EXPECT_EQ(f[11], "1");
    EXPECT_EQ(f[12], "1");
}

TEST(GamePersistenceTest, ARestartedServerContinuesEveryGame) {
    const std::string path =
        ::testing::TempDir() + "/qc-games-restart-" + std::to_string(getpid()) + ".db";
    auto removeFiles = [&] {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
    };
    removeFiles();
    Config config;
    config.utcTimestamps = true;
    TimePoint now = kStart;
    auto send = [&](ServerCore& core, const Endpoint& from, const std::string& line) {
        std::vector<std::string> lines;
        for (const Outgoing& o : core.HandleDatagram(from, line + "\r", now)) {
            if (o.to == from) {
                lines.push_back(o.text);
            }
        }
        return lines;
    };
    auto login = [&](ServerCore& core, const Endpoint& from, const std::string& name) {
        send(core, from, name + " connect v1.20 " + qc::account::Swordfish(name));
    };
    std::vector<std::string> before;
    {
        Store store(path);
        ServerCore core(store, config);
        AddNamedAccount(store, config, "alice", "alice", now);
        AddNamedAccount(store, config, "bob", "bob", now);
        login(core, kAlice, "alice");
        login(core, kBob, "bob");
        send(core, kAlice, "alice request bob,Chess960,w,2,h,0,0,0,0");
        send(core, kBob, "bob accept 1");
        send(core, kAlice, "alice move 1 e1e8");  // no piece can, behind its own pawns
        std::optional<LiveGame> game;
        {
            Store::Transaction tx(store);
            game = LoadGame(store, 1);
            tx.Commit();
        }
        ASSERT_TRUE(game);
        ASSERT_TRUE(game->moves.empty());
        for (int ply = 0; ply < 6; ++ply) {
            chess::Move m = game->position.legalMoves()[0];
            send(core, ply % 2 == 0 ? kAlice : kBob,
                 std::string(ply % 2 == 0 ? "alice" : "bob") + " move 1 " +
                     chess::toUci(game->position, m));
            game->position.makeMove(m);
            now += 1min;
        }
        send(core, kAlice, "alice offerdraw 1");
        send(core, kAlice, "alice chatsend 1,see you tomorrow");
        send(core, kBob, "bob textme 1 1");
        before = send(core, kBob, "bob game 1");
        ASSERT_EQ(MoveLog(before).size(), 6u);
    }
    now += 1h;
    Store store(path);
    ServerCore core(store, config);
    login(core, kBob, "bob");
    EXPECT_EQ(send(core, kBob, "bob game 1"), before);
    EXPECT_THAT(send(core, kBob, "bob chat 1"),
                ElementsAre("chat:", "alice: see you tomorrow", "."));
    auto lines = send(core, kBob, "bob acceptdraw 1");
    EXPECT_EQ(Fields(Line(lines, "game: "))[5], "agreed draw");
    removeFiles();
}

TEST(GameStoreTest, OlderDatabasesGainTheGameColumns) {
    const std::string path =
        ::testing::TempDir() + "/qc-games-old-" + std::to_string(getpid()) + ".db";
    auto removeFiles = [&] {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
    };
    removeFiles();
    {
        // The games table as the server first stored it, with a game in it.
        sqlite3* db = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
        const char* sql =
            "CREATE TABLE accounts(id INTEGER PRIMARY KEY AUTOINCREMENT, name TEXT NOT NULL "
            "UNIQUE COLLATE NOCASE, kind INTEGER NOT NULL, digest TEXT NOT NULL, email TEXT "
            "COLLATE NOCASE, first_name TEXT NOT NULL DEFAULT '', last_name TEXT NOT NULL "
            "DEFAULT '', referrer TEXT NOT NULL DEFAULT '', slots INTEGER NOT NULL, show_last1 "
            "INTEGER NOT NULL DEFAULT 1, show_last2 INTEGER NOT NULL DEFAULT 1, show_poss INTEGER "
            "NOT NULL DEFAULT 1, email_link INTEGER NOT NULL DEFAULT 0, text_link INTEGER NOT "
            "NULL DEFAULT 0, email_me_on_req INTEGER NOT NULL DEFAULT 0, text_me_on_req INTEGER "
            "NOT NULL DEFAULT 0, texts_free INTEGER NOT NULL DEFAULT 0, texts_purchased INTEGER "
            "NOT NULL DEFAULT 0, version TEXT NOT NULL DEFAULT '', created INTEGER NOT NULL, "
            "last_seen INTEGER NOT NULL);"
            "CREATE TABLE games(id INTEGER PRIMARY KEY AUTOINCREMENT, white_id INTEGER NOT NULL, "
            "black_id INTEGER NOT NULL, game_type TEXT NOT NULL, amount INTEGER NOT NULL, unit "
            "TEXT NOT NULL, created INTEGER NOT NULL, move_by INTEGER NOT NULL, to_move TEXT NOT "
            "NULL DEFAULT 'w', ended INTEGER NOT NULL DEFAULT 0, result TEXT NOT NULL DEFAULT "
            "'', ended_at INTEGER NOT NULL DEFAULT 0, white_removed INTEGER NOT NULL DEFAULT 0, "
            "black_removed INTEGER NOT NULL DEFAULT 0);"
            "INSERT INTO accounts(name, kind, digest, slots, created, last_seen) "
            "VALUES('alice', 0, '', 5, 0, 0), ('bob', 0, '', 5, 0, 0);"
            "INSERT INTO games(white_id, black_id, game_type, amount, unit, created, move_by) "
            "VALUES(1, 2, 'Chess960', 1, 'd', 0, 86400);";
        ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    }
    {
        Store store(path);
        Store::Transaction tx(store);
        std::optional<LiveGame> game = LoadGame(store, 1);
        ASSERT_TRUE(game);
        EXPECT_EQ(game->record.whiteName, "alice");
        EXPECT_TRUE(game->moves.empty());
        // The Chess960 game was given a start position, and keeps it.
        EXPECT_TRUE(game->position.chess960());
        EXPECT_FALSE(game->record.startFen.empty());
        tx.Commit();
        EXPECT_EQ(store.FindGame(1)->startFen, game->record.startFen);
    }
    removeFiles();
}

}  // namespace
}  // namespace qc::server::testing
