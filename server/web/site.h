#pragma once

// The server's web site without its sockets: a request's method, path and
// query, read against the store, give a status, a content type and a body.
// The HTTP plumbing lives in server/web_server.*; this part is what the tests
// and the fuzzer drive.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "server/core/config.h"
#include "server/core/store.h"

namespace qc::server::web {

struct Response {
    int status = 200;
    std::string contentType;
    std::string body;
    // Headers beyond Content-Type and Content-Length.
    std::vector<std::pair<std::string, std::string>> headers;

    // The value of a header named here, "" when absent.
    std::string Header(std::string_view name) const;
};

class Site {
  public:
    // `now` gives the time in Unix seconds (tests fix it).
    Site(Store& store, const Config& config, std::function<std::int64_t()> now = {});

    // `path` and `query` as they came, percent-encoded; the query without
    // its '?'. HEAD is answered as GET: the caller leaves out the body.
    Response Handle(std::string_view method, std::string_view path, std::string_view query);

    // Every page the site serves at a fixed path, without the leading '/'.
    static std::vector<std::string> FixedPages();

    // Limits of what a request may ask for.
    static constexpr std::size_t kMaxPath = 512;
    static constexpr std::size_t kMaxQuery = 1024;
    static constexpr std::size_t kMaxName = 64;
    static constexpr int kHistoryRows = 100;
    static constexpr int kHistoryPages = 100;
    // Statistics count at most this many of a player's newest ended games.
    static constexpr int kCountedGames = 10000;
    static constexpr int kCurrentGameRows = 200;

    // The ranked scoreboard is read at most this often: ranking every player
    // walks every ended game, which must not be done on every page.
    static constexpr std::int64_t kScoreboardSeconds = 30;

  private:
    Response Route(std::string_view path, std::string_view query);
    const std::vector<ScoreRow>& RankedScores();

    Store& store_;
    const Config& config_;
    std::function<std::int64_t()> now_;
    std::vector<ScoreRow> ranked_;
    std::optional<std::int64_t> rankedAt_;
};

}  // namespace qc::server::web
