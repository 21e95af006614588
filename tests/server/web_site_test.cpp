// The web site's pages over an in-memory store with a few players and games.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "chess/notation.h"
#include "client/core/lobby/new_game_forms.h"
#include "server/core/accounts.h"
#include "server/core/store.h"
#include "server/web/site.h"

namespace qc::server::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

constexpr std::int64_t kNow = 1796859900;  // 9 December 2026, 23:45 UTC
const std::string kSecretChat = "meet me at the old mill";

// Plays coordinate moves from a start and returns them joined, as the game
// service stores them; fails the test on an illegal one.
std::string Moves(const std::vector<std::string>& moves, chess::Position pos = {}) {
    std::string joined;
    for (const std::string& m : moves) {
        chess::MoveParse parsed = chess::parseMoveCommand(pos, m);
        EXPECT_TRUE(parsed.ok()) << m << ": " << parsed.error;
        if (!parsed.ok()) {
            break;
        }
        pos.makeMove(parsed.move);
        joined += (joined.empty() ? "" : " ") + m;
    }
    return joined;
}

class WebSiteTest : public ::testing::Test {
  protected:
    WebSiteTest() : store(":memory:"), site(store, MakeConfig(), [] { return kNow; }) {}

    static const Config& MakeConfig() {
        static Config config = [] {
            Config c;
            c.extraGameTypes = {"Blitz Club"};
            return c;
        }();
        return config;
    }

    void SetUp() override {
        const TimePoint at = FromUnixSeconds(kNow - 86400 * 10);
        for (const char* name : {"alice", "bob", "carol"}) {
            ASSERT_EQ(AddNamedAccount(store, MakeConfig(), name, "pw", at),
                      AddAccountResult::Added);
        }
        alice = store.FindAccount("alice")->id;
        bob = store.FindAccount("bob")->id;
        carol = store.FindAccount("carol")->id;
        // A name the protocol would refuse, as an old or hand-edited
        // database might hold it: markup and a Windows-1252 letter.
        NewAccount odd;
        odd.name = "<b>x\xE9</b>";
        odd.digest = "d";
        odd.gameSlots = 5;
        odd.created = kNow;
        hostile = store.CreateAccount(odd);
        bot = store.FindAccount("Bot3")->id;

        // 1: alice (white) mates bob, with chat between them.
        foolsMate = AddEnded(bob, alice, {"f2f3", "e7e5", "g2g4", "d8h4"}, GameResult::BlackWins,
                             "checkmate", kNow - 5000);
        store.AddChat(foolsMate, "bob", kSecretChat, kNow - 4000, 200);
        // 2: alice and carol agree a draw; 3: alice loses to the bot on time.
        AddEnded(alice, carol, {"e2e4", "e7e5"}, GameResult::Draw, "agreed draw", kNow - 4000);
        AddEnded(alice, bot, {"d2d4"}, GameResult::BlackWins, "lost on time", kNow - 3000);
        // 4: the hostile name resigns against alice.
        AddEnded(hostile, alice, {"e2e4"}, GameResult::BlackWins, "white resigned", kNow - 2000);
        // 5: alice's running game against bob, bob to move.
        NewGame running{alice, bob, "", 3, "d", kNow - 100, kNow + 86400, ""};
        runningGame = store.AddGame(running);
        store.RecordMoves(runningGame, Moves({"e2e4"}), 'b', kNow + 86400, 0);
    }

    std::int64_t AddEnded(std::int64_t white, std::int64_t black,
                          const std::vector<std::string>& moves, GameResult result,
                          const std::string& phrase, std::int64_t endedAt) {
        NewGame g{white, black, "", 1, "d", endedAt - 600, endedAt, ""};
        const std::int64_t id = store.AddGame(g);
        store.RecordMoves(id, Moves(moves), moves.size() % 2 ? 'b' : 'w', endedAt, 0);
        store.EndGame(id, result, endedAt, phrase);
        return id;
    }

    web::Response Get(const std::string& target) {
        const std::size_t q = target.find('?');
        return site.Handle("GET", target.substr(0, q),
                           q == std::string::npos ? "" : target.substr(q + 1));
    }

    Store store;
    web::Site site;
    std::int64_t alice = 0, bob = 0, carol = 0, hostile = 0, bot = 0;
    std::int64_t foolsMate = 0, runningGame = 0;
};

struct PageCase {
    std::string target;
    int status;
    std::string contentType;
    std::vector<std::string> shows;
};

TEST_F(WebSiteTest, EveryPageAnswersWithItsFacts) {
    const std::string html = "text/html; charset=utf-8";
    const std::vector<PageCase> cases = {
        {"/", 200, html, {"<!DOCTYPE html>", "scoreboard.html", "knightstour.html"}},
        {"/index.html", 200, html, {"variants.html", "help.html", "settings/personal.html"}},
        {"/style.css", 200, "text/css; charset=utf-8", {"body{"}},
        // alice: 1 win over bob, 1 draw with carol (players), 1 loss to the
        // bot, 1 win over the hostile name; her running game against bob.
        {"/stats.html?qvid=alice",
         200,
         html,
         {"Statistics of alice",
          "<td>Standard</td><td class=\"n\">3</td><td class=\"n\">2</td><td "
          "class=\"n\">0</td><td class=\"n\">1</td><td class=\"n\">67%</td>",
          "<td>Standard against the bot</td><td class=\"n\">1</td><td class=\"n\">0</td><td "
          "class=\"n\">1</td>",
          "<th>All against players</th><td class=\"n\">3</td>",
          "<th>All, the bot included</th><td class=\"n\">4</td><td class=\"n\">2</td><td "
          "class=\"n\">1</td><td class=\"n\">1</td><td class=\"n\">50%</td>",
          "Rank 1 of 4 on the scoreboard (new", "bob (Black)", "<td>2026-12-10 23:45</td>",
          "game/5.html", "history.html?qvid=alice", "scoreboard.html"}},
        // Names are matched as the store does, without regard to case.
        {"/stats.html?qvid=ALICE", 200, html, {"Statistics of alice"}},
        {"/stats.html?qvid=Bot3", 200, html, {"the server's bot", "the bot", "1</td>"}},
        {"/history.html?qvid=alice",
         200,
         html,
         {"Game history of alice", "Won by resignation", "Lost on time", "Drawn by agreement",
          "Won by checkmate", "game/1.html", "game/1.pgn",
          "2026-12-09<span class=\"wide\"> 22:21</span>"}},
        {"/history.html?qvid=alice&page=2", 200, html, {"No games on this page", "Newer games"}},
        {"/scoreboard.html",
         200,
         html,
         {"Scoreboard", "stats.html?qvid=alice", "stats.html?qvid=bob", "stats.html?qvid=carol"}},
        {"/game/1.html",
         200,
         html,
         {"Game 1: bob vs alice", "0-1, Black won by checkmate", "<td>f3</td><td>e5</td>",
          "<td>g4</td><td>Qh4#</td>", "1.pgn", "../stats.html?qvid=bob", "../stats.html?qvid=alice",
          "1 day a move", "../variants.html#standard"}},
        {"/game/5.html", 200, html, {"Black (bob) to move, by 2026-12-10 23:45 UTC", "e4"}},
        {"/game/1.pgn",
         200,
         "application/x-chess-pgn",
         {"[White \"bob\"]", "[Black \"alice\"]", "[Result \"0-1\"]", "1. f3 e5 2. g4 Qh4#"}},
        {"/game/5.pgn", 200, "application/x-chess-pgn", {"[Result \"*\"]", "1. e4 *"}},
        {"/variants.html",
         200,
         html,
         {"id=\"standard\"", "id=\"chess960\"", "id=\"blitzclub\"", "Blitz Club"}},
        {"/help.html", 200, html, {"Bot1", "Bot10", "My Stats"}},
        {"/knightstour.html", 200, html, {"kt-board", "<script>"}},
        {"/buyslots.html", 200, html, {"--set-slots", "5 slots", "guest 3"}},
        {"/buytexts.html", 200, html, {"no text messages"}},
        {"/disclaimer.html", 200, html, {"without any warranty"}},
        {"/terms.html", 200, html, {"Terms of use"}},
        {"/settings/personal.html", 200, html, {"administrator", "../style.css"}},
        // Errors, each a page that says what is wrong.
        {"/stats.html", 400, html, {"?qvid=alice"}},
        {"/stats.html?qvid=", 400, html, {"Which player?"}},
        {"/history.html?qvid=" + std::string(65, 'a'), 400, html, {"too long"}},
        {"/history.html?qvid=alice&page=0", 400, html, {"1 to 100"}},
        {"/history.html?qvid=alice&page=101", 400, html, {"1 to 100"}},
        {"/history.html?qvid=alice&page=x", 400, html, {"1 to 100"}},
        {"/stats.html?qvid=%zz", 400, html, {"malformed"}},
        {"/stats.html?qvid=nobody", 404, html, {"There is no player <strong>nobody</strong>"}},
        // Bytes that are not UTF-8 are not echoed as they came.
        {"/stats.html?qvid=%80%FFbob", 404, html, {"There is no player <strong>??bob</strong>"}},
        {"/game/abc.html", 400, html, {"whole number"}},
        {"/game/0.html", 400, html, {"whole number"}},
        {"/game/-1.pgn", 400, html, {"whole number"}},
        {"/game/99999999999999999999.html", 400, html, {"whole number"}},
        {"/game/999.html", 404, html, {"no game 999"}},
        {"/game/999.pgn", 404, html, {"no game 999"}},
        {"/game/1", 404, html, {"no such page", "href=\"../index.html\""}},
        {"/nothing.html", 404, html, {"no such page"}},
        {"/" + std::string(600, 'a'), 404, html, {"no such page"}},
        {"/stats.html?" + std::string(2000, 'a'), 400, html, {"too long"}},
    };
    for (const PageCase& c : cases) {
        SCOPED_TRACE(c.target);
        const web::Response r = Get(c.target);
        EXPECT_EQ(r.status, c.status);
        EXPECT_EQ(r.contentType, c.contentType);
        for (const std::string& fact : c.shows) {
            EXPECT_THAT(r.body, HasSubstr(fact));
        }
        if (c.contentType == html) {
            EXPECT_THAT(r.body, StartsWith("<!DOCTYPE html>\n<html lang=\"en\">"));
            EXPECT_THAT(r.body, HasSubstr("name=\"viewport\""));
            EXPECT_THAT(r.body, HasSubstr("<meta charset=\"utf-8\">"));
            EXPECT_THAT(r.body, HasSubstr("</html>\n"));
        }
        EXPECT_EQ(r.Header("X-Content-Type-Options"), "nosniff");
    }
}

TEST_F(WebSiteTest, EveryFixedPageAnswersAndLinksOnlyToPagesThatExist) {
    const std::vector<std::string> fixed = web::Site::FixedPages();
    const std::regex href("href=\"([a-z./]+\\.(html|css))[\"#?]");
    for (const std::string& page : fixed) {
        SCOPED_TRACE(page);
        const bool player = page == "stats.html" || page == "history.html";
        const web::Response r = site.Handle("GET", "/" + page, player ? "qvid=alice" : "");
        EXPECT_EQ(r.status, 200);
        EXPECT_EQ(site.Handle("HEAD", "/" + page, "").status, player ? 400 : 200);
        // Every link of the page leads to a page of the site.
        const std::string depth = page.find('/') == std::string::npos ? "" : "../";
        int links = 0;
        for (std::sregex_iterator it(r.body.begin(), r.body.end(), href), end; it != end; ++it) {
            ++links;
            std::string target = (*it)[1];
            if (target.rfind(depth, 0) == 0) {
                target = target.substr(depth.size());
            }
            EXPECT_NE(std::find(fixed.begin(), fixed.end(), target), fixed.end()) << target;
        }
        if (page != "style.css") {
            EXPECT_GE(links, 8);  // the header's and the footer's, and the stylesheet
        }
    }
}

TEST_F(WebSiteTest, OnlyGetAndHeadAreServed) {
    EXPECT_EQ(site.Handle("HEAD", "/help.html", "").status, 200);
    for (const char* method : {"POST", "PUT", "DELETE", "OTHER"}) {
        SCOPED_TRACE(method);
        const web::Response r = site.Handle(method, "/stats.html", "qvid=alice");
        EXPECT_EQ(r.status, 405);
        EXPECT_EQ(r.Header("Allow"), "GET, HEAD");
    }
}

TEST_F(WebSiteTest, NamesAreEscapedAndShownInUtf8) {
    // The stored name "<b>x" + e-acute (0xE9 in Windows-1252) + "</b>".
    const std::string shown = "&lt;b&gt;x\xC3\xA9&lt;/b&gt;";
    for (const std::string& target :
         {std::string("/stats.html?qvid=%3Cb%3Ex%C3%A9%3C%2Fb%3E"),
          std::string("/history.html?qvid=%3Cb%3Ex%C3%A9%3C%2Fb%3E"), std::string("/game/4.html"),
          std::string("/history.html?qvid=alice"), std::string("/scoreboard.html")}) {
        SCOPED_TRACE(target);
        const web::Response r = Get(target);
        EXPECT_EQ(r.status, 200);
        EXPECT_THAT(r.body, HasSubstr(shown));
        EXPECT_THAT(r.body, Not(HasSubstr("<b>x")));
    }
    // Its links carry the name percent-encoded.
    EXPECT_THAT(Get("/game/4.html").body, HasSubstr("stats.html?qvid=%3Cb%3Ex%C3%A9%3C%2Fb%3E"));
    // A hostile name that is not there is escaped on the 404 page too.
    const web::Response missing = Get("/stats.html?qvid=%3Cscript%3Ealert(1)%3C%2Fscript%3E");
    EXPECT_EQ(missing.status, 404);
    EXPECT_THAT(missing.body, HasSubstr("&lt;script&gt;alert(1)&lt;/script&gt;"));
    EXPECT_THAT(missing.body, Not(HasSubstr("<script>")));
    // In the PGN the name is UTF-8 within its quotes.
    EXPECT_THAT(Get("/game/4.pgn").body, HasSubstr("[White \"<b>x\xC3\xA9</b>\"]"));
}

TEST_F(WebSiteTest, ChatIsNeverShown) {
    std::vector<std::string> targets = {"/game/1.html", "/game/1.pgn", "/stats.html?qvid=bob",
                                        "/history.html?qvid=bob", "/scoreboard.html"};
    for (const std::string& t : targets) {
        SCOPED_TRACE(t);
        const web::Response r = Get(t);
        EXPECT_EQ(r.status, 200);
        EXPECT_THAT(r.body, Not(HasSubstr(kSecretChat)));
    }
}

TEST_F(WebSiteTest, HistoryPagesHoldAHundredGamesEachNewestFirst) {
    for (int i = 0; i < 205; ++i) {
        AddEnded(carol, bob, {"e2e4"}, GameResult::WhiteWins, "black resigned", kNow + i);
    }
    const web::Response first = Get("/history.html?qvid=carol");
    const web::Response third = Get("/history.html?qvid=carol&page=3");
    auto rows = [](const std::string& body) {
        std::size_t n = 0;
        for (std::size_t at = body.find(".pgn\""); at != std::string::npos;
             at = body.find(".pgn\"", at + 1)) {
            ++n;
        }
        return n;
    };
    EXPECT_EQ(rows(first.body), 100u);
    EXPECT_THAT(first.body, HasSubstr("page=2\">Older games"));
    EXPECT_THAT(first.body, Not(HasSubstr("Newer games")));
    // The newest game (the last added) heads page 1; carol's first game, the
    // draw with alice, ends page 3 with the 5 oldest.
    const std::string newest = std::to_string(runningGame + 205);
    EXPECT_LT(first.body.find("game/" + newest + ".html"),
              first.body.find("game/" + std::to_string(runningGame + 204) + ".html"));
    EXPECT_EQ(rows(third.body), 6u);
    EXPECT_THAT(third.body, HasSubstr("game/2.html"));
    EXPECT_THAT(third.body, HasSubstr("page=2\">Newer games"));
    EXPECT_THAT(third.body, Not(HasSubstr("Older games")));
}

TEST_F(WebSiteTest, RankFollowsTheScoreboardOrder) {
    // carol beats bob eleven times: both have ten counted games or more and
    // are ranked by points per game; alice and the hostile name stay new.
    for (int i = 0; i < 11; ++i) {
        AddEnded(carol, bob, {"e2e4"}, GameResult::WhiteWins, "black resigned", kNow + i);
    }
    EXPECT_THAT(Get("/stats.html?qvid=carol").body, HasSubstr("Rank 1 of 4 on the scoreboard."));
    EXPECT_THAT(Get("/stats.html?qvid=bob").body, HasSubstr("Rank 2 of 4 on the scoreboard."));
    EXPECT_THAT(Get("/stats.html?qvid=alice").body,
                HasSubstr("Rank 3 of 4 on the scoreboard (new"));
    const std::string board = Get("/scoreboard.html").body;
    EXPECT_LT(board.find("qvid=carol"), board.find("qvid=bob"));
    EXPECT_LT(board.find("qvid=bob"), board.find("qvid=alice"));
    EXPECT_THAT(board, HasSubstr("<td class=\"n\">1</td><td><a href=\"stats.html?qvid=carol\">"));
    EXPECT_THAT(board, HasSubstr("<td class=\"n\">2</td><td><a href=\"stats.html?qvid=bob\">"));
    EXPECT_THAT(board, HasSubstr("<td class=\"n\">New</td><td><a href=\"stats.html?qvid=alice\">"));
    // Guests and the bot have no rank.
    EXPECT_THAT(Get("/stats.html?qvid=Bot3").body, HasSubstr("The bot is not on the scoreboard."));
}

TEST_F(WebSiteTest, TheRankingIsReadAtMostTwiceAMinute) {
    std::int64_t clock = kNow;
    web::Site timed(store, MakeConfig(), [&clock] { return clock; });
    auto rankOf = [&](const std::string& name) {
        const std::string body = timed.Handle("GET", "/stats.html", "qvid=" + name).body;
        const std::size_t at = body.find("Rank ");
        return at == std::string::npos ? std::string("none") : body.substr(at, 11);
    };
    EXPECT_EQ(rankOf("carol"), "Rank 4 of 4");
    for (int i = 0; i < 11; ++i) {
        AddEnded(carol, bob, {"e2e4"}, GameResult::WhiteWins, "black resigned", kNow + i);
    }
    // The results are fresh at once, the rank within half a minute.
    clock += web::Site::kScoreboardSeconds - 1;
    EXPECT_THAT(timed.Handle("GET", "/stats.html", "qvid=carol").body,
                HasSubstr("<td class=\"n\">12</td><td class=\"n\">11</td>"));
    EXPECT_EQ(rankOf("carol"), "Rank 4 of 4");
    clock += 1;
    EXPECT_EQ(rankOf("carol"), "Rank 1 of 4");
}

TEST_F(WebSiteTest, OddStoredRecordsAreShownSafely) {
    // A Chess960 game from before start positions were kept, and a reason
    // for its end that is not one of the server's own words.
    NewGame old{alice, bob, "Chess960", 1, "d", kNow - 100, kNow, ""};
    const std::int64_t id = store.AddGame(old);
    store.RecordMoves(id, "e2e4", 'b', kNow, 0);
    store.EndGame(id, GameResult::Draw, kNow, "<i>odd</i> {end}");
    const std::string page = Get("/game/" + std::to_string(id) + ".html").body;
    EXPECT_THAT(page, HasSubstr("start position of this game was not recorded"));
    EXPECT_THAT(page, HasSubstr("1/2-1/2, Drawn (&lt;i&gt;odd&lt;/i&gt; {end})"));
    EXPECT_THAT(Get("/history.html?qvid=bob").body,
                HasSubstr("Drawn (&lt;i&gt;odd&lt;/i&gt; {end})"));
    const std::string pgn = Get("/game/" + std::to_string(id) + ".pgn").body;
    EXPECT_THAT(pgn, HasSubstr("[Variant \"Chess960\"]"));
    EXPECT_THAT(pgn, Not(HasSubstr("[FEN")));
    EXPECT_THAT(pgn, HasSubstr("\n{<i>odd</i> end.} 1/2-1/2\n"));
}

// Every page the client opens is one the site serves: the client's page
// names are read from its sources, so a new one cannot be forgotten here.
TEST_F(WebSiteTest, EveryPageTheClientOpensExists) {
    std::set<std::string> pages;
    const std::regex literal("\"([a-z/]+\\.html)");
    for (const char* file :
         {"client/core/desktop/web_pages.cpp", "client/core/lobby/new_game_forms.cpp",
          "client/core/lobby/game_list_window.cpp", "client/core/lobby/request_actions.cpp",
          "client/core/game/game_window_input.cpp", "client/core/setup.cpp",
          "client/core/account/account_windows.cpp", "client/core/settings/settings_window.cpp",
          "server/banners/01-variants.link", "server/banners/02-scoreboard.link",
          "server/banners/03-bot.link"}) {
        std::ifstream in(std::string(QC_SOURCE_DIR) + "/" + file);
        ASSERT_TRUE(in) << file;
        std::stringstream text;
        text << in.rdbuf();
        std::string content = text.str();
        if (std::string(file).find(".link") != std::string::npos) {
            content = "\"" + content;  // a link file is the bare page name
        }
        for (std::sregex_iterator it(content.begin(), content.end(), literal), end; it != end;
             ++it) {
            pages.insert((*it)[1]);
        }
    }
    for (const char* expected : {"stats.html", "history.html", "variants.html", "knightstour.html",
                                 "buyslots.html", "buytexts.html", "disclaimer.html", "terms.html",
                                 "settings/personal.html", "scoreboard.html", "help.html"}) {
        EXPECT_TRUE(pages.count(expected)) << expected << " no longer found in the client";
    }
    for (const std::string& page : pages) {
        SCOPED_TRACE(page);
        const bool player = page == "stats.html" || page == "history.html";
        EXPECT_EQ(site.Handle("GET", "/" + page, player ? "qvid=alice" : "").status, 200);
    }
    // The game type buttons open an anchor of the variants page.
    const std::string variants = Get("/variants.html").body;
    for (const char* type : {"Chess960", "Blitz Club"}) {
        const std::string page = lobby::GameTypePage(type);
        ASSERT_THAT(page, StartsWith("variants.html#"));
        EXPECT_THAT(variants, HasSubstr("id=\"" + page.substr(14) + "\""));
    }
}

}  // namespace
}  // namespace qc::server::testing
