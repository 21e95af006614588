// The game window's widget drawing a refresh of a 200-half-move game:
// the state handed to it, the controls updated and the window painted.
// With the core's computation this is what every "update:" costs (target
// for both together: under 2 ms).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>

#include "client/ui/game/game_window_widget.h"
#include "tests/fakes/controller_fixture.h"

namespace {

void Fill(qc::fakes::FakeController& fc) {
    fc.setup->prefs.ShowChat = false;
    fc.LoginAsGuest();
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
}

void BM_GameWindowRefreshAndPaint(benchmark::State& state) {
    qc::fakes::FakeController fc;
    qc::ui::GameWindowWidget widget(fc.setup->gameWindow());
    fc.setup->gameWindow().Attach(&widget);
    Fill(fc);
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
    Fill(fc);
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
