// How much stronger each bot level plays than the one below it: games between
// adjacent levels, each side the server's own engine conversation over its own
// engine process, so that exactly the levels' settings and think times are
// measured. Games are judged by our rules library alone.
//
//   build/bin/qc_bot_strength [--pairs 3-4,9-10] [--games 24] [--parallel N]

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <memory>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "chess/notation.h"
#include "chess/position.h"
#include "server/core/uci_engine.h"
#include "server/engine_process.h"

namespace {

using qc::server::Clock;
using qc::server::EngineAnswer;
using qc::server::EngineProcess;
using qc::server::EngineQuestion;
using qc::server::UciEngine;
namespace chess = qc::chess;

struct Options {
    std::vector<int> pairs;  // the lower level of each pair
    int games = 24;
    int maxPlies = 200;
    int parallel = 1;
    std::uint64_t seed = 1;
    QString engine = "stockfish";
    bool verbose = false;
};

// One opening: a few random legal plies from the start position.
using Opening = std::vector<chess::Move>;

// Openings shared by all pairs, so that every pair meets the same ones.
// mt19937_64 with plain modulo keeps them the same on every standard library.
std::vector<Opening> MakeOpenings(int count, std::uint64_t seed) {
    std::mt19937_64 rng(seed);
    std::set<std::vector<std::uint16_t>> seen;
    std::vector<Opening> openings;
    while (static_cast<int>(openings.size()) < count) {
        chess::Position pos;
        Opening opening;
        const int plies = 2 + static_cast<int>(rng() % 3);
        for (int i = 0; i < plies; ++i) {
            const chess::MoveList moves = pos.legalMoves();
            const chess::Move m = moves[static_cast<int>(rng() % moves.size())];
            opening.push_back(m);
            pos.makeMove(m);
        }
        std::vector<std::uint16_t> raw;
        for (chess::Move m : opening) {
            raw.push_back(m.raw());
        }
        // A random start can run into a quick mate; such a game says nothing.
        if (!pos.status().over() && seen.insert(raw).second) {
            openings.push_back(std::move(opening));
        }
    }
    return openings;
}

std::string OpeningText(const Opening& opening) {
    chess::Position pos;
    std::string text;
    for (chess::Move m : opening) {
        if (!text.empty()) {
            text += ' ';
        }
        text += chess::toSan(pos, m);
        pos.makeMove(m);
    }
    return text;
}

// What the higher level of a pair made of its games.
struct Tally {
    int wins = 0, draws = 0, losses = 0;
    int unfinished = 0;    // stopped at the ply cap, among the draws
    int engineMisses = 0;  // "no move" answers
    int randomMoves = 0;   // moves played without the engine's word
    int played = 0;
};

struct GameSetup {
    std::size_t pair = 0;  // index into Options::pairs
    const Opening* opening = nullptr;
    bool higherIsWhite = true;
};

class Bench : public QObject {
  public:
    Bench(const Options& options, const QString& program) : options_(options), rng_(options.seed) {
        const int count = (options.games + 1) / 2;
        openings_ = MakeOpenings(count, options.seed);
        for (std::size_t p = 0; p < options.pairs.size(); ++p) {
            for (int g = 0; g < options.games; ++g) {
                // The same opening twice, with colours swapped.
                queue_.push_back(
                    GameSetup{p, &openings_[static_cast<std::size_t>(g / 2)], g % 2 == 0});
            }
        }
        tallies_.resize(options.pairs.size());
        const std::size_t tables =
            std::min<std::size_t>(static_cast<std::size_t>(options.parallel), queue_.size());
        for (std::size_t i = 0; i < tables; ++i) {
            tables_.push_back(std::make_unique<Table>(program, this, i));
        }
    }

    void Start() {
        for (auto& table : tables_) {
            NextGame(*table);
        }
        if (tables_.empty()) {
            QCoreApplication::quit();
        }
    }

  private:
    struct Game {
        GameSetup setup;
        chess::Position start;
        chess::Position position;
        int whiteLevel = 0, blackLevel = 0;
    };

    // One game at a time, white's and black's engine each in its own process.
    // The processes are kept from game to game: the engine is told of a new
    // game with every question anyway.
    struct Table {
        Table(const QString& program, Bench* bench, std::size_t index)
            : whiteLink(program),
              blackLink(program),
              white(whiteLink,
                    [bench, index](EngineAnswer a) { bench->Post(index, std::move(a)); }),
              black(blackLink,
                    [bench, index](EngineAnswer a) { bench->Post(index, std::move(a)); }),
              index(index) {
            whiteLink.Attach(&white);
            blackLink.Attach(&black);
        }
        EngineProcess whiteLink, blackLink;
        UciEngine white, black;
        std::size_t index;
        std::optional<Game> game;
    };

    int Higher(const GameSetup& s) const { return options_.pairs[s.pair] + 1; }

    // Answers come from within the conversation's calls; they are handled
    // from the event loop, where the next question or game may start.
    void Post(std::size_t table, EngineAnswer answer) {
        QTimer::singleShot(0, this, [this, table, answer = std::move(answer)] {
            Answered(*tables_[table], answer);
        });
    }

    void NextGame(Table& table) {
        if (queue_.empty()) {
            table.game.reset();
            if (++idle_ == tables_.size()) {
                QCoreApplication::quit();
            }
            return;
        }
        Game game;
        game.setup = queue_.front();
        queue_.pop_front();
        const int higher = Higher(game.setup);
        game.whiteLevel = game.setup.higherIsWhite ? higher : higher - 1;
        game.blackLevel = game.setup.higherIsWhite ? higher - 1 : higher;
        for (chess::Move m : *game.setup.opening) {
            game.position.makeMove(m);
        }
        table.game = std::move(game);
        Continue(table);
    }

    // Asks the side to move, or ends the game.
    void Continue(Table& table) {
        Game& game = *table.game;
        Tally& tally = tallies_[game.setup.pair];
        for (;;) {
            if (game.position.status().over() || game.position.plyCount() >= options_.maxPlies) {
                Finish(table);
                return;
            }
            const bool whiteToMove = game.position.sideToMove() == chess::White;
            UciEngine& engine = whiteToMove ? table.white : table.black;
            const auto now = Clock::now();
            if (engine.Available(now)) {
                engine.Ask(EngineQuestion{static_cast<std::int64_t>(table.index),
                                          std::to_string(game.position.plyCount()),
                                          whiteToMove ? game.whiteLevel : game.blackLevel,
                                          game.start, game.position},
                           now);
                return;
            }
            // A resting engine is not asked; the server plays at random then too.
            ++tally.randomMoves;
            game.position.makeMove(RandomMove(game.position));
        }
    }

    void Answered(Table& table, const EngineAnswer& answer) {
        if (!table.game || answer.movesKey != std::to_string(table.game->position.plyCount())) {
            return;
        }
        Game& game = *table.game;
        Tally& tally = tallies_[game.setup.pair];
        if (answer.move && game.position.isLegal(*answer.move)) {
            game.position.makeMove(*answer.move);
        } else {
            ++tally.engineMisses;
            ++tally.randomMoves;
            game.position.makeMove(RandomMove(game.position));
        }
        Continue(table);
    }

    chess::Move RandomMove(const chess::Position& pos) {
        const chess::MoveList moves = pos.legalMoves();
        return moves[static_cast<int>(rng_() % static_cast<std::uint64_t>(moves.size()))];
    }

    void Finish(Table& table) {
        const Game& game = *table.game;
        Tally& tally = tallies_[game.setup.pair];
        const chess::GameStatus status = game.position.status();
        const bool higherIsWhite = game.setup.higherIsWhite;
        std::string how(status.phrase());
        if (status.result == chess::Result::WhiteWins) {
            ++(higherIsWhite ? tally.wins : tally.losses);
        } else if (status.result == chess::Result::BlackWins) {
            ++(higherIsWhite ? tally.losses : tally.wins);
        } else {
            ++tally.draws;
            if (!status.over()) {
                ++tally.unfinished;
                how = "unfinished";
            }
        }
        ++tally.played;
        if (options_.verbose) {
            const char* score = status.result == chess::Result::WhiteWins   ? "1-0"
                                : status.result == chess::Result::BlackWins ? "0-1"
                                                                            : "1/2-1/2";
            std::fprintf(stderr, "Bot%d - Bot%d  %s  %s after %d plies  (%s)\n", game.whiteLevel,
                         game.blackLevel, score, how.c_str(), game.position.plyCount(),
                         OpeningText(*game.setup.opening).c_str());
        }
        PrintDone();
        NextGame(table);
    }

    // The pairs' lines in their order, each as soon as it and those before are done.
    void PrintDone() {
        while (printed_ < tallies_.size() && tallies_[printed_].played == options_.games) {
            PrintLine(printed_++);
        }
        std::fflush(stdout);
    }

    void PrintLine(std::size_t pair) const {
        const Tally& t = tallies_[pair];
        const int higher = options_.pairs[pair] + 1;
        const int halves = 2 * t.wins + t.draws;
        const double score = static_cast<double>(halves) / (2.0 * t.played);
        auto points = [](int halves) {
            return std::to_string(halves / 2) + (halves % 2 != 0 ? ".5" : "");
        };
        std::string line = "Bot" + std::to_string(higher) + " vs Bot" + std::to_string(higher - 1) +
                           ": " + points(halves) + "-" + points(2 * t.played - halves) + " (+" +
                           std::to_string(t.wins) + " =" + std::to_string(t.draws) + " -" +
                           std::to_string(t.losses) + ", " + std::to_string(t.unfinished) +
                           " unfinished)";
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "  score %.1f%%", 100.0 * score);
        line += buffer;
        if (score > 0.0 && score < 1.0) {
            // The rating difference that would give this score.
            std::snprintf(buffer, sizeof buffer, "  Elo %+ld",
                          std::lround(-400.0 * std::log10(1.0 / score - 1.0)));
            line += buffer;
        }
        if (t.engineMisses > 0 || t.randomMoves > 0) {
            line += "  engine gave no move " + std::to_string(t.engineMisses) + "x, " +
                    std::to_string(t.randomMoves) + " moves at random";
        }
        std::printf("%s\n", line.c_str());
    }

    Options options_;
    std::mt19937_64 rng_;
    std::vector<Opening> openings_;
    std::deque<GameSetup> queue_;
    std::vector<Tally> tallies_;
    std::vector<std::unique_ptr<Table>> tables_;
    std::size_t idle_ = 0;
    std::size_t printed_ = 0;
};

// "3-4,9-10": adjacent levels, either way round.
bool ReadPairs(const QString& text, std::vector<int>& pairs) {
    pairs.clear();
    for (const QString& item : text.split(',', Qt::SkipEmptyParts)) {
        const QStringList ends = item.trimmed().split('-');
        bool okA = false, okB = false;
        const int a = ends.size() == 2 ? ends[0].toInt(&okA) : 0;
        const int b = ends.size() == 2 ? ends[1].toInt(&okB) : 0;
        const int low = std::min(a, b);
        if (!okA || !okB || std::abs(a - b) != 1 || low < 1 || low > 9) {
            return false;
        }
        pairs.push_back(low);
    }
    return !pairs.empty();
}

bool ReadCount(const QString& text, int low, int& value) {
    bool ok = false;
    const int v = text.toInt(&ok);
    if (!ok || v < low) {
        return false;
    }
    value = v;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("qc_bot_strength");

    Options options;
    options.parallel = std::max(1, QThread::idealThreadCount());

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Plays each bot level against the one below it and prints the higher level's score.");
    const QCommandLineOption help({"h", "help"}, "List the options.");
    const QCommandLineOption pairs(
        "pairs", "Pairs of adjacent levels to play (default: 1-2 to 9-10).", "LIST");
    const QCommandLineOption games("games", "Games per pair, colours alternating (default 24).",
                                   "N");
    const QCommandLineOption maxPlies(
        "max-plies", "Plies after which a game counts as an unfinished draw (default 200).", "N");
    const QCommandLineOption parallel("parallel",
                                      "Games played at once (default: the number of cores, here " +
                                          QString::number(options.parallel) + ").",
                                      "N");
    const QCommandLineOption seed("seed", "Seed of the random openings (default 1).", "N");
    const QCommandLineOption engine("engine",
                                    "The UCI engine: a path, or a name looked up on PATH and in "
                                    "/usr/games (default stockfish).",
                                    "PATH");
    const QCommandLineOption verbose("verbose", "One line per game on standard error.");
    parser.addOptions({help, pairs, games, maxPlies, parallel, seed, engine, verbose});

    auto fail = [](const QString& message) {
        std::fprintf(stderr, "qc_bot_strength: %s (see --help)\n", qPrintable(message));
        return 2;
    };
    if (!parser.parse(QCoreApplication::arguments())) {
        return fail(parser.errorText());
    }
    if (parser.isSet(help)) {
        std::printf("%s", qPrintable(parser.helpText()));
        return 0;
    }
    if (!parser.positionalArguments().isEmpty()) {
        return fail("unexpected argument '" + parser.positionalArguments().first() + "'");
    }
    for (int low = 1; low <= 9; ++low) {
        options.pairs.push_back(low);
    }
    if (parser.isSet(pairs) && !ReadPairs(parser.value(pairs), options.pairs)) {
        return fail("--pairs wants adjacent levels from 1 to 10, like 3-4,9-10");
    }
    if (parser.isSet(games) && !ReadCount(parser.value(games), 1, options.games)) {
        return fail("--games wants a number of at least 1");
    }
    if (parser.isSet(maxPlies) && !ReadCount(parser.value(maxPlies), 1, options.maxPlies)) {
        return fail("--max-plies wants a number of at least 1");
    }
    if (parser.isSet(parallel) && !ReadCount(parser.value(parallel), 1, options.parallel)) {
        return fail("--parallel wants a number of at least 1");
    }
    if (parser.isSet(seed)) {
        bool ok = false;
        options.seed = parser.value(seed).toULongLong(&ok);
        if (!ok) {
            return fail("--seed wants a whole number");
        }
    }
    if (parser.isSet(engine)) {
        options.engine = parser.value(engine);
    }
    options.verbose = parser.isSet(verbose);

    const QString program = EngineProcess::Resolve(options.engine);
    if (program.isEmpty()) {
        std::fprintf(stderr, "qc_bot_strength: no chess engine '%s' to run\n",
                     qPrintable(options.engine));
        return 1;
    }

    std::printf("%d games per pair, up to %d plies, %d at once, seed %llu, engine %s\n",
                options.games, options.maxPlies, options.parallel,
                static_cast<unsigned long long>(options.seed), qPrintable(program));
    std::fflush(stdout);
    QElapsedTimer clock;
    clock.start();
    Bench bench(options, program);
    QTimer::singleShot(0, &bench, [&bench] { bench.Start(); });
    app.exec();
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    std::printf("Total wall time: %.1f s (%dm %02ds)\n", seconds, static_cast<int>(seconds) / 60,
                static_cast<int>(seconds) % 60);
    return 0;
}
