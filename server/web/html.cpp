#include "server/web/html.h"

#include <cctype>
#include <ctime>

#include "client/core/account/cp1252.h"
#include "server/core/text.h"

namespace qc::server::web {

std::string Escape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                // Control characters have no place in a page; a NUL would even
                // end the text early in some readers.
                if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
                    out += "&#xFFFD;";
                } else {
                    out += c;
                }
        }
    }
    return out;
}

std::string Utf8(std::string_view cp1252) {
    return Cp1252ToUtf8(cp1252);
}

std::string EscapeStored(std::string_view cp1252) {
    return Escape(Utf8(cp1252));
}

std::string UrlEncode(std::string_view text) {
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '.' || c == '_' || c == '~') {
            out += c;
        } else {
            out += '%';
            out += kHex[u >> 4];
            out += kHex[u & 15];
        }
    }
    return out;
}

std::string FormatDate(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (gmtime_r(&t, &tm) == nullptr) {
        return "?";
    }
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%Y-%m-%d %H:%M UTC", &tm);
    return buffer;
}

std::string_view StyleSheet() {
    return R"css(*{box-sizing:border-box}
html{-webkit-text-size-adjust:100%}
body{margin:0;font:16px/1.45 "DejaVu Sans",system-ui,sans-serif;color:#1d232b;background:#f4f1ea}
header{background:#2f4a3a;color:#fff;padding:.6rem 1rem;display:flex;flex-wrap:wrap;gap:.4rem 1.2rem;align-items:baseline}
header a{color:#fff;text-decoration:none}
header .brand{font-weight:bold;font-size:1.15rem;margin-right:auto}
header nav{display:flex;flex-wrap:wrap;gap:.2rem 1rem}
header nav a:hover,header nav a:focus{text-decoration:underline}
main{max-width:62rem;margin:0 auto;padding:.5rem 1rem 2rem}
h1{font-size:1.5rem;margin:1rem 0 .6rem;overflow-wrap:anywhere}
h2{font-size:1.15rem;margin:1.5rem 0 .5rem}
a{color:#1d5e9c}
p,li{max-width:45rem}
.scroll{overflow-x:auto;-webkit-overflow-scrolling:touch}
table{border-collapse:collapse;background:#fff;margin:.3rem 0 1rem;min-width:50%}
th,td{padding:.3rem .6rem;border:1px solid #d6d0c4;text-align:left;vertical-align:top}
th{background:#e8e2d5;font-weight:600}
td.n,th.n{text-align:right;font-variant-numeric:tabular-nums}
td.t{white-space:nowrap}
.game{display:flex;flex-wrap:wrap;gap:0 3rem;align-items:flex-start}
tr.me td{background:#fdf6d8}
dl.facts{display:grid;grid-template-columns:max-content 1fr;gap:.2rem 1rem;margin:.5rem 0 1rem}
dl.facts dt{font-weight:600}
dl.facts dd{margin:0;overflow-wrap:anywhere}
.note{color:#555;font-size:.93rem}
.links{display:flex;flex-wrap:wrap;gap:.4rem 1.2rem;margin:1rem 0}
.board{border-collapse:collapse;margin:.5rem 0 1rem;background:none;min-width:0}
.board td{width:2.4rem;height:2.4rem;padding:0;border:0;text-align:center;vertical-align:middle;font-size:1.8rem;line-height:1}
.board td.l{background:#eeddb8}.board td.d{background:#b58863}
.board th{border:0;background:none;font-weight:normal;font-size:.8rem;color:#555;text-align:center;padding:0 .2rem}
table.moves{min-width:0}
.moves td{min-width:4.5rem}
footer{max-width:62rem;margin:0 auto;padding:1rem;color:#666;font-size:.85rem;border-top:1px solid #d6d0c4}
footer a{color:#555}
.kt{display:grid;grid-template-columns:repeat(8,1fr);grid-template-rows:repeat(8,1fr);width:min(100%,28rem);aspect-ratio:1;border:2px solid #2f4a3a;margin:.5rem 0}
.kt-sq{border:0;margin:0;padding:0;font:inherit;font-size:.95rem;color:#3b2a18;cursor:pointer;min-width:0}
.kt-sq.l{background:#eeddb8}.kt-sq.d{background:#b58863}
.kt-sq.seen{background:#9fb8a5;color:#1d232b}.kt-sq.next{box-shadow:inset 0 0 0 3px #2e7d32;cursor:pointer}
.kt-sq.here{background:#2f4a3a;color:#fff;font-size:1.7rem}.kt-sq.hint{box-shadow:inset 0 0 0 4px #d4a017}
.kt-sq:disabled{cursor:default}
button{font:inherit;padding:.3rem .8rem}
@media (max-width:40rem){.wide{display:none}}
@media (max-width:30rem){body{font-size:15px}table{font-size:.9rem}th,td{padding:.25rem .35rem}.board td{width:2.1rem;height:2.1rem;font-size:1.5rem}}
)css";
}

std::string PageStart(const PageFrame& frame) {
    const std::string& r = frame.root;
    return "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
           "<title>" +
           Escape(frame.title) + " - Quorvel Chess</title>\n<link rel=\"stylesheet\" href=\"" + r +
           "style.css\">\n</head>\n<body>\n<header><a class=\"brand\" href=\"" + r +
           "index.html\">Quorvel Chess</a>\n<nav><a href=\"" + r +
           "scoreboard.html\">Scoreboard</a> <a href=\"" + r +
           "variants.html\">Variants</a> <a href=\"" + r +
           "help.html\">Help</a></nav></header>\n<main>\n<h1>" + Escape(frame.title) + "</h1>\n";
}

std::string PageEnd(const PageFrame& frame) {
    const std::string& r = frame.root;
    return "</main>\n<footer><a href=\"" + r + "terms.html\">Terms</a> &middot; <a href=\"" + r +
           "disclaimer.html\">Disclaimer</a> &middot; <a href=\"" + r +
           "buyslots.html\">Game slots</a></footer>\n</body>\n</html>\n";
}

std::string Page(const PageFrame& frame, std::string_view body) {
    return PageStart(frame) + std::string(body) + PageEnd(frame);
}

std::string StatsHref(const PageFrame& frame, std::string_view cp1252Name) {
    return frame.root + "stats.html?qvid=" + UrlEncode(Utf8(cp1252Name));
}

std::string HistoryHref(const PageFrame& frame, std::string_view cp1252Name) {
    return frame.root + "history.html?qvid=" + UrlEncode(Utf8(cp1252Name));
}

std::string PlayerLink(const PageFrame& frame, std::string_view cp1252Name) {
    return "<a href=\"" + Escape(StatsHref(frame, cp1252Name)) + "\">" + EscapeStored(cp1252Name) +
           "</a>";
}

std::string TypeName(const Game& game) {
    return game.gameType.empty() ? std::string("Standard") : Utf8(game.gameType);
}

std::string TypeAnchor(std::string_view typeName) {
    std::string out;
    for (char c : typeName) {
        if (c != ' ') {
            out += c;
        }
    }
    return Lower(out);
}

std::string MoveTime(int amount, std::string_view unit) {
    const char* name = unit == "n" ? "minute" : unit == "h" ? "hour" : unit == "d" ? "day" : "week";
    return std::to_string(amount) + " " + name + (amount == 1 ? "" : "s");
}

std::string ResultToken(const Game& game) {
    if (!game.ended) {
        return "*";
    }
    switch (game.result) {
        case GameResult::WhiteWins:
            return "1-0";
        case GameResult::BlackWins:
            return "0-1";
        case GameResult::Draw:
            return "1/2-1/2";
        case GameResult::None:
            break;
    }
    return "*";
}

std::string HowEnded(const Game& game) {
    const std::string& p = game.phrase;
    if (p == "checkmate") {
        return "by checkmate";
    }
    if (p == "stalemate") {
        return "by stalemate";
    }
    if (p == "lost on time") {
        return "on time";
    }
    if (p == "white resigned" || p == "black resigned") {
        return "by resignation";
    }
    if (p == "agreed draw") {
        return "by agreement";
    }
    if (p.rfind("draw by ", 0) == 0) {
        return Escape(Utf8(p.substr(5)));
    }
    return p.empty() ? std::string() : "(" + EscapeStored(p) + ")";
}

}  // namespace qc::server::web
