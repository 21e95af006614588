// The game window's widget drawing a refresh of a 200-half-move game:
// the state handed to it, the controls updated and the window painted.
// With the core's computation this is what every "update:" costs (target
// for both together: under 2 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "bench/long_game.h"
#include "client/ui/game/game_window_widget.h"

namespace {

void BM_GameWindowRefreshAndPaint(benchmark::State& state) {
    qc::fakes::FakeController fc;
    qc::ui::GameWindowWidget widget(fc.setup->gameWindow());
    fc.setup->gameWindow().Attach(&widget);
    qc::bench::LongGame(fc);
    fc.setup->gameWindow().Show();
    QImage target(widget.size(), QImage::Format_RGB32);
    bool flip = false;
    for (auto _ : state) {
        // A different selection each time, so that the board really changes.
        fc.setup->game.Selected = flip ? "g8" : "b8";
        flip = !flip;
        fc.setup->gameWindow().Update();
        QApplication::processEvents();
        QPainter p(&target);
        widget.render(&p);
    }
    fc.setup->gameWindow().Attach(&fc.gameWindowView);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameWindowRefreshAndPaint)->Unit(benchmark::kMicrosecond);

// The same without painting: the state copied onto the controls.
void BM_GameWindowRefreshOntoControls(benchmark::State& state) {
    qc::fakes::FakeController fc;
    qc::ui::GameWindowWidget widget(fc.setup->gameWindow());
    fc.setup->gameWindow().Attach(&widget);
    qc::bench::LongGame(fc);
    fc.setup->gameWindow().Show();
    bool flip = false;
    for (auto _ : state) {
        fc.setup->game.Selected = flip ? "g8" : "b8";
        flip = !flip;
        fc.setup->gameWindow().Update();
    }
    fc.setup->gameWindow().Attach(&fc.gameWindowView);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GameWindowRefreshOntoControls)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}
