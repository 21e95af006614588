#include <gtest/gtest.h>

#include "client/core/desktop/status_display.h"
#include "client/core/desktop/tray_icon.h"
#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

using desktop::DecodeTrayMessage;
using desktop::MouseAction;
using desktop::TrayMouseEvent;
using fakes::FakeController;
using platform::TrayPicture;

TEST(TrayMessages, DecodeTable) {
    EXPECT_EQ(DecodeTrayMessage(512), std::nullopt);
    EXPECT_EQ(DecodeTrayMessage(519), std::nullopt);
    EXPECT_EQ(DecodeTrayMessage(513), (TrayMouseEvent{MouseAction::Down, 1}));
    EXPECT_EQ(DecodeTrayMessage(514), (TrayMouseEvent{MouseAction::Up, 1}));
    EXPECT_EQ(DecodeTrayMessage(515), (TrayMouseEvent{MouseAction::DoubleClick, 1}));
    EXPECT_EQ(DecodeTrayMessage(516), (TrayMouseEvent{MouseAction::Down, 2}));
    EXPECT_EQ(DecodeTrayMessage(517), (TrayMouseEvent{MouseAction::Up, 2}));
    EXPECT_EQ(DecodeTrayMessage(518), (TrayMouseEvent{MouseAction::DoubleClick, 2}));
}

TEST(TrayIcon, OwnerMouseMoveRaisesEventsOnlyWithYZero) {
    fakes::RecordingTray shell;
    desktop::TrayIcon icon(shell);
    std::vector<std::string> events;
    icon.MouseDown = [&](int b) { events.push_back("down" + std::to_string(b)); };
    icon.MouseUp = [&](int b) { events.push_back("up" + std::to_string(b)); };
    icon.MouseDblClick = [&](int b) { events.push_back("dbl" + std::to_string(b)); };
    icon.OwnerMouseMove(513 * 15, 0, 15);
    icon.OwnerMouseMove(514 * 15 + 7, 0, 15);  // rounds to 514
    icon.OwnerMouseMove(515 * 15, 15, 15);     // Y not 0: ignored
    icon.OwnerMouseMove(518 * 15, 0, 15);
    icon.OwnerMouseMove(519 * 15, 0, 15);
    EXPECT_EQ(events, (std::vector<std::string>{"down1", "up1", "dbl2"}));
    EXPECT_EQ(icon.LastMessage(), 519);
}

TEST(TrayIcon, EventsDoNotReenterWhileOneIsRaised) {
    fakes::RecordingTray shell;
    desktop::TrayIcon icon(shell);
    int ups = 0;
    icon.MouseUp = [&](int) {
        ++ups;
        icon.Deliver(514);  // nested message processing
    };
    icon.Deliver(514);
    EXPECT_EQ(ups, 1);
    icon.Deliver(514);
    EXPECT_EQ(ups, 2);
}

TEST(TrayIcon, StateAndTooltipCut) {
    fakes::RecordingTray shell;
    desktop::TrayIcon icon(shell);
    EXPECT_EQ(icon.State(), 0);
    const std::string seventy(70, 'x');
    icon.SetTooltip(seventy);
    EXPECT_EQ(icon.Tooltip(), seventy);
    icon.Add();
    EXPECT_EQ(icon.State(), 1);
    EXPECT_EQ(shell.Last().tip, std::string(63, 'x'));
    icon.SetTooltip(std::string("ab\0cd", 5));
    shell.fail = true;  // results are ignored
    icon.Modify();
    EXPECT_EQ(icon.State(), 2);
    EXPECT_EQ(shell.Last().tip, "ab");
    icon.Remove();
    EXPECT_EQ(icon.State(), 0);
    EXPECT_EQ(shell.calls.back().op, "delete");
}

TEST(SetState, PictureTableAndTooltips) {
    struct Case {
        std::int16_t state;
        TrayPicture picture;
    };
    for (const auto& c :
         {Case{0, TrayPicture::Grey}, Case{1, TrayPicture::Red}, Case{2, TrayPicture::Green},
          Case{3, TrayPicture::Amber}, Case{7, TrayPicture::Grey}, Case{-1, TrayPicture::Grey}}) {
        FakeController fc;
        fc.setup->SetState(c.state, "Quorvel Chess\r\nA\r\nB");
        EXPECT_EQ(fc.setup->status().State(), c.state);
        EXPECT_EQ(fc.tray.Last().picture, c.picture);
        EXPECT_EQ(fc.floater.picture, c.picture);
        EXPECT_EQ(fc.tray.Last().tip, "Quorvel Chess\r\nA\r\nB");
        EXPECT_EQ(fc.floater.tooltip, "Quorvel Chess   A   B");
        EXPECT_EQ(fc.tray.calls.back().op, "modify");
    }
}

TEST(Floater, FirstStateLoadsItAtTheSavedPositionWithoutShowingIt) {
    FakeController fc;
    fc.setup->prefs.FloaterX = 1234;
    fc.setup->prefs.FloaterY = 567;
    fc.setup->prefs.FloaterTop = true;
    fc.setup->SetState(0, "x");
    fc.setup->SetState(1, "y");
    EXPECT_EQ(fc.floater.moves, 1);
    EXPECT_EQ(fc.floater.left, 1234);
    EXPECT_EQ(fc.floater.top, 567);
    EXPECT_TRUE(fc.floater.topmost);
    EXPECT_FALSE(fc.floater.visible);
}

TEST(Floater, DragMovesByTheMouseDeltaUnlessLocked) {
    FakeController fc;
    fc.setup->prefs.FloaterX = 3000;
    fc.setup->prefs.FloaterY = 2000;
    fc.setup->SetState(0, "x");
    fc.setup->FloaterMouseDown(1, 100, 200);
    fc.setup->FloaterMouseMove(400, 350);
    EXPECT_EQ(fc.setup->prefs.FloaterX, 3300);
    EXPECT_EQ(fc.setup->prefs.FloaterY, 2150);
    EXPECT_EQ(fc.floater.left, 3300);

    fc.setup->FloaterMouseUp(1);  // ends the drag and refreshes
    fc.setup->FloaterMouseMove(900, 900);
    EXPECT_EQ(fc.setup->prefs.FloaterX, 3300);
    EXPECT_TRUE(fc.setup->ConnectTimer().Enabled());

    fc.setup->FloaterMouseDown(2, 0, 0);  // right button: no drag
    fc.setup->FloaterMouseMove(50, 50);
    EXPECT_EQ(fc.setup->prefs.FloaterX, 3300);

    fc.setup->prefs.FloaterLock = true;
    fc.setup->FloaterMouseDown(1, 0, 0);
    fc.setup->FloaterMouseMove(300, 150);
    EXPECT_EQ(fc.setup->prefs.FloaterX, 3300);
    EXPECT_EQ(fc.setup->prefs.FloaterY, 2150);
}

TEST(Floater, AlwaysOnTopFollowsTheSettingAndKeepsThePosition) {
    FakeController fc;
    fc.setup->prefs.FloaterTop = false;
    fc.setup->SetState(0, "x");
    EXPECT_FALSE(fc.floater.topmost);
    const int moves = fc.floater.moves;
    fc.setup->prefs.FloaterTop = true;
    fc.setup->status().AlwaysOnTop();
    EXPECT_TRUE(fc.floater.topmost);
    EXPECT_EQ(fc.floater.moves, moves);
}

}  // namespace
}  // namespace qc
