#include "server/core/uci_engine.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>

#include "chess/notation.h"

namespace qc::server {

namespace {

// Skill levels throughout: the engine's rating limit is only a fractional
// skill level in disguise (its lowest rating is skill 0), so ratings would
// not order the levels any better. The think times are ceilings; a level
// below full strength is done when it reaches its depth.
constexpr std::array<EngineLevel, 10> kLevels{{
    {0, 100},
    {2, 150},
    {4, 200},
    {6, 250},
    {8, 300},
    {10, 400},
    {12, 500},
    {14, 600},
    {17, 800},
    {20, 1000},
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

bool EnginePool::Available(TimePoint now) const {
    return std::any_of(engines_.begin(), engines_.end(),
                       [now](const BotEngine* e) { return e->Available(now); });
}

void EnginePool::Ask(EngineQuestion question, TimePoint now) {
    BotEngine* best = nullptr;
    for (BotEngine* e : engines_) {
        if (e->Available(now) && (best == nullptr || e->Waiting() < best->Waiting())) {
            best = e;
        }
    }
    if (best == nullptr && !engines_.empty()) {
        best = engines_.front();  // it answers "no move" at once while it rests
    }
    if (best != nullptr) {
        best->Ask(std::move(question), now);
    }
}

std::size_t EnginePool::Waiting() const {
    std::size_t n = 0;
    for (const BotEngine* e : engines_) {
        n += e->Waiting();
    }
    return n;
}

void UciEngine::Launch(TimePoint now) {
    told_ = Told{};
    link_.Start();
    link_.Write("uci");
    state_ = State::Handshake;
    deadline_ = now + limits_.reply;
}

void UciEngine::SendQuestion(TimePoint now) {
    const EngineQuestion& q = queue_.front().question;
    const EngineLevel level = EngineLevelFor(q.level);
    if (told_.chess960 != q.position.chess960()) {
        told_.chess960 = q.position.chess960();
        link_.Write(std::string("setoption name UCI_Chess960 value ") +
                    (*told_.chess960 ? "true" : "false"));
    }
    if (told_.skill != level.skill) {
        told_.skill = level.skill;
        link_.Write("setoption name Skill Level value " + std::to_string(level.skill));
    }
    // What the engine learnt of one game is no use in another.
    if (told_.gameId != q.gameId) {
        told_.gameId = q.gameId;
        link_.Write("ucinewgame");
    }
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
                const EngineLevel level = EngineLevelFor(q.level);
                const int ms = level.moveTimeMs;
                link_.Write(PositionCommand(q));
                link_.Write(level.skill < 20 ? "go depth " + std::to_string(level.skill + 1) +
                                                   " movetime " + std::to_string(ms)
                                             : "go movetime " + std::to_string(ms));
                score_.reset();
                state_ = State::Thinking;
                deadline_ = now + std::chrono::milliseconds(ms) + limits_.thinkSlack;
            }
            return;
        case State::Thinking:
            if (word == "info") {
                ReadScore(line);
                return;
            }
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

void UciEngine::ReadScore(std::string_view info) {
    // "info depth 9 multipv 1 score cp 31 nodes ..." or "score mate -3"; only
    // the best line counts, and a bound is no judgement.
    std::vector<std::string_view> words;
    while (!info.empty()) {
        std::size_t end = info.find_first_of(" \t");
        if (end != 0) {
            words.push_back(info.substr(0, end));
        }
        info = end == std::string_view::npos ? std::string_view() : info.substr(end + 1);
    }
    std::optional<int> score;
    for (std::size_t i = 0; i + 1 < words.size(); ++i) {
        if (words[i] == "multipv" && words[i + 1] != "1") {
            return;
        }
        if (words[i] == "lowerbound" || words[i] == "upperbound" ||
            (words[i + 1] == "lowerbound" || words[i + 1] == "upperbound")) {
            return;
        }
        if (words[i] == "score" && i + 2 < words.size()) {
            int value = 0;
            std::string_view number = words[i + 2];
            auto [end, ec] = std::from_chars(number.data(), number.data() + number.size(), value);
            if (ec != std::errc() || end != number.data() + number.size() ||
                value < -EngineAnswer::kMateScore || value > EngineAnswer::kMateScore) {
                return;
            }
            if (words[i + 1] == "cp") {
                score =
                    std::clamp(value, -EngineAnswer::kMateScore / 2, EngineAnswer::kMateScore / 2);
            } else if (words[i + 1] == "mate") {
                score = value > 0 ? EngineAnswer::kMateScore - value
                                  : -EngineAnswer::kMateScore - value;
            }
        }
    }
    if (score) {
        score_ = score;
    }
}

void UciEngine::Answer(std::optional<chess::Move> move) {
    EngineQuestion q = std::move(queue_.front().question);
    queue_.pop_front();
    state_ = State::Idle;
    answer_(EngineAnswer{q.gameId, std::move(q.movesKey), move, move ? score_ : std::nullopt});
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
        answer_(EngineAnswer{p.question.gameId, std::move(p.question.movesKey), std::nullopt,
                             std::nullopt});
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
