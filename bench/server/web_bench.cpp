// What one web page costs the server's thread: the pages of a player with
// 1,000 ended games, on a database file among 10,000 games of others.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "chess/notation.h"
#include "server/core/accounts.h"
#include "server/core/store.h"
#include "server/web/site.h"

namespace {

using namespace qc::server;

// A random game of about 60 half-moves in the stored form.
std::string RandomMoves(std::mt19937& random) {
    qc::chess::Position pos;
    std::string moves;
    for (int ply = 0; ply < 60 && !pos.status().over(); ++ply) {
        const qc::chess::MoveList legal = pos.legalMoves();
        const qc::chess::Move m = legal[static_cast<int>(random() % legal.size())];
        moves += (moves.empty() ? "" : " ") + qc::chess::toUci(pos, m);
        pos.makeMove(m);
    }
    return moves;
}

struct Fixture {
    Fixture()
        : path("/tmp/qc-web-bench-" + std::to_string(getpid()) + ".db"),
          store(Open(path)),
          site(store, config) {
        std::mt19937 random(1);
        const TimePoint at = FromUnixSeconds(1796859900);
        std::vector<std::int64_t> players;
        Store::Transaction tx(store);
        for (int i = 0; i < 200; ++i) {
            const std::string name = "player" + std::to_string(i);
            AddNamedAccount(store, config, name, "pw", at);
            players.push_back(store.FindAccount(name)->id);
        }
        std::vector<std::string> moves;
        for (int i = 0; i < 50; ++i) {
            moves.push_back(RandomMoves(random));
        }
        auto addEnded = [&](std::int64_t white, std::int64_t black, std::int64_t when) {
            NewGame g{white, black, "", 1, "d", when - 86400, when, ""};
            const std::int64_t id = store.AddGame(g);
            store.RecordMoves(id, moves[random() % moves.size()], 'w', when, 0);
            store.EndGame(id, static_cast<GameResult>(1 + random() % 3), when, "checkmate");
        };
        // player0: 1,000 ended games against 20 others, 5 running ones.
        for (int i = 0; i < 1000; ++i) {
            const std::int64_t other = players[1 + i % 20];
            i % 2 ? addEnded(players[0], other, 1796859900 + i)
                  : addEnded(other, players[0], 1796859900 + i);
        }
        for (int i = 0; i < 5; ++i) {
            NewGame g{players[0], players[30 + i], "", 1, "d", 1796859900, 1796946300 + i, ""};
            store.AddGame(g);
        }
        for (int i = 0; i < 10000; ++i) {
            addEnded(players[1 + random() % 199], players[1 + random() % 199], 1796859900 + i);
        }
        tx.Commit();
    }
    ~Fixture() {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((path + suffix).c_str());
        }
    }
    static const std::string& Open(const std::string& p) {
        for (const char* suffix : {"", "-wal", "-shm"}) {
            std::remove((p + suffix).c_str());
        }
        return p;
    }
    std::string path;
    Config config;
    Store store;
    web::Site site;
};

Fixture& Shared() {
    static Fixture* fixture = new Fixture();
    return *fixture;
}

void Page(benchmark::State& state, const char* path, const char* query) {
    Fixture& f = Shared();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const web::Response r = f.site.Handle("GET", path, query);
        if (r.status != 200) {
            state.SkipWithError("not 200");
        }
        bytes = r.body.size();
        benchmark::DoNotOptimize(bytes);
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}

BENCHMARK_CAPTURE(Page, stats, "/stats.html", "qvid=player0")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Page, history_first, "/history.html", "qvid=player0")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Page, history_page10, "/history.html", "qvid=player0&page=10")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Page, game, "/game/500.html", "")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Page, pgn, "/game/500.pgn", "")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(Page, scoreboard, "/scoreboard.html", "")->Unit(benchmark::kMillisecond);

}  // namespace
