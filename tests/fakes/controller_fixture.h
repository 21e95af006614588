#pragma once

#include <memory>
#include <string>
#include <vector>

#include "client/core/setup.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_file_system.h"
#include "tests/fakes/fake_platform.h"
#include "tests/fakes/fake_shell.h"

namespace qc::fakes {

// A controller on the fake platform, with recording views attached.
struct FakeController {
    VirtualTimers timers;
    FakeSocket socket;
    FakeStreamSocket bannerSocket;
    FakeEventLoop eventLoop;
    RecordingTray tray;
    RecordingSound sound;
    ScriptedDialogs dialogs;
    FakeShell shell;
    FakeFileSystem files;
    FakeAutostart autostart;
    IsoDateTimeFormat dateTime;
    RecordingFloater floater;
    RecordingSettingsWindow settingsWindow;
    RecordingTrayMenu trayMenu;
    RecordingGameListView gameListView;
    RecordingGameWindowView gameWindowView;
    std::unique_ptr<Setup> setup;

    explicit FakeController(ServerAddress server = {"games.example", 3819}) {
        setup = std::make_unique<Setup>(
            Platform{socket, timers, timers, eventLoop, tray, sound, dialogs, shell, files,
                     autostart, dateTime, bannerSocket},
            server);
        Views& v = setup->views();
        v.floater = &floater;
        v.settings = &settingsWindow;
        v.trayMenu = &trayMenu;
        setup->gameList().Attach(&gameListView);
        setup->gameWindow().Attach(&gameWindowView);
        setup->prefs.SoundFile = "/sounds/chime.wav";
    }

    // Text of the datagrams sent since the last call, in order.
    std::vector<std::string> TakeSent() {
        std::vector<std::string> out;
        out.swap(socket.sent);
        return out;
    }

    // Logs in as a guest: the login line, then the server's answer.
    void LoginAsGuest(const std::string& update = "update:0,0,5,0,09Dec26120000\r") {
        setup->Connect();
        socket.Receive("guest: guest42,abc123\r" + update);
    }
};

}  // namespace qc::fakes
