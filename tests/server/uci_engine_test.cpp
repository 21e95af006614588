// The conversation with a UCI engine, driven by scripted engine lines.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "chess/notation.h"
#include "server/core/uci_engine.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using namespace std::chrono_literals;

const TimePoint kT0 = FromUnixSeconds(1796859900);

// The engine's process as a script: what was written to it, how often it
// was started and stopped.
class ScriptedLink : public EngineLink {
  public:
    void Start() override { ++starts; }
    void Stop() override { ++stops; }
    void Write(std::string_view line) override { written.emplace_back(line); }

    // The lines written since the last call.
    std::vector<std::string> Take() {
        std::vector<std::string> lines;
        lines.swap(written);
        return lines;
    }

    int starts = 0;
    int stops = 0;
    std::vector<std::string> written;
};

// A question for the position after `moves` (in our coordinate form) from `fen`.
EngineQuestion Question(const std::string& fen, const std::vector<std::string>& moves,
                        bool chess960 = false, int level = 5, std::int64_t gameId = 7) {
    std::optional<chess::Position> start = chess::Position::fromFen(fen, nullptr, chess960);
    EXPECT_TRUE(start) << fen;
    chess::Position position = *start;
    std::string key;
    for (const std::string& text : moves) {
        chess::MoveParse parsed = chess::parseMoveCommand(position, text);
        EXPECT_TRUE(parsed.ok()) << text;
        position.makeMove(parsed.move);
        key += (key.empty() ? "" : " ") + text;
    }
    return EngineQuestion{gameId, key, level, *start, position};
}

const std::string kStandard = "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

class UciEngineTest : public ::testing::Test {
  protected:
    UciEngineTest()
        : engine(
              link, [this](EngineAnswer a) { answers.push_back(std::move(a)); },
              UciEngine::Limits{5s, 3s, 3, 60s}) {}

    // Takes the engine through the handshake and up to "go" for the question
    // at the front; returns what it wrote after readyok.
    std::vector<std::string> ToGo(bool handshake = true) {
        if (handshake) {
            EXPECT_THAT(link.Take(), ElementsAre("uci"));
            engine.OnLine("id name Scripted", now);
            engine.OnLine("option name Skill Level type spin default 20 min 0 max 20", now);
            engine.OnLine("uciok", now);
        }
        prepared = link.Take();
        EXPECT_THAT(prepared, Contains("isready"));
        engine.OnLine("readyok\r\n", now);
        return link.Take();
    }

    ScriptedLink link;
    std::vector<EngineAnswer> answers;
    std::vector<std::string> prepared;  // by ToGo, up to isready
    UciEngine engine;
    TimePoint now = kT0;
};

TEST_F(UciEngineTest, HandshakeOptionsPositionAndMove) {
    engine.Ask(Question(kStandard, {"e2e4", "e7e5"}), now);
    EXPECT_EQ(link.starts, 1);
    ASSERT_THAT(link.Take(), ElementsAre("uci"));
    engine.OnLine("id name Scripted", now);
    EXPECT_THAT(link.Take(), IsEmpty()) << "nothing is sent before uciok";
    engine.OnLine("uciok", now);
    EXPECT_THAT(link.Take(),
                ElementsAre("setoption name UCI_Chess960 value false",
                            "setoption name Skill Level value 8", "ucinewgame", "isready"));
    engine.OnLine("bestmove a2a3", now);  // not asked yet: ignored
    engine.OnLine("readyok", now);
    EXPECT_THAT(link.Take(), ElementsAre("position fen " + kStandard + " moves e2e4 e7e5",
                                         "go depth 9 movetime 300"));
    engine.OnLine("info depth 1 score cp 20 pv g1f3", now);
    EXPECT_THAT(answers, IsEmpty());
    engine.OnLine("bestmove g1f3 ponder b8c6", now);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_EQ(answers[0].gameId, 7);
    EXPECT_EQ(answers[0].movesKey, "e2e4 e7e5");
    EXPECT_EQ(answers[0].score, 20);
    ASSERT_TRUE(answers[0].move);
    EXPECT_EQ(chess::toUci(Question(kStandard, {"e2e4", "e7e5"}).position, *answers[0].move),
              "g1f3");

    // The same game again: only what changed is sent, and the engine keeps
    // what it learnt of the game.
    engine.Ask(Question(kStandard, {"e2e4", "e7e5", "g1f3", "b8c6"}), now);
    EXPECT_THAT(link.Take(), ElementsAre("isready"));
    engine.OnLine("readyok", now);
    link.Take();
    engine.OnLine("bestmove f1b5", now);
    EXPECT_FALSE(answers[1].score) << "an engine that gave no score judged nothing";

    // Another game at full strength: a new game, its level, and no depth limit.
    engine.Ask(Question(kStandard, {}, false, 10, 9), now);
    EXPECT_EQ(link.starts, 1);
    EXPECT_THAT(link.Take(),
                ElementsAre("setoption name Skill Level value 20", "ucinewgame", "isready"));
    engine.OnLine("readyok", now);
    EXPECT_THAT(link.Take(), ElementsAre("position fen " + kStandard, "go movetime 1000"));
    engine.OnLine("bestmove e2e4", now);
    ASSERT_EQ(answers.size(), 3u);
    EXPECT_EQ(answers[2].gameId, 9);
    EXPECT_EQ(link.stops, 0);
}

// The judgement of the position is the best line's last exact score; mates
// count beyond every material score, nearer mates more.
TEST_F(UciEngineTest, TheAnswerCarriesTheBestLinesScore) {
    struct Case {
        std::vector<std::string> info;
        std::optional<int> score;
    };
    const Case cases[] = {
        {{"info depth 3 multipv 1 score cp 40 pv e2e4", "info depth 3 multipv 2 score cp 90"}, 40},
        {{"info depth 4 score cp -35", "info depth 5 score cp 12 lowerbound"}, -35},
        {{"info depth 9 score mate 3 pv d1h5"}, EngineAnswer::kMateScore - 3},
        {{"info depth 9 score mate -2"}, -EngineAnswer::kMateScore + 2},
        {{"info depth 2 score cp", "info string score cp 7x", "info score cp 99999999999"},
         std::nullopt},
        {{"info depth 2 score cp 5", "info nodes 100 nps 1000"}, 5},
    };
    bool first = true;
    for (const Case& c : cases) {
        engine.Ask(Question(kStandard, {}, false, 3, &c - cases), now);
        ToGo(first);
        first = false;
        for (const std::string& line : c.info) {
            engine.OnLine(line, now);
        }
        engine.OnLine("bestmove e2e4", now);
        ASSERT_FALSE(answers.empty());
        EXPECT_EQ(answers.back().score, c.score) << c.info.front();
    }
}

// A pool hands each question to the available engine with the fewest
// waiting; while every engine rests, the question still gets its answer.
TEST(EnginePoolTest, QuestionsGoWhereFewestWait) {
    struct Counting : BotEngine {
        bool Available(TimePoint now) const override { return !restsUntil || now >= *restsUntil; }
        void Ask(EngineQuestion q, TimePoint) override { asked.push_back(q.gameId); }
        std::size_t Waiting() const override { return asked.size(); }
        std::vector<std::int64_t> asked;
        std::optional<TimePoint> restsUntil;
    } a, b;
    EnginePool pool;
    pool.Add(a);
    pool.Add(b);
    for (std::int64_t id = 1; id <= 4; ++id) {
        pool.Ask(EngineQuestion{id, "", 1, {}, {}}, kT0);
    }
    EXPECT_THAT(a.asked, ElementsAre(1, 3));
    EXPECT_THAT(b.asked, ElementsAre(2, 4));
    EXPECT_EQ(pool.Waiting(), 4u);
    a.restsUntil = kT0 + 60s;
    pool.Ask(EngineQuestion{5, "", 1, {}, {}}, kT0);
    EXPECT_THAT(b.asked, ElementsAre(2, 4, 5));
    b.restsUntil = kT0 + 60s;
    EXPECT_FALSE(pool.Available(kT0));
    EXPECT_TRUE(pool.Available(kT0 + 60s));
}

TEST_F(UciEngineTest, QuestionsAskedWhileThinkingWaitTheirTurn) {
    engine.Ask(Question(kStandard, {}, false, 1, 1), now);
    engine.Ask(Question(kStandard, {"d2d4"}, false, 2, 2), now);
    EXPECT_EQ(engine.Waiting(), 2u);
    ToGo();
    engine.OnLine("bestmove e2e4", now);
    EXPECT_THAT(link.Take(), Contains("isready"));
    engine.OnLine("readyok", now);
    EXPECT_THAT(link.Take(), Contains("position fen " + kStandard + " moves d2d4"));
    engine.OnLine("bestmove d7d5", now);
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers[0].gameId, 1);
    EXPECT_EQ(answers[1].gameId, 2);
    EXPECT_TRUE(answers[1].move);
}

TEST(EngineLevels, StrengthAndThinkTimeGrowWithTheLevel) {
    for (int level = 1; level <= 10; ++level) {
        const EngineLevel here = EngineLevelFor(level);
        EXPECT_GT(here.moveTimeMs, 0) << level;
        EXPECT_LE(here.moveTimeMs, 1000) << level;
        if (level == 1) {
            continue;
        }
        const EngineLevel below = EngineLevelFor(level - 1);
        EXPECT_GE(here.moveTimeMs, below.moveTimeMs) << level;
        EXPECT_GT(here.skill, below.skill) << level;
    }
    EXPECT_EQ(EngineLevelFor(10).skill, 20);
    EXPECT_EQ(EngineLevelFor(10).moveTimeMs, 1000);
}

// Castling in the engine's notation: the king's two-square move in standard
// chess, the king taking its own rook in Chess960, both in the moves sent
// and in the engine's answer.
TEST_F(UciEngineTest, CastlingRoundTripsInStandardChessAndChess960) {
    struct Case {
        std::string fen;
        bool chess960;
        std::vector<std::string> moves;  // as the players sent them
        std::string fenSent;
        std::string movesSent;
        std::string best;
        std::string king;  // after the engine's move
        std::string rook;
    };
    const Case cases[] = {
        {"r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
         false,
         {"h1h2", "e8ch"},
         "r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1",
         " moves h1h2 e8g8",
         "e1c1",
         "c1",
         "d1"},
        {"1r2k2r/8/8/8/8/8/8/1R2K2R w HBhb - 0 1",
         true,
         {"h1h2", "e8h8"},
         "1r2k2r/8/8/8/8/8/8/1R2K2R w HBhb - 0 1",
         " moves h1h2 e8h8",
         "e1b1",
         "c1",
         "d1"},
        // King and rook next to each other: king to g1 onto the rook's square.
        {"7k/8/8/8/8/8/8/RK4R1 w GA - 0 1",
         true,
         {},
         "7k/8/8/8/8/8/8/RK4R1 w GA - 0 1",
         "",
         "b1g1",
         "g1",
         "f1"},
        // The standard set-up played as Chess960: Shredder letters, king takes rook.
        {kStandard,
         true,
         {"g1f3", "g8f6", "g2g3", "g7g6", "f1g2", "f8g7"},
         "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w HAha - 0 1",
         " moves g1f3 g8f6 g2g3 g7g6 f1g2 f8g7",
         "e1h1",
         "g1",
         "f1"},
    };
    std::int64_t id = 0;
    std::string mode;  // the engine's Chess960 option, as last sent
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        EngineQuestion q = Question(c.fen, c.moves, c.chess960, 3, ++id);
        engine.Ask(q, now);
        std::vector<std::string> sent = ToGo(id == 1);
        for (const std::string& line : prepared) {
            if (line.rfind("setoption name UCI_Chess960 value ", 0) == 0) {
                mode = line.substr(line.rfind(' ') + 1);
            }
        }
        EXPECT_EQ(mode, c.chess960 ? "true" : "false");
        ASSERT_EQ(sent.size(), 2u);
        EXPECT_EQ(sent[0], "position fen " + c.fenSent + c.movesSent);
        engine.OnLine("bestmove " + c.best, now);
        ASSERT_EQ(answers.size(), static_cast<std::size_t>(id));
        ASSERT_TRUE(answers.back().move);
        EXPECT_EQ(answers.back().move->kind(), chess::Move::Castling);
        chess::Position after = q.position;
        after.makeMove(*answers.back().move);
        EXPECT_EQ(after.pieceOn(*chess::parseSquare(c.king)),
                  chess::makePiece(chess::White, chess::King));
        EXPECT_EQ(after.pieceOn(*chess::parseSquare(c.rook)),
                  chess::makePiece(chess::White, chess::Rook));
    }
}

TEST_F(UciEngineTest, AnAnswerThatIsNoLegalMoveRestartsTheEngine) {
    const std::string notLegal[] = {"bestmove e2e5", "bestmove e7e5", "bestmove (none)",
                                    "bestmove",      "bestmove e1g1", "bestmove e2e4e5"};
    for (const std::string& line : notLegal) {
        SCOPED_TRACE(line);
        ScriptedLink fresh;
        std::vector<EngineAnswer> got;
        UciEngine e(fresh, [&](EngineAnswer a) { got.push_back(std::move(a)); });
        e.Ask(Question(kStandard, {}), now);
        e.OnLine("uciok", now);
        e.OnLine("readyok", now);
        fresh.Take();
        e.OnLine(line, now);
        EXPECT_THAT(got, IsEmpty());
        EXPECT_EQ(fresh.stops, 1);
        EXPECT_EQ(fresh.starts, 2);
        // Asked again from the start of the conversation.
        EXPECT_THAT(fresh.Take(), ElementsAre("uci"));
        e.OnLine("uciok", now);
        e.OnLine("readyok", now);
        e.OnLine("bestmove e2e4", now);
        ASSERT_EQ(got.size(), 1u);
        EXPECT_TRUE(got[0].move);
    }
}

TEST_F(UciEngineTest, SilenceIsATimeOut) {
    engine.Ask(Question(kStandard, {}, false, 5), now);
    link.Take();
    // No uciok: the reply limit.
    engine.Tick(now + 4999ms);
    EXPECT_EQ(link.starts, 1);
    engine.Tick(now + 5s);
    EXPECT_EQ(link.stops, 1);
    EXPECT_EQ(link.starts, 2);
    now += 5s;
    // No bestmove: the think time (300 ms at level 5) and the slack.
    ToGo();
    engine.Tick(now + 3299ms);
    EXPECT_EQ(link.starts, 2);
    engine.Tick(now + 3300ms);
    EXPECT_EQ(link.starts, 3);
    EXPECT_THAT(answers, IsEmpty());
    now += 3300ms;
    ToGo();
    engine.OnLine("bestmove b1c3", now);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].move);
}

TEST_F(UciEngineTest, ADeadEngineIsRestartedAndAskedAgain) {
    engine.Ask(Question(kStandard, {"e2e4"}), now);
    std::vector<std::string> first = ToGo();
    engine.OnExited(now);
    EXPECT_EQ(link.starts, 2);
    std::vector<std::string> second = ToGo();
    EXPECT_EQ(second, first);
    engine.OnLine("bestmove c7c5", now);
    ASSERT_EQ(answers.size(), 1u);
    EXPECT_TRUE(answers[0].move);

    // One that dies with nothing asked is started again for the next question.
    engine.OnExited(now);
    EXPECT_EQ(link.starts, 2);
    engine.Ask(Question(kStandard, {}), now);
    EXPECT_EQ(link.starts, 3);
    EXPECT_THAT(link.Take(), ElementsAre("uci"));
}

TEST_F(UciEngineTest, RepeatedFailureGivesNoMoveAndRests) {
    engine.Ask(Question(kStandard, {}, false, 5, 1), now);
    engine.Ask(Question(kStandard, {"e2e4"}, false, 5, 2), now);
    EXPECT_TRUE(engine.Available(now));
    engine.OnExited(now);
    engine.OnExited(now);
    EXPECT_THAT(answers, IsEmpty());
    engine.OnExited(now);
    // Both waiting games are answered at once, without a move.
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_FALSE(answers[0].move);
    EXPECT_FALSE(answers[1].move);
    EXPECT_EQ(answers[1].movesKey, "e2e4");
    EXPECT_EQ(engine.Waiting(), 0u);
    EXPECT_EQ(link.starts, 3);
    EXPECT_FALSE(engine.Available(now + 59s));
    EXPECT_TRUE(engine.Available(now + 60s));
    // A late report of the stopped process changes nothing.
    engine.OnExited(now);
    engine.Tick(now + 1h);
    EXPECT_EQ(link.starts, 3);
    EXPECT_EQ(answers.size(), 2u);
}

}  // namespace
}  // namespace qc::server::testing
