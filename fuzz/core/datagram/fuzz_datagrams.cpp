// Feeds arbitrary datagrams, with timer ticks and message-box answers in
// between, through the client's data-arrival handler.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tests/fakes/controller_fixture.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qc::fakes::FakeController fc;
    fc.setup->gameList().Show();
    fc.setup->gameWindow().Show();
    fc.setup->Connect();
    // The input is a sequence of chunks separated by 0xFF bytes; the byte
    // after a separator picks an action before the next datagram.
    std::string chunk;
    std::size_t i = 0;
    while (i < size) {
        const std::uint8_t b = data[i++];
        if (b != 0xFF) {
            chunk.push_back(static_cast<char>(b));
            continue;
        }
        fc.socket.Receive(chunk);
        chunk.clear();
        if (i < size) {
            const std::uint8_t action = data[i++];
            switch (action % 6) {
                case 0:
                    fc.timers.Advance((action >> 3) * 1000);
                    break;
                case 1:
                    fc.dialogs.answers.push_back(qc::platform::MessageAnswer::Yes);
                    break;
                case 2:
                    fc.dialogs.whileOpen = [&fc] { fc.socket.Receive("ping\rmsg: x\r"); };
                    break;
                case 3:
                    fc.setup->Connect();
                    break;
                case 4:
                    fc.socket.failRead = !fc.socket.failRead;
                    break;
                default:
                    fc.setup->trayIcon().Deliver(512 + action % 8);
                    break;
            }
        }
        fc.TakeSent();
    }
    fc.socket.Receive(chunk);
    return 0;
}
