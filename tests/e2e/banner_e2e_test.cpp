#include <gtest/gtest.h>

#include <QTcpServer>

#include "client/core/game/banner.h"
#include "tests/e2e/e2e_support.h"

namespace qc::e2e {
namespace {

// A client core whose banner comes from the real server's banner port.
class BannerE2E : public TwoUserServerTest {
  protected:
    void SetUp() override {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        bannerPort_ = probe.serverPort();
        probe.close();
        StartServer({QStringLiteral("--banner-port"), QString::number(bannerPort_)});
        ASSERT_FALSE(HasFatalFailure());
    }
    std::uint16_t bannerPort_ = 0;
};

TEST_F(BannerE2E, TheGameWindowShowsTheServersBannersInTurn) {
    Client c(port_, game::BannerServer{"127.0.0.1", bannerPort_});
    ASSERT_TRUE(c.LogIn());
    fakes::RecordingGameWindowView window;
    c.setup->gameWindow().Attach(&window);
    c.setup->gameWindow().Show();
    game::Banner& banner = c.setup->banner();

    std::vector<std::string> seen;
    std::vector<std::string> links;
    for (int fetch = 0; fetch < 2; ++fetch) {
        // The next fetch is due 120 s after the last one started.
        c.timers.Advance(fetch == 0 ? game::Banner::kTickMs : 125 * 1000);
        ASSERT_TRUE(WaitFor([&] {
            return window.state.banner != nullptr &&
                   (seen.empty() || *window.state.banner != seen.back());
        })) << "fetch "
            << fetch;
        const std::string& bytes = *window.state.banner;
        // A PNG file, whole.
        ASSERT_GT(bytes.size(), 8u);
        EXPECT_EQ(bytes.substr(0, 8), std::string("\x89PNG\r\n\x1a\n", 8));
        EXPECT_EQ(bytes.substr(bytes.size() - 8, 4), "IEND");
        EXPECT_TRUE(window.state.bannerLinked);
        seen.push_back(bytes);
        links.push_back(banner.Url());
    }
    EXPECT_NE(seen[0], seen[1]);
    EXPECT_NE(links[0], links[1]);
    // A click opens the banner's page on the server's web site.
    c.setup->gameWindow().BannerClick();
    ASSERT_EQ(c.shell.Urls().size(), 1u);
    EXPECT_EQ(c.shell.Urls()[0], "http://127.0.0.1/" + links[1]);
    c.setup->gameWindow().Attach(nullptr);
}

}  // namespace
}  // namespace qc::e2e
