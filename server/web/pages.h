#pragma once

// The pages of the site, for site.cpp. Each gets what it shows, already
// looked up and checked.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "server/core/config.h"
#include "server/core/store.h"
#include "server/web/html.h"
#include "server/web/site.h"

namespace qc::server::web {

inline constexpr const char* kHtml = "text/html; charset=utf-8";

Response HtmlResponse(int status, const PageFrame& frame, std::string_view body);
// A page that says what went wrong; `message` is HTML, escaped by the caller.
Response ErrorPage(int status, std::string_view title, std::string_view message,
                   const std::string& root = "");

// player_pages.cpp
// `ranked`: every player of the scoreboard, in its order.
Response StatsPage(Store& store, const Account& account, const std::vector<ScoreRow>& ranked,
                   std::int64_t now);
Response HistoryPage(Store& store, const Account& account, int page);
Response ScoreboardPage(const std::vector<ScoreRow>& ranked);

// game_pages.cpp
Response GamePage(const Game& game, std::int64_t now);
Response PgnFile(const Game& game);

// info_pages.cpp: the pages that show no stored data; nothing for other paths.
std::optional<Response> InfoPage(std::string_view path, const Config& config);
// knights_tour.cpp
std::string KnightsTourBody();

}  // namespace qc::server::web
