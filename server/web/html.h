#pragma once

// The pieces every page is made of: escaping, the shared frame, dates and
// the texts of game records. Standard C++ only.

#include <cstdint>
#include <string>
#include <string_view>

#include "server/core/store_records.h"

namespace qc::server::web {

// Text for HTML content and attribute values (UTF-8 in, UTF-8 out).
std::string Escape(std::string_view text);
// Stored Windows-1252 text as escaped UTF-8.
std::string EscapeStored(std::string_view cp1252);
// Stored Windows-1252 text as UTF-8.
std::string Utf8(std::string_view cp1252);
// A value for a query string: everything but letters, digits and -._~
// percent-encoded (the bytes of the UTF-8 form).
std::string UrlEncode(std::string_view text);

// "2026-12-09 23:45 UTC".
std::string FormatDate(std::int64_t unixSeconds);

// The frame of a page: `root` leads from the page back to the site's top
// ("" or "../"), so the links work wherever the site is mounted.
struct PageFrame {
    std::string title;
    std::string root;
};
std::string PageStart(const PageFrame& frame);
std::string PageEnd(const PageFrame& frame);
// A whole page around a body.
std::string Page(const PageFrame& frame, std::string_view body);

// The shared stylesheet, served as style.css.
std::string_view StyleSheet();

// The link to a player's statistics or history page.
std::string PlayerLink(const PageFrame& frame, std::string_view cp1252Name);
std::string HistoryHref(const PageFrame& frame, std::string_view cp1252Name);
std::string StatsHref(const PageFrame& frame, std::string_view cp1252Name);

// "Standard" for the stored "" and the type's own name otherwise.
std::string TypeName(const Game& game);
// The anchor of a game type on variants.html: lower case, blanks removed.
std::string TypeAnchor(std::string_view typeName);
// "3 days", "10 minutes", "1 week" from the stored amount and unit.
std::string MoveTime(int amount, std::string_view unit);
// "1-0", "0-1", "1/2-1/2" or "*".
std::string ResultToken(const Game& game);
// Why the game ended, as a sentence part in HTML: "by checkmate", "on time",
// "by resignation", "by agreement", "by repetition", ...
std::string HowEnded(const Game& game);

}  // namespace qc::server::web
