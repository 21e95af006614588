#include <gtest/gtest.h>

#include "client/core/protocol/dispatcher.h"
#include "client/core/protocol/status_update.h"
#include "client/core/text.h"
#include "tests/fakes/controller_fixture.h"

namespace qc {
namespace {

using fakes::FakeController;
using platform::MessageAnswer;
using platform::MessageButtons;
using platform::TrayPicture;

std::vector<std::string> BoxTexts(const FakeController& fc) {
    std::vector<std::string> out;
    for (const auto& b : fc.dialogs.boxes) {
        out.push_back(b.text);
    }
    return out;
}

TEST(Framing, CompleteLinesAreHandledAndTheRestWaits) {
    FakeController fc;
    fc.setup->Connect();
    fc.TakeSent();
    fc.socket.Receive("guest: guest42,abc\rupdate:0,0,3,0,09Dec26120000\rping\rmsg: hel");
    EXPECT_EQ(fc.setup->status().State(), 1);
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    EXPECT_TRUE(fc.dialogs.boxes.empty());
    EXPECT_EQ(fc.setup->receive.RcvBuffer, "msg: hel");
    fc.socket.Receive("lo\r");
    EXPECT_EQ(BoxTexts(fc), std::vector<std::string>{"hello"});
}

TEST(Framing, CrLfLeavesTheLineFeedOnTheNextLine) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    // "\nping" matches nothing, so no pong goes out.
    fc.socket.Receive("msg: one\r\nping\r");
    EXPECT_TRUE(fc.socket.sent.empty());
    // Inside a list, "\n." is a record, not the end.
    fc.socket.Receive("opphistory:\r\n.\rbob\r.\r");
    EXPECT_EQ(fc.setup->lobbyLists.OppHistoryData, (std::vector<std::string>{"\n.", "bob"}));
    EXPECT_EQ(fc.setup->receive.Mode, protocol::RcvMode::None);
}

TEST(Framing, OverlongLineIsDroppedAndTheBufferResumesAtTheNextCr) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    const std::string chunk(40 * 1024, 'x');
    fc.socket.Receive(chunk);
    fc.socket.Receive(chunk);  // 80 KiB without a CR
    EXPECT_LE(fc.setup->receive.RcvBuffer.size(), protocol::kMaxLineBytes);
    fc.socket.Receive(chunk + "\rping\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    // A long line that arrives whole with its CR is dropped as well.
    fc.socket.Receive(std::string(70 * 1024, 'y') + "\rping\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    EXPECT_TRUE(fc.setup->receive.RcvBuffer.empty());
}

TEST(Update, FirstUpdateLogsInWithTheStatusText) {
    FakeController fc;
    fc.setup->Connect();
    fc.socket.Receive("update:0,0,3,0,09Dec26120000\r");
    EXPECT_EQ(fc.setup->status().State(), 1);
    EXPECT_EQ(fc.tray.Last().picture, TrayPicture::Red);
    EXPECT_EQ(fc.tray.Last().tip, "QVID: guest\r\nGames: 0/3\r\nRequests: 0\r\nYour move: 0");
    EXPECT_EQ(fc.floater.tooltip, "QVID: guest   Games: 0/3   Requests: 0   Your move: 0");
    EXPECT_TRUE(fc.sound.calls.empty());
}

TEST(Update, StateAndSoundTable) {
    struct Case {
        std::int16_t previous;
        std::string fields;
        std::int16_t state;
        bool sound;
    };
    const std::vector<Case> cases = {
        {0, "0,0,5,0", 1, false}, {1, "0,1,5,1", 2, true},  {2, "0,1,5,1", 2, false},
        {3, "1,1,5,2", 2, true},  {2, "1,1,5,0", 3, false}, {1, "1,1,5,0", 3, true},
        {0, "2,0,5,0", 3, true},  {3, "1,0,5,0", 3, false}, {2, "0,0,5,0", 1, false},
    };
    for (const auto& c : cases) {
        FakeController fc;
        fc.LoginAsGuest();
        fc.setup->SetState(c.previous, "");
        fc.sound.calls.clear();
        fc.socket.Receive("update:" + c.fields + ",09Dec26120000\r");
        EXPECT_EQ(fc.setup->status().State(), c.state) << c.previous << " " << c.fields;
        EXPECT_EQ(!fc.sound.calls.empty(), c.sound) << c.previous << " " << c.fields;
    }
}

TEST(Update, SoundCommandsAndTheirClose) {
    FakeController fc;
    fc.LoginAsGuest();
    // Two lines in one datagram: only the first starts the sound.
    fc.socket.Receive("update:0,1,5,1,09Dec26120000\rupdate:0,1,5,1,09Dec26120000\r");
    EXPECT_EQ(fc.sound.calls, (std::vector<std::string>{"open /sounds/chime.wav", "play"}));
    fc.timers.Advance(4'999);
    EXPECT_EQ(fc.sound.calls.size(), 2u) << "the sound stays open for five seconds";
    fc.timers.Advance(1);
    EXPECT_EQ(fc.sound.calls.back(), "close");
    EXPECT_FALSE(fc.setup->CloseSoundTimer().Enabled());

    FakeController quiet;
    quiet.setup->prefs.PlaySound = false;
    quiet.LoginAsGuest("update:0,1,5,1,09Dec26120000\r");
    EXPECT_EQ(quiet.setup->status().State(), 2);
    EXPECT_TRUE(quiet.sound.calls.empty());
}

TEST(Update, CountersTable) {
    struct Row {
        const char* name;
        std::string line;
        std::int16_t reqs, games, yourMove;
        float slots;
        std::int32_t timeDiff;
    };
    // The counters before each line: what a field that cannot be read keeps.
    protocol::StatusCounters before;
    before.Reqs = 7;
    before.Games = 8;
    before.NumYourMove = 9;
    before.Slots = 10;
    before.TimeDiff = 11;
    const platform::CivilTime now{2026, 12, 9, 12, 0, 0};
    const std::vector<Row> rows = {
        {"every field", "update:2,3,5.5,1,09Dec26115830", 2, 3, 1, 5.5f, 90},
        {"upper case, blanks", "UPDATE: 1 , 2,7,0,09Dec26120000", 1, 2, 0, 7, 0},
        {"fractions round half to even", "update:2.5,3.5,5,0.5,x", 2, 4, 0, 5, 11},
        {"out of range keeps", "update:99999,1,5,0,x", 7, 1, 0, 5, 11},
        {"no comma: later fields read the line's start", "update:4", 4, 0, 0, 0, 11},
        {"text reads as zero", "update:abc,,-3,1", 0, 0, 1, -3, 11},
        {"server ahead", "update:0,0,5,0,10Dec26000000", 0, 0, 0, 5, -12 * 3600},
        {"no such date keeps the difference", "update:0,0,5,0,31Feb26000000", 0, 0, 0, 5, 11},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        const protocol::StatusCounters k = protocol::ReadUpdateCounters(r.line, before, now);
        EXPECT_EQ(k.Reqs, r.reqs);
        EXPECT_EQ(k.Games, r.games);
        EXPECT_EQ(k.NumYourMove, r.yourMove);
        EXPECT_FLOAT_EQ(k.Slots, r.slots);
        EXPECT_EQ(k.TimeDiff, r.timeDiff);
    }
}

TEST(Update, DecideStatusTable) {
    struct Row {
        const char* name;
        std::int16_t reqs, yourMove, previous;
        protocol::StatusChange expected;
    };
    const std::vector<Row> rows = {
        {"nothing waits", 0, 0, 2, {1, false}},
        {"a move starts waiting", 0, 1, 1, {2, true}},
        {"a move still waits", 0, 1, 2, {2, false}},
        {"a move after a request", 1, 2, 3, {2, true}},
        {"a request after a move", 1, 0, 2, {3, false}},
        {"a request starts waiting", 1, 0, 1, {3, true}},
        {"a request at login", 2, 0, 0, {3, true}},
        {"a request still waits", 1, 0, 3, {3, false}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        protocol::StatusCounters c;
        c.Reqs = r.reqs;
        c.NumYourMove = r.yourMove;
        EXPECT_EQ(protocol::DecideStatus(c, r.previous), r.expected);
    }
}

TEST(Update, TheTooltipShowsTheCounters) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"update:2,3,5.5,1,09Dec26120000",
         "QVID: guest42\r\nGames: 3/5\r\nRequests: 2\r\nYour move: 1"},
        {"update:abc,,-3,1", "QVID: guest42\r\nGames: 0/-3\r\nRequests: 0\r\nYour move: 1"},
    };
    for (const auto& [line, tip] : cases) {
        FakeController fc;
        fc.LoginAsGuest();
        fc.socket.Receive(line + "\r");
        EXPECT_EQ(fc.tray.Last().tip, tip) << line;
    }
}

TEST(Update, TimeDiffIsLocalMinusServer) {
    FakeController fc;
    fc.timers.SetLocalTime({2026, 12, 9, 12, 0, 0});
    fc.LoginAsGuest("update:0,0,5,0,09Dec26115830\r");
    EXPECT_EQ(fc.setup->counters.TimeDiff, 90);
    fc.socket.Receive("update:0,0,5,0,10Dec26000000\r");
    EXPECT_EQ(fc.setup->counters.TimeDiff, -12 * 3600);
    // Not a timestamp: the previous difference stays.
    fc.socket.Receive("update:0,0,5,0,31Feb26000000\r");
    EXPECT_EQ(fc.setup->counters.TimeDiff, -12 * 3600);
}

TEST(Update, SendsTheHeldCommandAndRefreshesShownWindows) {
    FakeController fc;
    fc.setup->login.OnConnect = "settings 1,1,1,0,0,0,0";
    fc.setup->game.GameID = "4711";
    fc.setup->gameWindow().Show();
    fc.LoginAsGuest();
    EXPECT_EQ(fc.TakeSent(), (std::vector<std::string>{
                                 "guest connect v1.20 *\r", "guest42 settings 1,1,1,0,0,0,0\r",
                                 "guest42 opengames\r", "guest42 game 4711\r"}));
    EXPECT_TRUE(fc.setup->login.OnConnect.empty());

    fc.setup->gameList().Show();
    fc.socket.Receive("update:0,0,5,0,x\r");
    EXPECT_EQ(fc.TakeSent(),
              (std::vector<std::string>{"guest42 gamelist\r", "guest42 game 4711\r"}));

    // Closed windows ask for nothing.
    fc.setup->gameList().Unload();
    fc.setup->gameWindow().Unload();
    fc.socket.Receive("update:0,0,5,0,x\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{});
    EXPECT_FALSE(fc.gameWindowView.open);
}

TEST(Lists, RecordsHeadersAndEndActions) {
    FakeController fc;
    fakes::RecordingListWindow scoreboard, publicReqs;
    fakes::RecordingRequestWindow requestWin;
    for (auto* w : {&scoreboard, &publicReqs}) {
        w->Show();
    }
    requestWin.Show();
    fc.setup->gameWindow().Show();
    auto& v = fc.setup->views();
    v.lobby.scoreboard = &scoreboard;
    v.lobby.publicReqs = &publicReqs;
    v.lobby.requestWin = &requestWin;
    fc.setup->gameList().Show();
    fc.LoginAsGuest();
    fc.TakeSent();

    // The game list is refreshed once, when the last of its lists ends.
    const int renders = fc.gameListView.renders;
    fc.socket.Receive(
        "opengames:\r11,bob,,1,05Dec26153012\r.\rclosedgames:\r.\rrequestsfor:\r\r.\r"
        "requestsby:\r78,,,w,2,ww\r");
    EXPECT_EQ(fc.gameListView.renders, renders);
    fc.socket.Receive("79,frank,,w,1,d\r.\r");
    EXPECT_EQ(fc.gameListView.renders, renders + 1);
    EXPECT_EQ(fc.gameListView.state.grids[lobby::kOpenGrid].rows.size(), 1u);
    EXPECT_EQ(fc.gameListView.state.grids[lobby::kByGrid].rows.size(), 2u);
    fc.socket.Receive("scoreboard:\rx\r.\rpublicreqs:\r.\ropphistory:\rbob\rcarol\r.\r");
    EXPECT_EQ(scoreboard.updates, 1);
    EXPECT_EQ(publicReqs.updates, 1);
    EXPECT_EQ(requestWin.updates, 1);
    EXPECT_EQ(fc.setup->lobbyLists.OppHistoryData, (std::vector<std::string>{"bob", "carol"}));

    fc.socket.Receive("movelog:\rwpe2e4 e4\rbpe7e5 e5\r.\rchat:\ralice: hi, there\r\r.\r");
    EXPECT_EQ(fc.setup->game.MoveLogLines, (std::vector<std::string>{"wpe2e4 e4", "bpe7e5 e5"}));
    EXPECT_EQ(fc.setup->game.ChatText, "alice: hi, there\r\n\r\n");
    EXPECT_EQ(fc.gameWindowView.state.chatText, "alice: hi, there\r\n\r\n");

    fc.socket.Receive("gametypes:\rAtomic\rCrazyhouse\r.\r");
    EXPECT_EQ(fc.setup->lobbyLists.GameTypes, "Standard;Chess960;Atomic;Crazyhouse");
    fc.socket.Receive("GameTypes: Losers;Suicide\r");
    EXPECT_EQ(fc.setup->lobbyLists.GameTypes, "Standard;Chess960;Losers;Suicide");
    EXPECT_TRUE(fc.socket.sent.empty());
}

TEST(Lists, MessagesInsideAListAreRecords) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.socket.Receive("opphistory:\rping\rscoreboard:\rupdate:9,9,9,9,x\r.\r");
    EXPECT_TRUE(fc.socket.sent.empty());
    EXPECT_EQ(fc.setup->counters.Reqs, 0);
    EXPECT_EQ(fc.setup->lobbyLists.OppHistoryData,
              (std::vector<std::string>{"ping", "scoreboard:", "update:9,9,9,9,x"}));
    // An empty line outside a list is ignored.
    fc.socket.Receive("\rping\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
}

TEST(Lists, AnUnfinishedListIsAbandonedAfterTwentySeconds) {
    fakes::RecordingRequestWindow requestWin;
    FakeController fc;
    requestWin.Show();
    fc.setup->views().lobby.requestWin = &requestWin;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.socket.Receive("opphistory:\rbob\r");
    fc.timers.Advance(19'999);
    fc.socket.Receive("ping\r");
    EXPECT_TRUE(fc.socket.sent.empty());
    fc.timers.Advance(1);
    EXPECT_EQ(fc.setup->receive.Mode, protocol::RcvMode::None);
    fc.socket.Receive("ping\r.\r");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    EXPECT_EQ(requestWin.updates, 0);
    EXPECT_EQ(fc.setup->lobbyLists.OppHistoryData, (std::vector<std::string>{"bob", "ping"}));
}

TEST(Notices, MessageTexts) {
    struct Case {
        std::string line;
        std::string box;
    };
    const std::vector<Case> cases = {
        {"msg: Server restarts at noon", "Server restarts at noon"},
        {"MSG: Shouting", "Shouting"},
        {"!slots", "Sorry, all of your game slots are currently in use."},
        {"!slotsX", "Sorry, all of your game slots are currently in use."},
        {"!slots James", "Sorry, all of James' slots are currently in use."},
        {"!slots JAMES", "Sorry, all of JAMES's slots are currently in use."},
        {"!slots anna", "Sorry, all of anna's slots are currently in use."},
        {"!guest", "Sorry, this request cannot be accepted by guests."},
        {"!GUEST", "Sorry, this request cannot be accepted by guests."},
        {"!noreq", "Sorry, request has been accepted by another user or cancelled."},
    };
    for (const auto& c : cases) {
        FakeController fc;
        fc.LoginAsGuest();
        fc.socket.Receive(c.line + "\r");
        EXPECT_EQ(BoxTexts(fc), std::vector<std::string>{c.box}) << c.line;
    }
    FakeController fc;
    fc.LoginAsGuest();
    fc.socket.Receive("!guests\r!noreq2\rhello\r\r");
    EXPECT_TRUE(fc.dialogs.boxes.empty());
}

TEST(Notices, WebNoticeOpensThePageOnYes) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.dialogs.answers = {MessageAnswer::Yes, MessageAnswer::No, MessageAnswer::Yes,
                          MessageAnswer::Yes};
    fc.socket.Receive(
        "msgweb: buyslots.html,Buy more slots?\r"
        "msgweb: buyslots.html,Again?\r"
        "msgweb: No comma here\r"
        "msgweb: http://elsewhere.example/x.html,Go, now?\r");
    EXPECT_EQ(BoxTexts(fc),
              (std::vector<std::string>{"Buy more slots?", "Again?", "No comma here", "Go, now?"}));
    EXPECT_EQ(fc.dialogs.boxes[0].buttons, MessageButtons::YesNo);
    EXPECT_EQ(fc.shell.Urls(), (std::vector<std::string>{"http://games.example/buyslots.html",
                                                         "http://elsewhere.example/x.html"}));
}

TEST(LoginRefused, StopsRetriesAndLeavesLaterLinesForTheNextDatagram) {
    struct Case {
        std::string line, tip, box;
        SettingsFocus focus;
    };
    const std::vector<Case> cases = {
        {"!w", "Quorvel Chess\r\nUnknown QVID", "The QVID you entered does not exist.",
         SettingsFocus::QvidSelectAll},
        {"!Password bad", "Quorvel Chess\r\nIncorrect password",
         "The password you entered is incorrect.", SettingsFocus::PasswordCleared},
    };
    for (const auto& c : cases) {
        FakeController fc;
        fc.setup->login.QVID = "alice";
        fc.setup->login.PWHash = "digest";
        fc.setup->Connect();
        fc.TakeSent();
        fc.socket.Receive(c.line + "\rmsg: later\r");
        EXPECT_EQ(fc.setup->status().State(), 0);
        EXPECT_EQ(fc.tray.Last().tip, c.tip);
        EXPECT_EQ(BoxTexts(fc), std::vector<std::string>{c.box});
        EXPECT_EQ(fc.settingsWindow.shown, std::vector<SettingsFocus>{c.focus});
        EXPECT_FALSE(fc.setup->PingTimer().Enabled());
        EXPECT_EQ(fc.setup->receive.RcvBuffer, "msg: later\r");
        fc.timers.Advance(3'600'000);
        EXPECT_TRUE(fc.socket.sent.empty());
        fc.socket.Receive("");
        EXPECT_EQ(fc.dialogs.boxes.back().text, "later");
        EXPECT_EQ(fc.setup->login.QVID, "alice");
        EXPECT_EQ(fc.setup->login.PWHash, "digest");
    }
}

TEST(Guest, StoresTheAssignedCredentialsAsSent) {
    FakeController fc;
    fc.setup->Connect();
    fc.socket.Receive("GUEST: Guest7,AbC,def\r");
    EXPECT_EQ(fc.setup->login.QVID, "Guest7");
    EXPECT_EQ(fc.setup->login.PWHash, "AbC,def");
    EXPECT_EQ(fc.setup->status().State(), 0);
    // Without the comma nothing usable came: the credentials stay.
    fc.socket.Receive("guest: broken\r");
    EXPECT_EQ(fc.setup->login.QVID, "Guest7");
    fc.socket.Receive("update:0,0,3,0,x\rupdate\r");
    EXPECT_EQ(fc.TakeSent().back(), "guest connect v1.20 *\r");
    fc.setup->Send("gamelist");
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"Guest7 gamelist\r"});
}

TEST(Ping, NotAnsweredWhileNotLoggedIn) {
    FakeController fc;
    fc.setup->Connect();
    fc.TakeSent();
    fc.socket.Receive("ping\r");
    EXPECT_TRUE(fc.socket.sent.empty());
}

TEST(Accepted, OpensTheGame) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.socket.Receive("Accepted: G-77x\r");
    EXPECT_EQ(fc.TakeSent(),
              (std::vector<std::string>{"guest42 opengames\r", "guest42 game G-77x\r"}));
    // The game becomes the current one when the server describes it.
    EXPECT_TRUE(fc.setup->game.GameID.empty());
}

// A message box keeps the event loop running: a datagram that arrives while
// it is open is handled at once, and the lines still waiting in the shared
// buffer are handled in order, once each.
TEST(Reentry, DatagramDuringAMessageBoxIsHandledInOrder) {
    FakeController fc;
    fc.LoginAsGuest();
    fc.TakeSent();
    fc.dialogs.whileOpen = [&] { fc.socket.Receive("msg: second\r"); };
    fc.socket.Receive("msg: first\rping\r");
    EXPECT_EQ(BoxTexts(fc), (std::vector<std::string>{"first", "second"}));
    EXPECT_EQ(fc.TakeSent(), std::vector<std::string>{"guest42 pong\r"});
    EXPECT_TRUE(fc.setup->receive.RcvBuffer.empty());
}

TEST(Routes, NoMessageShadowsAnother) {
    FakeController fc;
    const auto& messages = fc.setup->dispatcher().Messages();
    const auto& lists = fc.setup->dispatcher().Lists();
    EXPECT_EQ(lists.size(), 10u);
    // A route that a line for another route would also match makes the
    // table's order matter; none may.
    for (const auto& a : messages) {
        for (const auto& b : messages) {
            if (&a != &b && a.match == protocol::Match::Prefix) {
                EXPECT_FALSE(b.prefix.compare(0, a.prefix.size(), a.prefix) == 0)
                    << "'" << a.prefix << "' catches '" << b.prefix << "'";
            }
        }
        for (const auto& l : lists) {
            EXPECT_NE(a.prefix, l.header);
            if (a.match == protocol::Match::Prefix) {
                EXPECT_FALSE(l.header.compare(0, a.prefix.size(), a.prefix) == 0)
                    << "'" << a.prefix << "' catches the header '" << l.header << "'";
            }
        }
    }
}

TEST(Possessive, Table) {
    EXPECT_EQ(text::Possessive("James"), "James'");
    EXPECT_EQ(text::Possessive("Anna"), "Anna's");
    EXPECT_EQ(text::Possessive("JAMES"), "JAMES's");
    EXPECT_EQ(text::Possessive(""), "'s");
}

}  // namespace
}  // namespace qc
