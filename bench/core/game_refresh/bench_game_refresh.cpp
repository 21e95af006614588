// One refresh of the game window for a long game: the state computed from
// the current game and handed to the view. Every "update:" refreshes the
// window, so this must stay far below a frame (target: under 2 ms).
#include <benchmark/benchmark.h>

#include <string>

#include "tests/fakes/controller_fixture.h"

namespace {

// A game of 200 half-moves with a capture every fifth one, on a full board.
void Fill(qc::fakes::FakeController& fc) {
    fc.setup->prefs.ShowChat = false;
    fc.LoginAsGuest();
    fc.setup->gameWindow().Show();
    std::string text =
        "board: a1wrb1wnc1wbd1wqe1wkf1wbg1wnh1wra2wpb2wpc2wpd2wpe2wpf2wpg2wph2wp"
        "a7bpb7bpc7bpd7bpe7bpf7bpg7bph7bpa8brb8bnc8bbd8bqe8bkf8bbg8bnh8br\rmovelog:\r";
    for (int k = 0; k < 200; ++k) {
        const char side = k % 2 == 0 ? 'w' : 'b';
        text += std::string(1, side) + "ng1f3" + (k % 5 == 0 ? "xbp Nxf3" : " Nf3") + "\r";
    }
    text +=
        ".\rgame: 4711,anna,guest42,,b,check,3,d,05Dec26153012,08Dec26153012,w,1,0,1,1,1,5,12\r";
    fc.socket.Receive(text);
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
