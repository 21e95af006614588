#include <gtest/gtest.h>

#include "client/core/game/banner.h"
#include "tests/fakes/controller_fixture.h"

namespace qc::game {
namespace {

using fakes::FakeController;

// The game window open and its banner connection driven by the test.
struct BannerFixture : FakeController {
    BannerFixture() {
        LoginAsGuest();
        setup->gameWindow().Show();
    }
    Banner& banner() { return setup->banner(); }
    // Lets the first tick start a fetch and the connection come up.
    void Connect() {
        timers.Advance(Banner::kTickMs);
        bannerSocket.Connected();
    }
    const GameWindowState& Shown() const { return gameWindowView.state; }
};

const std::string kPicture = std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, 'x');

std::string Reply(const std::string& url, const std::string& picture) {
    return std::to_string(picture.size()) + " " + url + "\r" + picture;
}

TEST(Banner, OneReplyInOnePieceOrInManyShowsThePictureAndItsLink) {
    const std::string reply = Reply("http://example.org/shop.html", kPicture);
    const std::vector<std::vector<std::size_t>> splits = {
        {},               // one piece
        {20, 40},         // three pieces, the header whole in the first
        {3, 30},          // the header split before its blank
        {4, 5, 6, 7, 8},  // many small pieces
        {29},             // the CR alone at the start of the second piece
    };
    for (const auto& cuts : splits) {
        BannerFixture f;
        f.Connect();
        EXPECT_EQ(f.bannerSocket.connects, std::vector<std::string>{"games.example:80"});
        EXPECT_EQ(f.bannerSocket.written, "Ad Chess v1.20");
        std::size_t from = 0;
        for (std::size_t cut : cuts) {
            f.bannerSocket.Data(reply.substr(from, cut - from));
            EXPECT_EQ(f.Shown().banner, nullptr);
            from = cut;
        }
        f.bannerSocket.Data(reply.substr(from));
        ASSERT_NE(f.Shown().banner, nullptr) << cuts.size();
        EXPECT_EQ(*f.Shown().banner, kPicture);
        EXPECT_TRUE(f.Shown().bannerLinked);
        EXPECT_EQ(f.Shown().heightTwips, 9060 + kBannerStripTwips);
        // The connection is closed once the picture is whole.
        EXPECT_FALSE(f.bannerSocket.open);
        f.setup->gameWindow().BannerClick();
        EXPECT_EQ(f.shell.Urls(), std::vector<std::string>{"http://example.org/shop.html"});
    }
}

TEST(Banner, ANewBannerComesEvery125Seconds) {
    BannerFixture f;
    f.Connect();
    f.bannerSocket.Data(Reply("variants.html", kPicture));
    for (int tick = 0; tick < 24; ++tick) {
        f.timers.Advance(Banner::kTickMs);
    }
    EXPECT_EQ(f.bannerSocket.connects.size(), 1u);
    f.timers.Advance(Banner::kTickMs);
    EXPECT_EQ(f.bannerSocket.connects.size(), 2u);
    // A page of the site opens under the site's address.
    f.setup->gameWindow().BannerClick();
    EXPECT_EQ(f.shell.Urls(), std::vector<std::string>{"http://games.example/variants.html"});
}

TEST(Banner, BadRepliesAndErrorsShowNothingAndWaitAMinute) {
    const std::vector<std::string> bad = {
        "0 page.html\r",                   // nothing to show
        "-5 page.html\rxx",                // a negative count
        "3000000 page.html\r" + kPicture,  // more than a banner can be
        "12x page.html\r" + kPicture,      // not a number
        "page.html\r" + kPicture,          // no blank before the CR
        std::string(2000, '7'),            // a header that never ends
        "99999999999999999999 page.html\r" + kPicture,
    };
    for (const std::string& reply : bad) {
        BannerFixture f;
        f.Connect();
        f.bannerSocket.Data(reply);
        EXPECT_EQ(f.Shown().banner, nullptr) << reply.substr(0, 20);
        EXPECT_FALSE(f.bannerSocket.open) << reply.substr(0, 20);
        EXPECT_EQ(f.banner().TimeLeft(), Banner::kBackOffSeconds);
    }
    // A refused connection: no new one before the minute is over.
    BannerFixture f;
    f.timers.Advance(Banner::kTickMs);
    f.bannerSocket.Error();
    for (int tick = 0; tick < 12; ++tick) {
        f.timers.Advance(Banner::kTickMs);
    }
    EXPECT_EQ(f.bannerSocket.connects.size(), 1u);
    f.timers.Advance(Banner::kTickMs);
    EXPECT_EQ(f.bannerSocket.connects.size(), 2u);
}

TEST(Banner, ExactlyTheAnnouncedBytesAndACutReplyIsDropped) {
    BannerFixture f;
    f.Connect();
    f.bannerSocket.Data(Reply("a.html", kPicture) + "trailing junk");
    ASSERT_NE(f.Shown().banner, nullptr);
    EXPECT_EQ(*f.Shown().banner, kPicture);

    // The next fetch is cut short: the banner shown stays, with its link.
    for (int tick = 0; tick < 25; ++tick) {
        f.timers.Advance(Banner::kTickMs);
    }
    f.bannerSocket.Connected();
    f.bannerSocket.Data(Reply("b.html", "other").substr(0, 12));
    f.bannerSocket.Error();
    ASSERT_NE(f.Shown().banner, nullptr);
    EXPECT_EQ(*f.Shown().banner, kPicture);
    EXPECT_EQ(f.banner().Url(), "a.html");
    EXPECT_EQ(f.banner().TimeLeft(), Banner::kBackOffSeconds);
    // A whole one replaces both at once, and the window grows no further.
    const int height = f.Shown().heightTwips;
    for (int tick = 0; tick < 13; ++tick) {
        f.timers.Advance(Banner::kTickMs);
    }
    f.bannerSocket.Connected();
    f.bannerSocket.Data(Reply("b.html", "other"));
    EXPECT_EQ(*f.Shown().banner, "other");
    EXPECT_EQ(f.banner().Url(), "b.html");
    EXPECT_EQ(f.Shown().heightTwips, height);
}

TEST(Banner, TheWindowsOpeningAndClosingStartAndStopIt) {
    BannerFixture f;
    // Before any reply a click opens nothing.
    f.setup->gameWindow().BannerClick();
    EXPECT_TRUE(f.shell.Urls().empty());
    f.Connect();
    f.bannerSocket.Data(Reply("a.html", kPicture));
    f.setup->gameWindow().Unload();
    EXPECT_FALSE(f.bannerSocket.open);
    f.timers.Advance(10 * 60 * 1000);
    EXPECT_EQ(f.bannerSocket.connects.size(), 1u);
    // Opened again: no banner, no link, no strip, a fetch at the first tick.
    f.setup->gameWindow().Show();
    EXPECT_EQ(f.Shown().banner, nullptr);
    EXPECT_FALSE(f.Shown().bannerLinked);
    EXPECT_EQ(f.Shown().heightTwips, 9060);
    f.setup->gameWindow().BannerClick();
    EXPECT_TRUE(f.shell.Urls().empty());
    f.timers.Advance(Banner::kTickMs);
    EXPECT_EQ(f.bannerSocket.connects.size(), 2u);
    // A fetch still under way when the next one is due is dropped.
    for (int tick = 0; tick < 25; ++tick) {
        f.timers.Advance(Banner::kTickMs);
    }
    EXPECT_EQ(f.bannerSocket.connects.size(), 3u);
    EXPECT_GE(f.bannerSocket.closes, 2);
}

}  // namespace
}  // namespace qc::game
