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
    fc.setup->publicReqs().Show();
    fc.setup->scoreboard().Show();
    fc.setup->requestForm().Show();
    fc.setup->views().settings = &fc.setup->settingsWindow();
    fc.setup->settingsWindow().Show();
    fc.setup->createAccount().Show();
    fc.setup->changePassword().Show();
    fc.setup->alerts().Start();
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
        const std::string typed = chunk;
        chunk.clear();
        if (i < size) {
            const std::uint8_t action = data[i++];
            switch (action % 9) {
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
                case 5:
                    // A pick in a list window, then its buttons.
                    fc.setup->publicReqs().Pick(action >> 4, action & 8 ? 0 : 9);
                    fc.setup->publicReqs().Accept();
                    fc.setup->scoreboard().Pick(action >> 4, 1);
                    fc.setup->scoreboard().Request();
                    break;
                case 6: {
                    // The chunk typed into the request form's boxes, then Enter.
                    qc::lobby::NewGameForm& form = fc.setup->requestForm();
                    form.Show();
                    form.EditOpponent(typed);
                    form.EditMoveTime(typed);
                    form.ChooseUnit(action >> 5);
                    form.Start();
                    break;
                }
                default:
                    fc.setup->trayIcon().Deliver(512 + action % 8);
                    // A click on the newest notification, or on a stale one.
                    if (!fc.tray.messages.empty()) {
                        fc.tray.ClickMessage(fc.tray.messages.back().id - (action >> 7));
                    }
                    break;
            }
        }
        fc.TakeSent();
    }
    fc.socket.Receive(chunk);
    return 0;
}
