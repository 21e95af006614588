// How many lines a second the server core answers: a list request against an
// in-memory store, and a committed change against a database file (the cost
// of the durable commit before each reply).

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "client/core/account/password.h"
#include "server/core/accounts.h"
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

}  // namespace
