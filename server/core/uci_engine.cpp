#include "server/core/uci_engine.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "chess/notation.h"

namespace qc::server {

namespace {

// Skill levels for the weak end, where a rating floor would be too strong,
// then ratings; the top level plays at full strength for its think time.
constexpr std::array<EngineLevel, 10> kLevels{{
    {false, 0, 0, 50},
    {false, 0, 2, 100},
    {false, 0, 4, 150},
    {false, 0, 6, 200},
    {false, 0, 9, 300},
    {true, 1500, 20, 400},
    {true, 1750, 20, 500},
    {true, 2000, 20, 600},
    {true, 2350, 20, 800},
    {false, 0, 20, 1000},
}};

std::string_view Trimmed(std::string_view line) {
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.back()))) {
        line.remove_suffix(1);
    }
    while (!line.empty() && std::isspace(static_cast<unsigned char>(line.front()))) {
        line.remove_prefix(1);
    }
    return line;
}

std::string_view FirstWord(std::string_view line) {
    return line.substr(0, line.find_first_of(" \t"));
}

}  // namespace

EngineLevel EngineLevelFor(int level) {
    return kLevels[static_cast<std::size_t>(std::clamp(level, 1, 10) - 1)];
}

UciEngine::UciEngine(EngineLink& link, std::function<void(EngineAnswer)> answer, Limits limits)
    : link_(link), answer_(std::move(answer)), limits_(limits) {}

bool UciEngine::Available(TimePoint now) const {
    return !restUntil_ || now >= *restUntil_;
}

void UciEngine::Ask(EngineQuestion question, TimePoint now) {
    queue_.push_back(Pending{std::move(question), 0});
    if (state_ == State::Stopped) {
        Launch(now);
    } else if (state_ == State::Idle) {
        SendQuestion(now);
    }
}

void UciEngine::Launch(TimePoint now) {
    link_.Start();
    link_.Write("uci");
    state_ = State::Handshake;
    deadline_ = now + limits_.reply;
}

void UciEngine::SendQuestion(TimePoint now) {
    const EngineQuestion& q = queue_.front().question;
    const EngineLevel level = EngineLevelFor(q.level);
    auto flag = [](bool on) { return on ? std::string("true") : std::string("false"); };
    link_.Write("setoption name UCI_Chess960 value " + flag(q.position.chess960()));
    link_.Write("setoption name UCI_LimitStrength value " + flag(level.limitStrength));
    if (level.limitStrength) {
        link_.Write("setoption name UCI_Elo value " + std::to_string(level.elo));
    }
    link_.Write("setoption name Skill Level value " + std::to_string(level.skill));
    link_.Write("ucinewgame");
    link_.Write("isready");
    state_ = State::Preparing;
    deadline_ = now + limits_.reply;
}

void UciEngine::OnLine(std::string_view raw, TimePoint now) {
    const std::string_view line = Trimmed(raw);
    const std::string_view word = FirstWord(line);
    switch (state_) {
        case State::Handshake:
            if (word == "uciok") {
                state_ = State::Idle;
                if (!queue_.empty()) {
                    SendQuestion(now);
                }
            }
            return;
        case State::Preparing:
            if (word == "readyok") {
                const EngineQuestion& q = queue_.front().question;
                const int ms = EngineLevelFor(q.level).moveTimeMs;
                link_.Write(PositionCommand(q));
                link_.Write("go movetime " + std::to_string(ms));
                state_ = State::Thinking;
                deadline_ = now + std::chrono::milliseconds(ms) + limits_.thinkSlack;
            }
            return;
        case State::Thinking:
            if (word == "bestmove") {
                std::string_view rest = Trimmed(line.substr(word.size()));
                std::optional<chess::Move> move =
                    ParseEngineMove(queue_.front().question.position, FirstWord(rest));
                if (!move) {
                    Fail(now);
                    return;
                }
                Answer(move);
                if (state_ == State::Idle && !queue_.empty()) {
                    SendQuestion(now);
                }
            }
            return;
        case State::Stopped:
        case State::Idle:
            return;
    }
}

void UciEngine::OnExited(TimePoint now) {
    if (state_ == State::Stopped) {
        return;
    }
    if (state_ == State::Idle) {
        // Nothing was asked of it: the next question starts a new one.
        state_ = State::Stopped;
        return;
    }
    Fail(now);
}

void UciEngine::Tick(TimePoint now) {
    if (state_ != State::Stopped && state_ != State::Idle && now >= deadline_) {
        Fail(now);
    }
}

void UciEngine::Answer(std::optional<chess::Move> move) {
    EngineQuestion q = std::move(queue_.front().question);
    queue_.pop_front();
    state_ = State::Idle;
    answer_(EngineAnswer{q.gameId, std::move(q.movesKey), move});
}

void UciEngine::Fail(TimePoint now) {
    link_.Stop();
    state_ = State::Stopped;
    if (queue_.empty()) {
        return;
    }
    if (++queue_.front().failures < limits_.attempts) {
        Launch(now);
        return;
    }
    // This engine cannot be relied on for now: every waiting game gets its
    // answer at once rather than a row of time-outs.
    restUntil_ = now + limits_.rest;
    std::deque<Pending> given;
    given.swap(queue_);
    for (Pending& p : given) {
        answer_(EngineAnswer{p.question.gameId, std::move(p.question.movesKey), std::nullopt});
    }
    if (state_ == State::Stopped && !queue_.empty()) {
        Launch(now);
    }
}

std::string UciEngine::PositionCommand(const EngineQuestion& q) {
    using Notation = chess::Position::CastlingNotation;
    std::string text =
        "position fen " + q.start.fen(q.start.chess960() ? Notation::Shredder : Notation::XFen);
    chess::Position replay = q.start;
    const std::vector<chess::Move> history = q.position.moveHistory();
    if (!history.empty()) {
        text += " moves";
    }
    for (chess::Move m : history) {
        text += ' ';
        text += chess::toUci(replay, m);
        replay.makeMove(m);
    }
    return text;
}

std::optional<chess::Move> UciEngine::ParseEngineMove(const chess::Position& pos,
                                                      std::string_view text) {
    if (text.size() < 4 || text.size() > 5) {
        return std::nullopt;
    }
    std::string lower(text);
    for (char& c : lower) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (chess::Move m : pos.legalMoves()) {
        if (chess::toUci(pos, m) == lower) {
            return m;
        }
    }
    return std::nullopt;
}

}  // namespace qc::server
