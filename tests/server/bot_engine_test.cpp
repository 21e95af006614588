// The game service with an engine for the bot's stronger levels: the move
// is asked for, and played when the answer comes if the game still waits.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "chess/notation.h"
#include "core_fixture.h"
#include "server/core/games.h"

namespace qc::server::testing {
namespace {

using ::testing::Contains;
using ::testing::IsEmpty;
using ::testing::Not;
using ::testing::StartsWith;
using namespace std::chrono_literals;

// Keeps the questions; the test answers them.
class QuestionBox : public BotEngine {
  public:
    bool Available(TimePoint) const override { return available; }
    void Ask(EngineQuestion question, TimePoint) override {
        questions.push_back(std::move(question));
    }
    std::size_t Waiting() const override { return questions.size(); }
    bool available = true;
    std::vector<EngineQuestion> questions;
};

class BotEngineTest : public ThreeUserFixture {
  protected:
    void SetUp() override {
        ThreeUserFixture::SetUp();
        core.SetBotEngine(&engine);
    }

    LiveGame Game(std::int64_t id) {
        Store::Transaction tx(store);
        std::optional<LiveGame> game = LoadGame(store, id);
        tx.Commit();
        EXPECT_TRUE(game);
        return *game;
    }

    // The question's position's move named in our coordinate form.
    static EngineAnswer AnswerWith(const EngineQuestion& q, const std::string& text,
                                   std::optional<int> score = std::nullopt) {
        chess::MoveParse parsed = chess::parseMoveCommand(q.position, text);
        EXPECT_TRUE(parsed.ok()) << text;
        return EngineAnswer{q.gameId, q.movesKey, parsed.move, score};
    }

    static bool HasUpdate(const std::vector<std::string>& lines) {
        return std::any_of(lines.begin(), lines.end(),
                           [](const std::string& l) { return l.rfind("update:", 0) == 0; });
    }

    QuestionBox engine;
};

TEST_F(BotEngineTest, TheEnginesMoveIsPlayedWhenItArrives) {
    Send(kAlice, "alice request Bot5,,w,1,d,0,0,0");
    std::vector<std::string> reply = Send(kAlice, "alice move 1 e2e4");
    ASSERT_EQ(engine.questions.size(), 1u);
    const EngineQuestion q = engine.questions[0];
    EXPECT_EQ(q.gameId, 1);
    EXPECT_EQ(q.level, 5);
    EXPECT_EQ(q.movesKey, "e2e4");
    EXPECT_EQ(q.position.sideToMove(), chess::Black);
    EXPECT_EQ(q.position.plyCount(), 1);
    EXPECT_EQ(Game(1).moves.size(), 1u) << "the bot waits for the engine";

    // Ticks while the engine thinks neither ask again nor move.
    now += 5s;
    core.Tick(now);
    EXPECT_EQ(engine.questions.size(), 1u);

    auto out = core.BotAnswer(AnswerWith(q, "c7c5"), now);
    EXPECT_TRUE(HasUpdate(LinesFor(kAlice, out)));
    LiveGame game = Game(1);
    ASSERT_EQ(game.moves.size(), 2u);
    EXPECT_EQ(game.moves[1], "c7c5");

    // The same answer again is for a position that is gone.
    EXPECT_THAT(core.BotAnswer(AnswerWith(q, "c7c5"), now), IsEmpty());
    EXPECT_EQ(Game(1).moves.size(), 2u);
}

// A draw offer is answered when the bot is to move: taken when the engine
// judges the position level (within a quarter pawn) or worse for the bot,
// declined by the engine's move otherwise; offered while the engine thinks
// or with the player's move alike.
TEST_F(BotEngineTest, TheBotTakesADrawOnlyWhenItStandsNoBetter) {
    struct Case {
        bool offerWithMove;  // else while the engine thinks
        std::optional<int> score;
        bool drawn;
    };
    const Case cases[] = {
        {true, -300, true},
        {false, 0, true},
        {true, GameService::kBotDrawMargin, true},
        {false, 26, false},
        {true, 500, false},
        {false, std::nullopt, true},  // material is level
        {true, -EngineAnswer::kMateScore + 2, true},
    };
    std::int64_t id = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "case " << id);
        Send(kAlice, "alice request Bot7,,w,1,d,0,0,0");
        const std::string game = std::to_string(++id);
        if (c.offerWithMove) {
            Send(kAlice, "alice offerdraw " + game);
        }
        Send(kAlice, "alice move " + game + " e2e4");
        if (!c.offerWithMove) {
            Send(kAlice, "alice offerdraw " + game);
        }
        ASSERT_EQ(engine.questions.size(), static_cast<std::size_t>(id));
        auto out = core.BotAnswer(AnswerWith(engine.questions.back(), "e7e5", c.score), now);
        EXPECT_TRUE(HasUpdate(LinesFor(kAlice, out)));
        LiveGame g = Game(id);
        if (c.drawn) {
            EXPECT_EQ(g.record.result, GameResult::Draw);
            EXPECT_EQ(g.record.phrase, "agreed draw");
            EXPECT_EQ(g.moves.size(), 1u);
        } else {
            EXPECT_FALSE(g.record.ended);
            EXPECT_EQ(g.moves.size(), 2u);
            EXPECT_EQ(g.record.drawOffer, 0) << "playing on declined the offer";
        }
        Send(kAlice, "alice resign " + game);
    }
}

// Level 0 has no engine and judges by material: a bot a knight down takes
// the draw, a bot a knight up plays on.
TEST_F(BotEngineTest, WithoutAnEngineTheBotJudgesByMaterial) {
    core.SetBotEngine(nullptr);
    Send(kAlice, "alice request Bot,,w,1,d,0,0,0");
    Send(kAlice, "alice offerdraw 1");
    Send(kAlice, "alice move 1 g1f3");
    EXPECT_EQ(Game(1).record.phrase, "agreed draw") << "equal material is level";

    for (auto [fen, drawn] : {std::pair("4k3/8/8/8/8/8/P7/4K3 w - - 0 1", true),
                              std::pair("4k3/p7/8/8/8/8/8/4K3 w - - 0 1", false)}) {
        Send(kAlice, "alice request Bot,,w,1,d,0,0,0");
        const std::int64_t id = Game(1).record.id + (drawn ? 1 : 2);
        {
            Store::Transaction tx(store);
            store.SetStartFen(id, fen);
            tx.Commit();
        }
        Send(kAlice, "alice offerdraw " + std::to_string(id));
        Send(kAlice, "alice move " + std::to_string(id) + " e1d1");
        EXPECT_EQ(Game(id).record.phrase, drawn ? "agreed draw" : "") << fen;
    }
}

TEST_F(BotEngineTest, AnAnswerForAGameThatMovedOnOrEndedIsDropped) {
    Send(kAlice, "alice request Bot3,,w,1,d,0,0,0");
    Send(kAlice, "alice move 1 d2d4");
    ASSERT_EQ(engine.questions.size(), 1u);
    EngineQuestion q = engine.questions[0];
    Send(kAlice, "alice resign 1");
    EXPECT_THAT(core.BotAnswer(AnswerWith(q, "d7d5"), now), IsEmpty());
    EXPECT_EQ(Game(1).moves.size(), 1u);
    // An answer naming a game that does not exist.
    q.gameId = 99;
    EXPECT_THAT(core.BotAnswer(AnswerWith(q, "d7d5"), now), IsEmpty());
}

// No move, or one that is not legal where the bot stands: the bot plays its
// own move rather than stall the game.
TEST_F(BotEngineTest, WithoutAUsableAnswerTheBotStillMoves) {
    Send(kAlice, "alice request Bot9,,w,1,d,0,0,0");
    Send(kAlice, "alice move 1 e2e4");
    ASSERT_EQ(engine.questions.size(), 1u);
    EngineQuestion q = engine.questions[0];
    auto out = core.BotAnswer(EngineAnswer{q.gameId, q.movesKey, std::nullopt, std::nullopt}, now);
    EXPECT_TRUE(HasUpdate(LinesFor(kAlice, out)));
    EXPECT_EQ(Game(1).moves.size(), 2u);

    Send(kAlice, "alice move 1 d2d4");
    ASSERT_EQ(engine.questions.size(), 2u);
    q = engine.questions[1];
    // A white move, not one of the bot's.
    const chess::Move whites = chess::parseMoveCommand(chess::Position(), "g1f3").move;
    out = core.BotAnswer(EngineAnswer{q.gameId, q.movesKey, whites, std::nullopt}, now);
    EXPECT_TRUE(HasUpdate(LinesFor(kAlice, out)));
    LiveGame game = Game(1);
    ASSERT_EQ(game.moves.size(), 4u);
    EXPECT_NE(game.moves[3], "g1f3");
    EXPECT_EQ(game.position.sideToMove(), chess::White);
}

TEST_F(BotEngineTest, UnansweredQuestionsAreAskedAgainAndLevelZeroNeedsNoEngine) {
    Send(kAlice, "alice request Bot,,w,1,d,0,0,0");
    Send(kBob, "bob request Bot2,,w,1,d,0,0,0");
    auto out = Exchange(kAlice, "alice move 1 e2e4");
    EXPECT_EQ(Game(1).moves.size(), 2u) << "level 0 answers at once";
    Send(kBob, "bob move 2 e2e4");
    ASSERT_EQ(engine.questions.size(), 1u);
    now += GameService::kEngineAnswerWait - 1s;
    core.Tick(now);
    EXPECT_EQ(engine.questions.size(), 1u);
    now += 1s;
    core.Tick(now);
    ASSERT_EQ(engine.questions.size(), 2u);
    EXPECT_EQ(engine.questions[1].movesKey, "e2e4");

    // An engine that is resting: the bot plays at once.
    engine.available = false;
    now += GameService::kEngineAnswerWait;
    out = core.Tick(now);
    EXPECT_TRUE(HasUpdate(LinesFor(kBob, out)));
    EXPECT_EQ(Game(2).moves.size(), 2u);
    EXPECT_EQ(engine.questions.size(), 2u);
}

TEST_F(BotEngineTest, AChess960QuestionCarriesItsStartPosition) {
    Send(kAlice, "alice request Bot4,Chess960,w,1,d,0,0,0");
    LiveGame game = Game(1);
    chess::Move first = game.position.legalMoves()[0];
    Send(kAlice, "alice move 1 " + chess::toUci(game.position, first));
    ASSERT_EQ(engine.questions.size(), 1u);
    const EngineQuestion& q = engine.questions[0];
    EXPECT_TRUE(q.start.chess960());
    EXPECT_TRUE(q.position.chess960());
    EXPECT_EQ(q.start.fen(chess::Position::CastlingNotation::Shredder), game.record.startFen);
    EXPECT_THAT(UciEngine::PositionCommand(q),
                StartsWith("position fen " + game.record.startFen + " moves "));
}

}  // namespace
}  // namespace qc::server::testing
