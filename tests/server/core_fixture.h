#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/core/account/password.h"
#include "server/core/accounts.h"
#include "server/core/server_core.h"
#include "server/core/store.h"
#include "server/core/text.h"

namespace qc::server::testing {

// 9 December 2026, 23:45:00 UTC.
inline const TimePoint kStart = FromUnixSeconds(1796859900);
inline constexpr const char* kStartStamp = "09Dec26234500";

inline Endpoint Ep(std::uint16_t port) {
    return Endpoint{"127.0.0.1", port};
}

// A server core over an in-memory store, a virtual clock and a few helpers
// that speak the wire form.
class CoreFixture : public ::testing::Test {
  protected:
    CoreFixture() : store(":memory:"), core(store, MakeConfig()) {}

    static Config MakeConfig() {
        Config config;
        config.utcTimestamps = true;
        config.botSeed = 1;
        return config;
    }

    // Sends one line from an endpoint; returns the lines sent back to it.
    std::vector<std::string> Send(const Endpoint& from, const std::string& line) {
        return LinesFor(from, core.HandleDatagram(from, line + "\r", now));
    }

    // Every line of the last exchange, for any endpoint.
    static std::vector<std::string> LinesFor(const Endpoint& to, const std::vector<Outgoing>& out) {
        std::vector<std::string> lines;
        for (const Outgoing& o : out) {
            if (o.to == to) {
                lines.push_back(o.text);
            }
        }
        return lines;
    }

    void AddAccount(const std::string& name, const std::string& password) {
        ASSERT_EQ(AddNamedAccount(store, core.GetConfig(), name, password, now),
                  AddAccountResult::Added);
    }

    // Logs a named account in and checks that the server took it.
    void Login(const Endpoint& from, const std::string& name, const std::string& password) {
        auto lines = Send(from, name + " connect v1.20 " + qc::account::Swordfish(password));
        ASSERT_FALSE(lines.empty());
        ASSERT_EQ(lines[0].rfind("update:", 0), 0u) << lines[0];
    }

    std::string Stamp() const { return FormatTimestamp(now, true); }

    Store store;
    ServerCore core;
    TimePoint now = kStart;
};

inline const Endpoint kAlice = Ep(1001);
inline const Endpoint kBob = Ep(1002);
inline const Endpoint kCarol = Ep(1003);

// alice, bob and carol (passwords "a", "b", "c"), logged in from their
// endpoints.
class ThreeUserFixture : public CoreFixture {
  protected:
    void SetUp() override {
        AddAccount("alice", "a");
        AddAccount("bob", "b");
        AddAccount("carol", "c");
        Login(kAlice, "alice", "a");
        Login(kBob, "bob", "b");
        Login(kCarol, "carol", "c");
    }

    // Sends a line and returns every line of the exchange, per endpoint.
    std::vector<Outgoing> Exchange(const Endpoint& from, const std::string& line) {
        return core.HandleDatagram(from, line + "\r", now);
    }
};

}  // namespace qc::server::testing
