#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace qc::server {

struct Config {
    int namedSlots = 5;
    int guestSlots = 3;
    // A session silent this long is pinged; silent for sessionTimeout it ends.
    std::chrono::seconds pingAfter{60};
    std::chrono::seconds sessionTimeout{600};
    // Guests without open games or requests are forgotten, with their ended
    // games, after this long unseen.
    std::chrono::hours guestRetention{24 * 30};
    // Timestamps in UTC instead of the server's local time (tests).
    bool utcTimestamps = false;
    // Game types beyond "Standard" and "Chess960" that requests may name.
    std::vector<std::string> extraGameTypes;
    // Lines per endpoint: burst and steady rate. Every line of a datagram
    // counts (an empty datagram counts as one).
    double datagramBurst = 40;
    double datagramsPerSecond = 10;
    // Lines per address (IPv6: per /64), from all its ports together.
    double networkBurst = 200;
    double networkLinesPerSecond = 50;
    // Account-creating lines (new guests, new accounts) per address.
    double creationBurst = 20;
    double creationsPerSecond = 0.2;
    // Failed password checks (logins, password changes) per address.
    double authFailureBurst = 10;
    double authFailuresPerSecond = 0.2;
    // Wrong passwords per account, from wherever they come.
    double accountAuthFailureBurst = 10;
    double accountAuthFailuresPerSecond = 0.2;
    // Outstanding requests one account may have.
    int maxRequestsPerAccount = 30;
    // Outstanding requests addressed to one account, in all and from one
    // account: nobody can grow another's list without bound.
    int maxRequestsForAccount = 50;
    int maxRequestsBetween = 10;
    // Games against the bot, and local games, one account may start in any
    // 24 hours: each ended one is kept, so churning them is bounded.
    int botGamesPerDay = 100;
    int localGamesPerDay = 100;
    // Seed of the bot's choices; 0 seeds from the operating system (tests
    // fix it to replay a game).
    std::uint64_t botSeed = 0;
    // Where the server reports what an administrator should see.
    std::function<void(std::string_view)> log;
    // Whether mail leaves the server: only then are notices about games and
    // requests queued (a new account's password is queued always).
    bool mailNotices = false;
    // The public address of the server's web pages, ending in "/", for the
    // links in mails.
    std::string webUrl = "http://localhost/";
};

}  // namespace qc::server
