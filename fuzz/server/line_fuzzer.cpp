// Feeds arbitrary datagrams from four senders (two of them logged in) to a
// server core over an in-memory database, with clock ticks between them.
// Four games stand ready: 1 alice (white) against bob, 2 alice's local game,
// 3 bob (black) against the bot in Chess960, 4 bob (white) against alice with
// ten minutes a move.
// Opening a database is far slower than a run, so one core serves a batch
// of inputs before it is replaced. Input: datagrams separated by the two bytes FF FF; the first
// byte of each picks the sender (low two bits) and how far the clock moves (the rest).

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "client/core/account/password.h"
#include "client/core/game/game_messages.h"
#include "server/core/accounts.h"
#include "server/core/server_core.h"
#include "server/core/store.h"

namespace {

using namespace qc::server;

const qc::platform::CivilTime kClientNow{2026, 12, 10, 0, 0, 0};

// The client's readers of the game messages take whatever arrives.
void ReadAsClient(std::string_view line) {
    qc::game::GameFields fields;
    qc::game::ReadGameLine(line, fields, kClientNow);
    const std::string board = qc::game::ReadBoardLine(line);
    qc::game::BoardCells(board, "w");
    qc::game::BoardCells(board, "b");
    const std::string canMove = qc::game::ReadCanMoveLine(line);
    qc::game::CanMovePromotes(canMove, "e8");
}

void CheckLines(const std::vector<Outgoing>& out) {
    for (const Outgoing& o : out) {
        // A CR or LF inside a line would let one reply forge another.
        if (o.text.find('\r') != std::string::npos || o.text.find('\n') != std::string::npos) {
            __builtin_trap();
        }
        // The client takes the game line's fields by position: exactly 18.
        if (o.text.rfind("game: ", 0) == 0 && std::count(o.text.begin(), o.text.end(), ',') != 17) {
            __builtin_trap();
        }
        if (o.text.rfind("game: ", 0) == 0 || o.text.rfind("board: ", 0) == 0 ||
            o.text.rfind("canmove: ", 0) == 0) {
            ReadAsClient(o.text);
        }
    }
}

struct Harness {
    Harness() : store(":memory:") {
        config.utcTimestamps = true;
        // With addresses and mail on, the moves and requests also write
        // their notices.
        config.mailNotices = true;
        for (const char* name : {"alice", "bob"}) {
            NewAccount account;
            account.name = name;
            account.digest = qc::account::Swordfish(std::string(1, name[0]));
            account.email = std::string(name) + "@example.org";
            account.gameSlots = config.namedSlots;
            account.created = ToUnixSeconds(now);
            Store::Transaction tx(store);
            store.CreateAccount(account);
            tx.Commit();
        }
        config.botSeed = 1;
        core = std::make_unique<ServerCore>(store, config);
        const Endpoint alice{"127.0.0.1", 1};
        const Endpoint bob{"127.0.0.1", 2};
        core->HandleDatagram(alice, "alice connect v1.20 " + qc::account::Swordfish("a"), now);
        core->HandleDatagram(bob, "bob connect v1.20 " + qc::account::Swordfish("b"), now);
        core->HandleDatagram(alice, "alice request bob,,w,1,d,0,0,0,0", now);
        core->HandleDatagram(bob, "bob accept 1", now);
        core->HandleDatagram(alice, "alice request alice,,w,1,d,0,0,0", now);
        core->HandleDatagram(bob, "bob request Bot3,Chess960,b,1,h,0,0,0", now);
        core->HandleDatagram(bob, "bob request alice,,w,10,n,0,0,0,0", now);
        core->HandleDatagram(alice, "alice accept 2", now);
    }
    Store store;
    Config config;
    TimePoint now = FromUnixSeconds(1796859900);
    std::unique_ptr<ServerCore> core;
    int runs = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string aliceLogin = "alice connect v1.20 " + qc::account::Swordfish("a");
    static const std::string bobLogin = "bob connect v1.20 " + qc::account::Swordfish("b");
    static std::unique_ptr<Harness> harness;
    if (!harness || ++harness->runs > 200) {
        harness.reset();
        harness = std::make_unique<Harness>();
    }
    const Endpoint endpoints[4] = {{"127.0.0.1", 1}, {"127.0.0.1", 2}, {"10.0.0.1", 3}, {"::1", 4}};
    ServerCore& core = *harness->core;
    TimePoint& now = harness->now;
    now += std::chrono::minutes(2);  // a fresh rate allowance for every input
    core.HandleDatagram(endpoints[0], aliceLogin, now);
    core.HandleDatagram(endpoints[1], bobLogin, now);

    std::string_view input(reinterpret_cast<const char*>(data), size);
    int datagrams = 0;
    while (!input.empty() && datagrams++ < 64) {
        std::size_t end = input.find("\xFF\xFF");
        std::string_view chunk = input.substr(0, end);
        input = end == std::string_view::npos ? std::string_view() : input.substr(end + 2);
        if (chunk.empty()) {
            continue;
        }
        auto control = static_cast<unsigned char>(chunk.front());
        chunk.remove_prefix(1);
        const Endpoint& from = endpoints[control & 3u];
        unsigned step = control >> 2;
        if (step > 0) {
            now += std::chrono::seconds(step * step * 5);
            CheckLines(core.Tick(now));
        }
        ReadAsClient(chunk);
        CheckLines(core.HandleDatagram(from, chunk, now));
    }
    return 0;
}
