// One game: its page and its record in PGN. Chat is private to the players
// and is never read here.

#include <string>

#include "server/web/pages.h"
#include "server/web/pgn.h"

namespace qc::server::web {

namespace {

const PageFrame kGameFrame{"", "../"};

// The pieces as the chess symbols of Unicode, white's side at the bottom.
std::string Board(const chess::Position& pos) {
    static const char* kSymbols[16] = {"",        "&#9817;", "&#9816;", "&#9815;", "&#9814;",
                                       "&#9813;", "&#9812;", "",        "",        "&#9823;",
                                       "&#9822;", "&#9821;", "&#9820;", "&#9819;", "&#9818;"};
    std::string out = "<table class=\"board\" aria-label=\"The position\">\n";
    for (int rank = 7; rank >= 0; --rank) {
        out += "<tr><th>" + std::to_string(rank + 1) + "</th>";
        for (int file = 0; file < 8; ++file) {
            const chess::Square s = chess::makeSquare(file, rank);
            const bool light = (file + rank) % 2 == 1;
            out += std::string("<td class=\"") + (light ? "l" : "d") + "\">" +
                   kSymbols[pos.pieceOn(s) & 15] + "</td>";
        }
        out += "</tr>\n";
    }
    out += "<tr><th></th>";
    for (char file = 'a'; file <= 'h'; ++file) {
        out += std::string("<th>") + file + "</th>";
    }
    return out + "</tr>\n</table>\n";
}

std::string Status(const Game& g, std::int64_t now) {
    if (!g.ended) {
        const bool black = g.toMove == 'b';
        std::string text = std::string(black ? "Black" : "White") + " (" +
                           EscapeStored(black ? g.blackName : g.whiteName) + ") to move, by " +
                           FormatDate(g.moveBy);
        if (g.moveBy < now) {
            text += " (passed)";
        }
        if (g.drawOffer != 0) {
            text += "; " + std::string(g.drawOffer == 'w' ? "White" : "Black") + " offers a draw";
        }
        return text;
    }
    const std::string how = HowEnded(g);
    std::string text;
    switch (g.result) {
        case GameResult::WhiteWins:
            text = "White won";
            break;
        case GameResult::BlackWins:
            text = "Black won";
            break;
        case GameResult::Draw:
            text = "Drawn";
            break;
        case GameResult::None:
            text = "Ended";
            break;
    }
    return ResultToken(g) + ", " + text + (how.empty() ? "" : " " + how);
}

std::string Moves(const Replay& replay) {
    if (!replay.startKnown) {
        return "<p>The start position of this game was not recorded, so its moves cannot be "
               "shown.</p>\n";
    }
    if (replay.san.empty()) {
        return "<p>No moves yet.</p>\n";
    }
    std::string out =
        "<div class=\"scroll\"><table class=\"moves\">\n<tr><th "
        "class=\"n\">Move</th><th>White</th><th>Black</th></tr>\n";
    int number = replay.start.fullmoveNumber();
    std::size_t i = 0;
    if (replay.start.sideToMove() == chess::Black) {
        out += "<tr><td class=\"n\">" + std::to_string(number++) + "</td><td>&hellip;</td><td>" +
               replay.san[i++] + "</td></tr>\n";
    }
    for (; i < replay.san.size(); i += 2) {
        out += "<tr><td class=\"n\">" + std::to_string(number++) + "</td><td>" + replay.san[i] +
               "</td><td>" + (i + 1 < replay.san.size() ? replay.san[i + 1] : "") + "</td></tr>\n";
    }
    return out + "</table></div>\n";
}

}  // namespace

Response GamePage(const Game& g, std::int64_t now) {
    const Replay replay = ReplayGame(g);
    const std::string id = std::to_string(g.id);
    PageFrame frame{"Game " + id + ": " + Utf8(g.whiteName) + " vs " + Utf8(g.blackName), "../"};
    const std::string type = TypeName(g);
    std::string body =
        "<dl class=\"facts\">\n<dt>White</dt><dd>" + PlayerLink(kGameFrame, g.whiteName) +
        "</dd>\n<dt>Black</dt><dd>" + PlayerLink(kGameFrame, g.blackName) +
        "</dd>\n<dt>Type</dt><dd><a href=\"../variants.html#" + Escape(TypeAnchor(type)) + "\">" +
        Escape(type) + "</a></dd>\n<dt>Move time</dt><dd>" + MoveTime(g.amount, g.unit) +
        " a move</dd>\n<dt>Started</dt><dd>" + FormatDate(g.created) + "</dd>\n";
    if (g.ended) {
        body += "<dt>Ended</dt><dd>" + FormatDate(g.endedAt) + "</dd>\n";
    }
    body += "<dt>" + std::string(g.ended ? "Result" : "Status") + "</dt><dd>" + Status(g, now) +
            "</dd>\n</dl>\n";
    body += "<div class=\"game\">\n";
    if (replay.startKnown) {
        body += "<section><h2>" + std::string(g.ended ? "Final position" : "Position") + "</h2>\n" +
                Board(replay.end) + "</section>\n";
    }
    body += "<section><h2>Moves</h2>\n" + Moves(replay) + "</section>\n</div>\n";
    body += "<p class=\"links\"><a href=\"" + id + ".pgn\">Download the PGN record</a> <a href=\"" +
            Escape(StatsHref(kGameFrame, g.whiteName)) + "\">Statistics of " +
            EscapeStored(g.whiteName) + "</a>";
    if (g.blackId != g.whiteId) {
        body += " <a href=\"" + Escape(StatsHref(kGameFrame, g.blackName)) + "\">Statistics of " +
                EscapeStored(g.blackName) + "</a>";
    }
    body += "</p>\n";
    return HtmlResponse(200, frame, body);
}

Response PgnFile(const Game& g) {
    Response r;
    r.contentType = "application/x-chess-pgn";
    r.body = GamePgn(g, ReplayGame(g), "Quorvel Chess server");
    r.headers.emplace_back("Content-Disposition",
                           "attachment; filename=\"game-" + std::to_string(g.id) + ".pgn\"");
    r.headers.emplace_back("Cache-Control", "no-cache");
    return r;
}

}  // namespace qc::server::web
