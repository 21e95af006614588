#pragma once

#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "chess/position.h"
#include "server/core/types.h"

namespace qc::server {

// How an engine plays one bot level: its skill level and how long it may
// think for a move. Below full strength the engine picks its move at depth
// skill + 1, so it is asked to search no deeper than that.
struct EngineLevel {
    int skill = 20;  // 0 (weakest) to 20 (full strength)
    int moveTimeMs = 1000;
};

// The settings of bot levels 1 to 10 (outside that range, the nearest).
EngineLevel EngineLevelFor(int level);

// A move wanted from the engine.
struct EngineQuestion {
    std::int64_t gameId = 0;
    // The game's moves when it was asked; the answer is played only on the
    // same moves.
    std::string movesKey;
    int level = 1;
    // The game's start position and the moves since, replayed: the engine
    // is sent both, so that it sees repetitions as the game does.
    chess::Position start;
    chess::Position position;
};

struct EngineAnswer {
    std::int64_t gameId = 0;
    std::string movesKey;
    // A legal move in the question's position; nothing when the engine failed
    // repeatedly and the caller should play its own move.
    std::optional<chess::Move> move;
    // How the engine judged the position for the side to move, in
    // centipawns (a mate in n is kMateScore - n, being mated its negative);
    // nothing when it did not say.
    std::optional<int> score;
    static constexpr int kMateScore = 100000;
};

// Where the bot's stronger levels get their moves. Answers always come
// later, never from within Ask.
class BotEngine {
  public:
    virtual ~BotEngine() = default;
    // False while no answers can be expected (the engine keeps failing).
    virtual bool Available(TimePoint now) const = 0;
    virtual void Ask(EngineQuestion question, TimePoint now) = 0;
    // Questions asked and not answered yet, the one being thought about included.
    virtual std::size_t Waiting() const = 0;
};

// Several engines behind one: each question goes to the available engine
// with the fewest waiting, so bot games do not queue behind each other.
class EnginePool : public BotEngine {
  public:
    void Add(BotEngine& engine) { engines_.push_back(&engine); }

    bool Available(TimePoint now) const override;
    void Ask(EngineQuestion question, TimePoint now) override;
    std::size_t Waiting() const override;

  private:
    std::vector<BotEngine*> engines_;
};

// The engine's process, as the conversation sees it. Lines from the engine
// and its end are reported to UciEngine::OnLine and OnExited, never from
// within these calls.
class EngineLink {
  public:
    virtual ~EngineLink() = default;
    virtual void Start() = 0;  // a fresh process; a failed start is reported as an exit
    virtual void Stop() = 0;   // kills it; nothing more is reported of that process
    virtual void Write(std::string_view line) = 0;
};

// The conversation with a UCI engine, one question at a time: the handshake
// (uci / uciok), per question the options that differ from the last
// question's, ucinewgame when the game differs, isready / readyok, the
// position and "go", then "bestmove". A move that is
// not legal, an engine that dies or stays silent too long are failures: the
// engine is restarted and asked again, and after `attempts` failures on one
// question the answer is "no move" and the engine rests for `rest`.
class UciEngine : public BotEngine {
  public:
    struct Limits {
        std::chrono::milliseconds reply{5000};       // for uciok and readyok
        std::chrono::milliseconds thinkSlack{3000};  // beyond the think time, for bestmove
        int attempts = 3;
        std::chrono::milliseconds rest{60000};
    };

    UciEngine(EngineLink& link, std::function<void(EngineAnswer)> answer, Limits limits);
    UciEngine(EngineLink& link, std::function<void(EngineAnswer)> answer)
        : UciEngine(link, std::move(answer), Limits{}) {}

    bool Available(TimePoint now) const override;
    void Ask(EngineQuestion question, TimePoint now) override;

    void OnLine(std::string_view line, TimePoint now);
    void OnExited(TimePoint now);
    // Checks the time-outs; call a few times a second.
    void Tick(TimePoint now);

    std::size_t Waiting() const override { return queue_.size(); }

    // "position fen ... moves ...": Shredder castling letters in Chess960,
    // plain FEN otherwise, and the moves as the engine writes them.
    static std::string PositionCommand(const EngineQuestion& question);
    // The legal move in `pos` that the engine's text names, if any.
    static std::optional<chess::Move> ParseEngineMove(const chess::Position& pos,
                                                      std::string_view text);

  private:
    enum class State { Stopped, Handshake, Preparing, Thinking, Idle };

    void Launch(TimePoint now);
    void SendQuestion(TimePoint now);
    void Fail(TimePoint now);
    void Answer(std::optional<chess::Move> move);
    void ReadScore(std::string_view info);

    EngineLink& link_;
    std::function<void(EngineAnswer)> answer_;
    Limits limits_;
    State state_ = State::Stopped;
    TimePoint deadline_{};
    std::optional<TimePoint> restUntil_;
    struct Pending {
        EngineQuestion question;
        int failures = 0;
    };
    std::deque<Pending> queue_;
    // What the running process was last told, so only changes are sent.
    struct Told {
        std::optional<bool> chess960;
        std::optional<int> skill;
        std::optional<std::int64_t> gameId;
    } told_;
    std::optional<int> score_;  // of the question being thought about
};

}  // namespace qc::server
