#include "server/web/site.h"

#include <chrono>
#include <optional>
#include <variant>

#include "client/core/account/cp1252.h"
#include "server/core/lists.h"
#include "server/core/text.h"
#include "server/web/pages.h"

namespace qc::server::web {

namespace {

// The largest game number a page accepts: what fits SQLite's integer with
// room to spare, so that no number reaches the store unchecked.
constexpr std::int64_t kMaxGameId = 999'999'999'999;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Percent-decoding; '+' is a blank in a query. Nothing on a bad escape.
std::optional<std::string> Decode(std::string_view text, bool plusIsBlank) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '%') {
            if (i + 2 >= text.size()) {
                return std::nullopt;
            }
            const int high = HexValue(text[i + 1]);
            const int low = HexValue(text[i + 2]);
            if (high < 0 || low < 0) {
                return std::nullopt;
            }
            out += static_cast<char>(high * 16 + low);
            i += 2;
        } else if (c == '+' && plusIsBlank) {
            out += ' ';
        } else {
            out += c;
        }
    }
    return out;
}

struct Query {
    std::vector<std::pair<std::string, std::string>> params;
    bool malformed = false;

    // The first value of a parameter.
    const std::string* Get(std::string_view name) const {
        for (const auto& [key, value] : params) {
            if (key == name) {
                return &value;
            }
        }
        return nullptr;
    }
};

Query ParseQuery(std::string_view text) {
    Query q;
    for (std::string_view part : Split(text, '&')) {
        if (part.empty()) {
            continue;
        }
        const std::size_t eq = part.find('=');
        auto key = Decode(part.substr(0, eq), true);
        auto value = Decode(eq == std::string_view::npos ? "" : part.substr(eq + 1), true);
        if (!key || !value) {
            q.malformed = true;
            return q;
        }
        q.params.emplace_back(std::move(*key), std::move(*value));
    }
    return q;
}

Response BadRequest(std::string_view message, const std::string& root = "") {
    return ErrorPage(400, "Bad request", message, root);
}

// The player a page is about, from "qvid"; an error page when it names none.
std::variant<Account, Response> FindPlayer(Store& store, const Query& query) {
    const std::string* name = query.Get("qvid");
    if (name == nullptr || name->empty()) {
        return BadRequest(
            "<p>Which player? Add the player's identifier to the address, for example "
            "<code>?qvid=alice</code>.</p>");
    }
    if (name->size() > Site::kMaxName) {
        return BadRequest(
            "<p>That player identifier is too long: identifiers have at most 30 "
            "characters.</p>");
    }
    // Browsers send UTF-8; the store keeps Windows-1252.
    const std::string stored = Utf8ToCp1252(*name);
    std::optional<Account> account = store.FindAccount(stored);
    if (!account) {
        // Shown as it was looked up, so that bytes that are not UTF-8 never
        // reach the page.
        return ErrorPage(404, "No such player",
                         "<p>There is no player <strong>" + EscapeStored(stored) +
                             "</strong> on this server.</p>");
    }
    return *account;
}

// A whole number from 1 to max, digits only.
std::optional<std::int64_t> ParseNumber(std::string_view text, std::int64_t max) {
    if (text.empty() || text.size() > 12) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > max) {
        return std::nullopt;
    }
    return value;
}

}  // namespace

std::string Response::Header(std::string_view name) const {
    for (const auto& [key, value] : headers) {
        if (EqualsNoCase(key, name)) {
            return value;
        }
    }
    return {};
}

Site::Site(Store& store, const Config& config, std::function<std::int64_t()> now)
    : store_(store), config_(config), now_(std::move(now)) {
    if (!now_) {
        now_ = [] { return ToUnixSeconds(Clock::now()); };
    }
}

std::vector<std::string> Site::FixedPages() {
    return {"",
            "index.html",
            "style.css",
            "stats.html",
            "history.html",
            "scoreboard.html",
            "variants.html",
            "help.html",
            "knightstour.html",
            "buyslots.html",
            "buytexts.html",
            "disclaimer.html",
            "terms.html",
            "settings/personal.html"};
}

Response Site::Handle(std::string_view method, std::string_view path, std::string_view query) {
    Response response;
    if (method != "GET" && method != "HEAD") {
        response = ErrorPage(405, "Method not allowed",
                             "<p>This site only serves pages to read (GET and HEAD).</p>");
        response.headers.emplace_back("Allow", "GET, HEAD");
    } else {
        try {
            response = Route(path, query);
        } catch (const StoreError&) {
            response = ErrorPage(503, "Try again",
                                 "<p>The server could not read its records just now. Please "
                                 "try again in a moment.</p>");
            response.headers.emplace_back("Retry-After", "5");
        }
    }
    // Pages never need anything from elsewhere; the Knight's Tour runs its
    // own script and nothing else.
    response.headers.emplace_back("Content-Security-Policy",
                                  "default-src 'none'; style-src 'self'; script-src "
                                  "'unsafe-inline'; img-src 'self' data:; base-uri 'none'; "
                                  "form-action 'none'; frame-ancestors 'none'");
    response.headers.emplace_back("X-Content-Type-Options", "nosniff");
    response.headers.emplace_back("Referrer-Policy", "same-origin");
    return response;
}

Response Site::Route(std::string_view rawPath, std::string_view rawQuery) {
    if (rawPath.size() > kMaxPath) {
        return ErrorPage(404, "Page not found", "<p>There is no such page on this server.</p>");
    }
    if (rawQuery.size() > kMaxQuery) {
        return BadRequest("<p>The address is too long.</p>");
    }
    const std::optional<std::string> decoded = Decode(rawPath, false);
    if (!decoded || decoded->empty() || decoded->front() != '/') {
        return BadRequest("<p>The address is malformed.</p>");
    }
    const std::string_view path = std::string_view(*decoded).substr(1);
    const Query query = ParseQuery(rawQuery);
    if (query.malformed) {
        return BadRequest("<p>The address is malformed (a broken %-escape).</p>");
    }

    if (path == "stats.html" || path == "history.html") {
        std::variant<Account, Response> player = FindPlayer(store_, query);
        if (auto* error = std::get_if<Response>(&player)) {
            return std::move(*error);
        }
        const Account& account = std::get<Account>(player);
        if (path == "stats.html") {
            return StatsPage(store_, account, RankedScores(), now_());
        }
        int page = 1;
        if (const std::string* text = query.Get("page")) {
            std::optional<std::int64_t> n = ParseNumber(*text, kHistoryPages);
            if (!n) {
                return BadRequest("<p>The page number must be a whole number from 1 to " +
                                  std::to_string(kHistoryPages) + ".</p>");
            }
            page = static_cast<int>(*n);
        }
        return HistoryPage(store_, account, page);
    }
    if (path == "scoreboard.html") {
        return ScoreboardPage(RankedScores());
    }
    if (path.rfind("game/", 0) == 0) {
        std::string_view file = path.substr(5);
        const bool html = file.size() > 5 && file.substr(file.size() - 5) == ".html";
        const bool pgn = file.size() > 4 && file.substr(file.size() - 4) == ".pgn";
        if (html || pgn) {
            const std::string_view number = file.substr(0, file.size() - (html ? 5 : 4));
            const std::optional<std::int64_t> id = ParseNumber(number, kMaxGameId);
            if (!id) {
                return BadRequest("<p>A game's number is a whole number from 1 to " +
                                      std::to_string(kMaxGameId) + ".</p>",
                                  "../");
            }
            std::optional<Game> game = store_.FindGame(*id);
            if (!game) {
                return ErrorPage(
                    404, "No such game",
                    "<p>There is no game " + std::to_string(*id) + " on this server.</p>", "../");
            }
            return html ? GamePage(*game, now_()) : PgnFile(*game);
        }
    }
    if (std::optional<Response> info = InfoPage(path, config_)) {
        return std::move(*info);
    }
    // Deeper paths need their way back to the top for the header's links.
    std::string root;
    for (std::size_t slash = path.find('/'); slash != std::string_view::npos && root.size() < 30;
         slash = path.find('/', slash + 1)) {
        root += "../";
    }
    return ErrorPage(404, "Page not found", "<p>There is no such page on this server.</p>", root);
}

const std::vector<ScoreRow>& Site::RankedScores() {
    const std::int64_t now = now_();
    if (!rankedAt_ || now < *rankedAt_ || now - *rankedAt_ >= kScoreboardSeconds) {
        ranked_ = store_.ScoreRows();
        RankScoreRows(ranked_);
        rankedAt_ = now;
    }
    return ranked_;
}

Response HtmlResponse(int status, const PageFrame& frame, std::string_view body) {
    Response r;
    r.status = status;
    r.contentType = kHtml;
    r.body = Page(frame, body);
    r.headers.emplace_back("Cache-Control", "no-cache");
    return r;
}

Response ErrorPage(int status, std::string_view title, std::string_view message,
                   const std::string& root) {
    PageFrame frame{std::string(title), root};
    return HtmlResponse(status, frame,
                        std::string(message) + "<p class=\"links\"><a href=\"" + root +
                            "index.html\">The start page</a></p>\n");
}

}  // namespace qc::server::web
