// quorvel-server's command line, read without starting the server.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "server/command_line.h"

namespace qc::server {
namespace {

using Action = CommandLine::Action;
using ::testing::HasSubstr;

CommandLine Parse(const std::vector<std::string>& args) {
    QStringList list{"quorvel-server"};
    for (const std::string& a : args) {
        list << QString::fromStdString(a);
    }
    return ParseCommandLine(list);
}

TEST(CommandLineTest, DefaultsServeOnPort3819OfEveryAddress) {
    CommandLine c = Parse({});
    EXPECT_EQ(c.action, Action::Serve);
    EXPECT_EQ(c.port, 3819);
    EXPECT_EQ(c.bind, QHostAddress(QHostAddress::Any));
    EXPECT_FALSE(c.db.has_value());
    EXPECT_EQ(c.pingAfter, 60);
    EXPECT_EQ(c.rate, 10);
    EXPECT_FALSE(c.bannerPort.has_value());
    EXPECT_FALSE(c.banners.has_value());
    EXPECT_EQ(c.engine, QString("stockfish"));
}

TEST(CommandLineTest, BannerPortAndFolder) {
    const struct {
        std::vector<std::string> args;
        std::optional<std::uint16_t> port;
        std::optional<QString> folder;
    } table[] = {
        {{"--banner-port", "0"}, 0, std::nullopt},
        {{"--banner-port=3820"}, 3820, std::nullopt},
        {{"--banner-port", "65535", "--banners", "/srv/banners"}, 65535, "/srv/banners"},
        {{"--banners=/srv/b", "--banner-port", "1"}, 1, "/srv/b"},
        {{"--banner-port", "1", "--banner-port", "2", "--banners", "a", "--banners", "b"}, 2, "b"},
        {{"--banner-port", "3819", "--port", "3819"}, 3819, std::nullopt},
        {{"--banner-port", "80", "--banners", "--rate"}, 80, "--rate"},
    };
    for (const auto& row : table) {
        CommandLine c = Parse(row.args);
        EXPECT_EQ(c.action, Action::Serve) << c.text.toStdString();
        EXPECT_EQ(c.bannerPort, row.port) << row.args.front();
        EXPECT_EQ(c.banners, row.folder) << row.args.front();
    }
}

TEST(CommandLineTest, ReadsEveryServingOption) {
    CommandLine c =
        Parse({"--port", "0", "--bind", "127.0.0.1", "--db", "/srv/q.db", "--ping-after", "5",
               "--rate", "2.5", "--engine", "/opt/e/engine", "--engines", "4"});
    EXPECT_EQ(c.action, Action::Serve);
    EXPECT_EQ(c.port, 0);
    EXPECT_EQ(c.bind, QHostAddress(QHostAddress::LocalHost));
    EXPECT_EQ(c.db, QString("/srv/q.db"));
    EXPECT_EQ(c.pingAfter, 5);
    EXPECT_EQ(c.rate, 2.5);
    EXPECT_EQ(c.engine, QString("/opt/e/engine"));
    EXPECT_EQ(c.engines, 4);
}

TEST(CommandLineTest, ValuesMayFollowAnEqualsSign) {
    CommandLine c = Parse({"--port=65535", "--bind=::1", "--db="});
    EXPECT_EQ(c.action, Action::Serve);
    EXPECT_EQ(c.port, 65535);
    EXPECT_EQ(c.bind, QHostAddress(QHostAddress::LocalHostIPv6));
    EXPECT_EQ(c.db, QString());
}

TEST(CommandLineTest, AddAccountTakesANameAndAPassword) {
    CommandLine c = Parse({"--db", "x.db", "--add-account", "alice", "secret"});
    EXPECT_EQ(c.action, Action::AddAccount);
    EXPECT_EQ(c.name, "alice");
    EXPECT_EQ(c.password, "secret");
    EXPECT_EQ(c.db, QString("x.db"));
}

TEST(CommandLineTest, APasswordMayLookLikeAnOption) {
    for (const char* password : {"-h", "--port", "--", "a=b", "two words", ""}) {
        CommandLine c = Parse({"--add-account", "alice", password, "--port", "4000"});
        EXPECT_EQ(c.action, Action::AddAccount) << password;
        EXPECT_EQ(c.password, password);
        EXPECT_EQ(c.port, 4000) << password;
    }
    CommandLine c = Parse({"--add-account=alice", "-x"});
    EXPECT_EQ(c.action, Action::AddAccount);
    EXPECT_EQ(c.name, "alice");
    EXPECT_EQ(c.password, "-x");
}

TEST(CommandLineTest, SetSlotsTakesANameAndACount) {
    CommandLine c = Parse({"--set-slots", "bob", "0"});
    EXPECT_EQ(c.action, Action::SetSlots);
    EXPECT_EQ(c.name, "bob");
    EXPECT_EQ(c.gameSlots, 0);
    c = Parse({"--set-slots=bob", "1000"});
    EXPECT_EQ(c.action, Action::SetSlots);
    EXPECT_EQ(c.gameSlots, 1000);
}

TEST(CommandLineTest, AddingAnAccountComesBeforeSettingSlots) {
    CommandLine c = Parse({"--set-slots", "bob", "7", "--add-account", "alice", "pw"});
    EXPECT_EQ(c.action, Action::AddAccount);
    EXPECT_EQ(c.name, "alice");
    EXPECT_EQ(c.password, "pw");
}

TEST(CommandLineTest, TheLastOfARepeatedOptionCountsButEachMustBeValid) {
    CommandLine c =
        Parse({"--port", "1", "--port", "2", "--add-account", "a", "1", "--add-account", "b", "2"});
    EXPECT_EQ(c.port, 2);
    EXPECT_EQ(c.name, "b");
    EXPECT_EQ(c.password, "2");
    c = Parse({"--port", "abc", "--port", "80"});
    EXPECT_EQ(c.action, Action::Error);
    EXPECT_EQ(c.text, "invalid port 'abc' (0 to 65535)");
}

TEST(CommandLineTest, TheValueOfAnOptionIsNeverReadAsAnOption) {
    CommandLine c = Parse({"--db", "--add-account", "--rate", "3"});
    EXPECT_EQ(c.action, Action::Serve);
    EXPECT_EQ(c.db, QString("--add-account"));
    EXPECT_EQ(c.rate, 3);
}

TEST(CommandLineTest, HelpAndVersionComeBeforeTheValuesAreChecked) {
    CommandLine c = Parse({"--port", "70000", "--help"});
    EXPECT_EQ(c.action, Action::Help);
    EXPECT_EQ(Parse({"-h"}).action, Action::Help);
    c = Parse({"--version", "--rate", "0"});
    EXPECT_EQ(c.action, Action::Version);
    EXPECT_EQ(c.text, QString("quorvel-server ") + QC_SERVER_VERSION);
}

TEST(CommandLineTest, HelpListsEveryOptionWithItsValuesAndDefault) {
    const std::string help = Parse({"--help"}).text.toStdString();
    EXPECT_THAT(help, ::testing::StartsWith("Usage: quorvel-server [options]\n"));
    for (const char* option : {"--port <N>",
                               "--bind <ADDRESS>",
                               "--db <PATH>",
                               "--banner-port <N>",
                               "--banners <DIR>",
                               "--add-account <NAME> <PASSWORD>",
                               "--set-slots <NAME> <N>",
                               "--ping-after <SECONDS>",
                               "--rate <N>",
                               "--engine <PATH>",
                               "--engines <N>",
                               "-h, --help",
                               "--version",
                               "(default: 3819)",
                               "(default: every address)",
                               "$XDG_DATA_HOME/quorvel-server/quorvel.db",
                               "(default: no banner service)",
                               "(default: the built-in banners)",
                               "(default: 60)",
                               "(default: 10)"}) {
        EXPECT_THAT(help, HasSubstr(option));
    }
}

struct Bad {
    std::vector<std::string> args;
    const char* message;
};

TEST(CommandLineTest, BadInputIsOneLineOfError) {
    const Bad table[] = {
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"--bogus=1"}, "unknown option '--bogus' (see --help)"},
        {{"-x"}, "unknown option '-x' (see --help)"},
        {{"-port", "80"}, "unknown option '-port' (see --help)"},
        {{"extra"}, "unexpected argument 'extra' (see --help)"},
        {{"--", "--port", "80"}, "unexpected argument '--port' (see --help)"},
        {{"--port"}, "missing value after '--port' (see --help)"},
        {{"--help=yes"}, "unexpected value after '--help' (see --help)"},
        {{"--port", "65536"}, "invalid port '65536' (0 to 65535)"},
        {{"--port", "-1"}, "invalid port '-1' (0 to 65535)"},
        {{"--port", "http"}, "invalid port 'http' (0 to 65535)"},
        {{"--port", ""}, "invalid port '' (0 to 65535)"},
        {{"--bind", "localhost"}, "invalid address 'localhost'"},
        {{"--add-account"}, "'--add-account' needs two values: <NAME> <PASSWORD>"},
        {{"--add-account", "alice"}, "'--add-account' needs two values: <NAME> <PASSWORD>"},
        {{"--add-account=alice"}, "'--add-account' needs two values: <NAME> <PASSWORD>"},
        {{"--set-slots", "bob"}, "'--set-slots' needs two values: <NAME> <N>"},
        {{"--set-slots", "bob", "many"}, "invalid slot count 'many' (0 to 1000)"},
        {{"--set-slots", "bob", "1001"}, "invalid slot count '1001' (0 to 1000)"},
        {{"--set-slots", "bob", "-1"}, "invalid slot count '-1' (0 to 1000)"},
        {{"--rate", "0.5"}, "invalid rate '0.5' (1 to 100000)"},
        {{"--rate", "nan"}, "invalid rate 'nan' (1 to 100000)"},
        {{"--rate", "1e6"}, "invalid rate '1e6' (1 to 100000)"},
        {{"--ping-after", "0"}, "invalid ping interval '0' (1 to 3600 seconds)"},
        {{"--engines", "0"}, "invalid engine count '0' (1 to 16)"},
        {{"--engines", "17"}, "invalid engine count '17' (1 to 16)"},
        {{"--ping-after", "1.5"}, "invalid ping interval '1.5' (1 to 3600 seconds)"},
        {{"--banner-port"}, "missing value after '--banner-port' (see --help)"},
        {{"--banner-port", "65536"}, "invalid banner port '65536' (0 to 65535)"},
        {{"--banner-port", "-1"}, "invalid banner port '-1' (0 to 65535)"},
        {{"--banner-port", "ads"}, "invalid banner port 'ads' (0 to 65535)"},
        {{"--banner-port", ""}, "invalid banner port '' (0 to 65535)"},
        {{"--banner-port", "2.5"}, "invalid banner port '2.5' (0 to 65535)"},
        {{"--banner-port", "x", "--banner-port", "80"}, "invalid banner port 'x' (0 to 65535)"},
        {{"--banners", "/srv/banners"}, "'--banners' needs '--banner-port'"},
        {{"--banner-port", "80", "--banners="}, "invalid banner folder ''"},
        {{"--banners"}, "missing value after '--banners' (see --help)"},
        {{"--engine"}, "missing value after '--engine' (see --help)"},
        {{"--engine="}, "invalid engine ''"},
    };
    for (const Bad& bad : table) {
        CommandLine c = Parse(bad.args);
        EXPECT_EQ(c.action, Action::Error) << bad.message;
        EXPECT_EQ(c.text.toStdString(), bad.message);
    }
}

TEST(CommandLineTest, WebPort) {
    EXPECT_FALSE(Parse({}).httpPort.has_value());
    EXPECT_EQ(Parse({"--http-port", "0"}).httpPort, std::optional<std::uint16_t>(0));
    EXPECT_EQ(Parse({"--http-port=3821"}).httpPort, std::optional<std::uint16_t>(3821));
    EXPECT_EQ(Parse({"--http-port", "1", "--http-port", "2"}).httpPort,
              std::optional<std::uint16_t>(2));
    EXPECT_THAT(Parse({"--help"}).text.toStdString(), HasSubstr("--http-port <N>"));
    const Bad table[] = {
        {{"--http-port"}, "missing value after '--http-port' (see --help)"},
        {{"--http-port", "65536"}, "invalid web port '65536' (0 to 65535)"},
        {{"--http-port", "-1"}, "invalid web port '-1' (0 to 65535)"},
        {{"--http-port", "web"}, "invalid web port 'web' (0 to 65535)"},
    };
    for (const Bad& bad : table) {
        CommandLine c = Parse(bad.args);
        EXPECT_EQ(c.action, Action::Error) << bad.message;
        EXPECT_EQ(c.text.toStdString(), bad.message);
    }
}

}  // namespace
}  // namespace qc::server
