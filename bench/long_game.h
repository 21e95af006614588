#pragma once

// The long game both game window benchmarks refresh: 200 half-moves with a
// capture every fifth one, on a full board, the user to move.
#include <string>

#include "tests/fakes/controller_fixture.h"

namespace qc::bench {

inline void LongGame(fakes::FakeController& fc) {
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
        ".\rgame: 4711,anna,guest42,,b,check,3,d,05Dec26153012,08Dec26153012,w,1,0,1,1,1,5,"
        "12\r";
    fc.socket.Receive(text);
}

}  // namespace qc::bench
