#include "client/core/settings/lifecycle.h"
#include "client/core/protocol/commands.h"

#include "client/core/setup.h"

namespace qc::settings {

void StartUp(Setup& setup, const StartupEnvironment& env) {
    setup.ResetLists();
    setup.settingsPath = env.settingsPath;
    LoadedSettings loaded =
        LoadSettingsFile(setup.platform().files, env.settingsPath, env.screen, env.defaults);
    setup.prefs = std::move(loaded.settings);
    setup.login.QVID = std::move(loaded.qvid);
    setup.login.PWHash = std::move(loaded.pwHash);
    setup.AppRemember = loaded.appRemember;
    setup.prefs.RunOnStartUp = ReadRunOnStartUp(setup.platform().autostart);
    setup.counters.GameTypes = "Standard;Chess960";

    setup.trayIcon().SetIcon(platform::TrayPicture::Grey);
    setup.trayIcon().Add();
    Views& views = setup.views();
    if ((setup.prefs.ShowFloater || !env.trayAvailable) && views.floater != nullptr) {
        setup.status().EnsureFloaterLoaded();
        views.floater->SetVisible(true);
    }
    setup.SetState(protocol::kStateOffline,
                   std::string("Quorvel Chess") + protocol::kCrLf + "Connecting . . .");
    if (setup.prefs.OpenGameList && views.gameList != nullptr) {
        views.gameList->Show();
    }
    setup.Connect();
}

void Shutdown(Setup& setup) {
    setup.Send(protocol::cmd::Disconnect());
    // Each window stores its position as it unloads, before the save below.
    Views& views = setup.views();
    if (views.floater != nullptr) {
        views.floater->SetVisible(false);
    }
    for (WindowView* w :
         {static_cast<WindowView*>(views.gameList), static_cast<WindowView*>(views.gameWin),
          static_cast<WindowView*>(views.publicReqs), static_cast<WindowView*>(views.requestWin),
          static_cast<WindowView*>(views.scoreboard)}) {
        if (w != nullptr && w->IsLoaded()) {
            w->Unload();
        }
    }
    if (views.trayMenu != nullptr) {
        views.trayMenu->Unload();
    }
    if (!setup.AppRemember) {
        setup.login.PWHash.clear();
    }
    if (!setup.settingsPath.empty()) {
        SaveSettingsFile(setup.platform().files, setup.settingsPath, setup.prefs, setup.login.QVID,
                         setup.login.PWHash, setup.AppRemember);
    }
    SaveRunOnStartUp(setup.platform().autostart, setup.prefs.RunOnStartUp);
    setup.trayIcon().Remove();
    setup.platform().socket.Close();
}

}  // namespace qc::settings
