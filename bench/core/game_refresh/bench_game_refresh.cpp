// One refresh of the game window for a long game: the state computed from
// the current game and handed to the view. Every "update:" refreshes the
// window, so this must stay far below a frame (target: under 2 ms).
#include <benchmark/benchmark.h>

#include <string>

#include "bench/long_game.h"

namespace {

void Fill(qc::fakes::FakeController& fc) {
    qc::bench::LongGame(fc);
    fc.setup->gameWindow().Show();
    fc.setup->game.Selected = "g8";
    fc.socket.Receive("canmove: f6h6\r");
}

void BM_GameWindowRefresh200HalfMoves(benchmark::State& state) {
    qc::fakes::FakeController fc;
    Fill(fc);
    for (auto _ : state) {
        fc.setup->gameWindow().Update();
        benchmark::DoNotOptimize(fc.gameWindowView.state.cells[0]);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameWindowRefresh200HalfMoves)->Unit(benchmark::kMicrosecond);

// The whole path from the server's line: parse "game: ", refresh, render.
void BM_GameLineToRender(benchmark::State& state) {
    qc::fakes::FakeController fc;
    Fill(fc);
    const std::string line =
        "game: 4711,anna,guest42,,b,check,3,d,05Dec26153012,08Dec26153012,w,1,0,1,1,1,5,12\r";
    for (auto _ : state) {
        fc.socket.Receive(line);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameLineToRender)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
