// Feeds arbitrary bytes to the banner as its server's reply. Each input byte
// 0xFE ends a piece, 0xFD lets the next fetch come (connection error or a
// new tick), so headers and pictures split anywhere.
#include <cstddef>
#include <cstdint>
#include <string>

#include "client/core/game/banner.h"
#include "tests/fakes/fake_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qc::fakes::VirtualTimers timers;
    qc::fakes::FakeStreamSocket socket;
    qc::game::Banner banner(socket, timers, {"banners.example", 3820});
    int changes = 0;
    banner.changed = [&changes] { ++changes; };
    banner.WindowOpened();
    timers.Advance(qc::game::Banner::kTickMs);
    socket.Connected();
    std::string piece;
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (data[i] == 0xFE) {
            socket.Data(piece);
            piece.clear();
        } else if (data[i] == 0xFD) {
            socket.Data(piece);
            piece.clear();
            if (i % 2 == 0) {
                socket.Error();
            }
            timers.Advance(125 * 1000);
            socket.Connected();
        } else {
            piece.push_back(c);
        }
    }
    socket.Data(piece);
    // Whatever arrived, a picture shown is never larger than allowed.
    if (banner.Picture() && banner.Picture()->size() > qc::game::Banner::kMaxPicture) {
        __builtin_trap();
    }
    banner.WindowClosed();
    return 0;
}
