// How many lines a second the server core answers: a list request against an
// in-memory store, and a committed change against a database file (the cost
// of the durable commit before each reply).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <random>
#include <string>

#include "chess/notation.h"
#include "client/core/account/password.h"
#include "server/core/accounts.h"
#include "server/core/games.h"
#include "server/core/server_core.h"
#include "server/core/store.h"

namespace {

using namespace qc::server;

struct Server {
    explicit Server(const std::string& path) : store(path), core(store, MakeConfig()) {
        AddNamedAccount(store, core.GetConfig(), "alice", "a", now);
        AddNamedAccount(store, core.GetConfig(), "bob", "b", now);
        Line(alice, "alice connect v1.20 " + qc::account::Swordfish("a"));
        Line(bob, "bob connect v1.20 " + qc::account::Swordfish("b"));
    }
    static Config MakeConfig() {
        Config config;
        config.datagramBurst = 1e12;  // measure the work, not the limiter
        config.datagramsPerSecond = 1e12;
        config.networkBurst = 1e12;
        config.networkLinesPerSecond = 1e12;
        return config;
    }
    std::size_t Line(const Endpoint& from, const std::string& line) {
        return core.HandleDatagram(from, line + "\r", now).size();
    }
    Store store;
    ServerCore core;
    TimePoint now = Clock::now();
    Endpoint alice{"127.0.0.1", 1};
    Endpoint bob{"127.0.0.1", 2};
};

void BM_GameList(benchmark::State& state) {
    Server s(":memory:");
    for (int i = 0; i < 3; ++i) {
        s.Line(s.alice, "alice request bob,,w,1,d,0,0,0,0");
        s.Line(s.bob, "bob accept " + std::to_string(i + 1));
        s.Line(s.bob, "bob request alice,,b,2,d,0,0,0,0");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.Line(s.alice, "alice gamelist"));
    }
}
BENCHMARK(BM_GameList);

// The same list for a player with a long history: 500 ended games, which
// the open-game queries and counts must not walk.
void BM_GameListWithHistory(benchmark::State& state) {
    Server s(":memory:");
    s.store.SetSlots(s.store.FindAccount("alice")->id, 1000);
    for (int i = 1; i <= 500; ++i) {
        s.Line(s.alice, "alice request bob,,w,1,d,0,0,0,0");
        s.Line(s.bob, "bob accept " + std::to_string(i));
        s.Line(s.alice, "alice resign " + std::to_string(i));
    }
    for (int i = 0; i < 3; ++i) {
        s.Line(s.alice, "alice request bob,,w,1,d,0,0,0,0");
        s.Line(s.bob, "bob accept " + std::to_string(501 + 2 * i));
        s.Line(s.bob, "bob request alice,,b,2,d,0,0,0,0");
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.Line(s.alice, "alice gamelist"));
    }
}
BENCHMARK(BM_GameListWithHistory);

void BM_Update(benchmark::State& state) {
    Server s(":memory:");
    for (int i = 0; i < 3; ++i) {
        s.Line(s.alice, "alice request bob,,w,1,d,0,0,0,0");
        s.Line(s.bob, "bob accept " + std::to_string(i + 1));
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.Line(s.alice, "alice update"));
    }
}
BENCHMARK(BM_Update);

void BM_RequestAndCancelOnDisk(benchmark::State& state) {
    std::string path = "/tmp/qc-server-bench-" + std::to_string(getpid()) + ".db";
    {
        Server s(path);
        int id = 0;
        for (auto _ : state) {
            s.Line(s.alice, "alice request bob,,w,1,d,0,0,0,0");
            s.Line(s.alice, "alice cancel " + std::to_string(++id));
        }
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((path + suffix).c_str());
    }
}
BENCHMARK(BM_RequestAndCancelOnDisk);

// Plays a random legal move in alice's local game, starting a new game when
// it has ended; returns the game's identifier.
std::int64_t PlayRandomMove(Server& s, std::int64_t game, std::mt19937& random) {
    std::optional<LiveGame> live;
    {
        Store::Transaction tx(s.store);
        live = LoadGame(s.store, game);
        tx.Commit();
    }
    if (!live || live->record.ended) {
        s.Line(s.alice, "alice request alice,,w,1,d,0,0,0");
        return game + 1;
    }
    qc::chess::MoveList moves = live->position.legalMoves();
    qc::chess::Move m = moves[std::uniform_int_distribution<int>(0, moves.size() - 1)(random)];
    s.Line(s.alice,
           "alice move " + std::to_string(game) + " " + qc::chess::toUci(live->position, m));
    return game;
}

// Showing a game of 120 half-moves (the position is replayed from its start).
void BM_ViewLongGame(benchmark::State& state) {
    Server s(":memory:");
    s.Line(s.alice, "alice request alice,,w,1,d,0,0,0");
    std::mt19937 random(3);
    std::int64_t game = 1;
    for (int ply = 0; ply < 120 && game == 1; ++ply) {
        game = PlayRandomMove(s, game, random);
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(s.Line(s.alice, "alice game 1"));
    }
}
BENCHMARK(BM_ViewLongGame);

// A move committed to a database file, with its answer.
void BM_MoveOnDisk(benchmark::State& state) {
    std::string path = "/tmp/qc-server-bench-moves-" + std::to_string(getpid()) + ".db";
    {
        Server s(path);
        s.store.SetSlots(s.store.FindAccount("alice")->id, 1000000);
        s.Line(s.alice, "alice request alice,,w,1,d,0,0,0");
        std::mt19937 random(5);
        std::int64_t game = 1;
        for (auto _ : state) {
            game = PlayRandomMove(s, game, random);
        }
    }
    for (const char* suffix : {"", "-wal", "-shm"}) {
        std::remove((path + suffix).c_str());
    }
}
BENCHMARK(BM_MoveOnDisk);

}  // namespace
