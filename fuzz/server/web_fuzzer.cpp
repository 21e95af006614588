// Feeds arbitrary request targets to the web site over an in-memory store
// with players (one with a hostile name), ended and running games and chat.
// Input: the first byte picks the method, the rest is the target; a '?'
// splits it into path and query as the HTTP server does.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "server/core/accounts.h"
#include "server/core/store.h"
#include "server/web/site.h"

namespace {

using namespace qc::server;

constexpr std::int64_t kNow = 1796859900;

struct Harness {
    Harness() : store(":memory:"), site(store, config, [] { return kNow; }) {
        config.extraGameTypes = {"Blitz Club"};
        const TimePoint at = FromUnixSeconds(kNow);
        AddNamedAccount(store, config, "alice", "a", at);
        AddNamedAccount(store, config, "bob", "b", at);
        NewAccount odd;
        odd.name = "<script>x\xE9\x81";
        odd.digest = "d";
        odd.created = kNow;
        const std::int64_t hostile = store.CreateAccount(odd);
        const std::int64_t alice = store.FindAccount("alice")->id;
        const std::int64_t bob = store.FindAccount("bob")->id;
        const std::int64_t bot = store.FindAccount("Bot")->id;
        const std::int64_t players[][2] = {
            {alice, bob}, {bob, hostile}, {alice, alice}, {bot, alice}};
        for (int i = 0; i < 12; ++i) {
            const auto [white, black] = players[i % 4];
            NewGame g{white,
                      black,
                      i % 3 == 0 ? "Chess960" : "",
                      1 + i,
                      i % 2 ? "h" : "d",
                      kNow - 1000 * i,
                      kNow + 1000 * i,
                      i % 3 == 0 ? "bqnbrkrn/pppppppp/8/8/8/8/PPPPPPPP/BQNBRKRN w GEge - 0 1" : ""};
            const std::int64_t id = store.AddGame(g);
            store.RecordMoves(id, i % 3 == 0 ? "d2d4 d7d5" : "e2e4 e7e5 g1f3 x9y9", 'w', kNow, 0);
            if (i % 2 == 0) {
                store.EndGame(id, static_cast<GameResult>(1 + i % 3), kNow - i, "checkmate");
            }
            store.AddChat(id, "alice", "<private>", kNow, 200);
        }
        tour = site.Handle("GET", "/knightstour.html", "").body;
    }
    Config config;
    Store store;
    web::Site site;
    std::string tour;
};

bool ValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) {
            return false;
        }
        for (std::size_t k = 1; k < n; ++k) {
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Harness* h = new Harness();
    if (size == 0) {
        return 0;
    }
    static const char* kMethods[] = {"GET", "HEAD", "POST", "OTHER"};
    const std::string_view method = kMethods[data[0] & 3];
    const std::string_view target(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t q = target.find('?');
    const std::string_view path = target.substr(0, q);
    const std::string_view query = q == std::string_view::npos ? "" : target.substr(q + 1);
    const qc::server::web::Response r = h->site.Handle(method, path, query);

    const int s = r.status;
    if (s != 200 && s != 400 && s != 404 && s != 405 && s != 503) {
        __builtin_trap();
    }
    if (r.contentType.empty() || !ValidUtf8(r.body)) {
        __builtin_trap();
    }
    if (r.contentType.rfind("text/html", 0) == 0) {
        if (r.body.rfind("<!DOCTYPE html>\n", 0) != 0 ||
            r.body.find("</html>\n") == std::string::npos) {
            __builtin_trap();
        }
        // Markup comes from the site alone: only the puzzle page has a script,
        // and no page shows chat.
        if ((r.body.find("<script") != std::string::npos && r.body != h->tour) ||
            r.body.find("<private>") != std::string::npos) {
            __builtin_trap();
        }
    }
    return 0;
}
