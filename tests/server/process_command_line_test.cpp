// The server executable's command line: help, version, refusals and the
// two-value options, as scripts and administrators use them.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "process_util.h"

namespace qc::server::testing {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(ProcessCommandLineTest, HelpListsEveryOptionWithItsValuesAndDefault) {
    ServerProcess::Output help = ServerProcess::Capture({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_EQ(help.err, "");
    EXPECT_THAT(help.out, StartsWith("Usage: quorvel-server [options]\n"));
    for (const char* option :
         {"--port <N>", "--bind <ADDRESS>", "--db <PATH>", "--banner-port <N>", "--banners <DIR>",
          "--add-account <NAME> <PASSWORD>", "--set-slots <NAME> <N>", "--ping-after <SECONDS>",
          "--rate <N>", "-h, --help", "--version"}) {
        EXPECT_THAT(help.out, HasSubstr(option));
    }
    for (const char* fallback :
         {"(default: 3819)", "(default: every address)",
          "$XDG_DATA_HOME/quorvel-server/quorvel.db)", "(default: no banner service)",
          "(default: the built-in banners)", "(default: 60)", "(default: 10)"}) {
        EXPECT_THAT(help.out, HasSubstr(fallback));
    }
    EXPECT_EQ(ServerProcess::Capture({"-h"}).out, help.out);
}

TEST(ProcessCommandLineTest, VersionIsTheProjectVersion) {
    ServerProcess::Output version = ServerProcess::Capture({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, std::string("quorvel-server ") + QC_SERVER_VERSION + "\n");
    EXPECT_EQ(version.err, "");
}

struct Bad {
    std::vector<std::string> args;
    const char* message;  // standard error, without the program name
};

// Each refusal is one line on standard error, exit code 2, before the
// database is touched; none starts the server.
TEST(ProcessCommandLineTest, BadCommandLinesExitWithCode2AndOneLine) {
    const Bad table[] = {
        {{"--bogus"}, "unknown option '--bogus' (see --help)"},
        {{"-x"}, "unknown option '-x' (see --help)"},
        {{"stray"}, "unexpected argument 'stray' (see --help)"},
        {{"--port"}, "missing value after '--port' (see --help)"},
        {{"--port", "65536"}, "invalid port '65536' (0 to 65535)"},
        {{"--port", "-5"}, "invalid port '-5' (0 to 65535)"},
        {{"--port", "eighty"}, "invalid port 'eighty' (0 to 65535)"},
        {{"--bind", "not-an-address"}, "invalid address 'not-an-address'"},
        {{"--db"}, "missing value after '--db' (see --help)"},
        {{"--add-account", "alice"}, "'--add-account' needs two values: <NAME> <PASSWORD>"},
        {{"--set-slots", "alice"}, "'--set-slots' needs two values: <NAME> <N>"},
        {{"--set-slots", "alice", "lots"}, "invalid slot count 'lots' (0 to 1000)"},
        {{"--ping-after", "3601"}, "invalid ping interval '3601' (1 to 3600 seconds)"},
        {{"--ping-after", "soon"}, "invalid ping interval 'soon' (1 to 3600 seconds)"},
        {{"--rate", "0"}, "invalid rate '0' (1 to 100000)"},
        {{"--rate", "fast"}, "invalid rate 'fast' (1 to 100000)"},
        {{"--banner-port", "70000"}, "invalid banner port '70000' (0 to 65535)"},
        {{"--banner-port", "banners"}, "invalid banner port 'banners' (0 to 65535)"},
        {{"--banner-port"}, "missing value after '--banner-port' (see --help)"},
        {{"--banners", "/srv/banners"}, "'--banners' needs '--banner-port'"},
    };
    TempDb db("command-line");
    for (const Bad& bad : table) {
        std::vector<std::string> args{"--db", std::string(db)};
        args.insert(args.end(), bad.args.begin(), bad.args.end());
        ServerProcess::Output run = ServerProcess::Capture(args);
        EXPECT_EQ(run.code, 2) << bad.message;
        EXPECT_EQ(run.err, std::string("quorvel-server: ") + bad.message + "\n");
        EXPECT_EQ(run.out, "") << bad.message;
    }
    EXPECT_NE(access(std::string(db).c_str(), F_OK), 0) << "the database was created";
}

TEST(ProcessCommandLineTest, TwoValueOptionsTakeTheNextTwoArguments) {
    TempDb db("two-values");
    ServerProcess::Output added =
        ServerProcess::Capture({"--add-account", "alice", "-secret", "--db", std::string(db)});
    EXPECT_EQ(added.code, 0) << added.err;
    EXPECT_EQ(added.out, "account alice created\n");
    ServerProcess::Output set =
        ServerProcess::Capture({"--db", std::string(db), "--set-slots", "ALICE", "7"});
    EXPECT_EQ(set.code, 0) << set.err;
    EXPECT_EQ(set.out, "account alice has 7 game slots\n");
    ServerProcess::Output nobody =
        ServerProcess::Capture({"--db", std::string(db), "--set-slots", "nobody", "7"});
    EXPECT_EQ(nobody.code, 1);
    EXPECT_EQ(nobody.err, "quorvel-server: no account nobody\n");
    ServerProcess::Output taken =
        ServerProcess::Capture({"--db", std::string(db), "--add-account=alice", "other"});
    EXPECT_EQ(taken.code, 1);
    EXPECT_EQ(taken.err, "quorvel-server: the name alice is taken\n");
}

}  // namespace
}  // namespace qc::server::testing
