// The pages that show no stored data: the start page, help, variants, what
// this server offers instead of a shop, the terms and the account page.

#include <string>

#include "server/web/pages.h"

namespace qc::server::web {

namespace {

Response Static(std::string title, std::string_view body, std::string root = "") {
    Response r = HtmlResponse(200, PageFrame{std::move(title), std::move(root)}, body);
    r.headers = {{"Cache-Control", "max-age=300"}};
    return r;
}

std::string IndexBody() {
    return R"(<p>The web pages of this Quorvel Chess server: correspondence chess with moves
due within 10 minutes to 4 weeks, against other players, against the server's bot, or
both sides yourself.</p>
<ul>
<li><a href="scoreboard.html">The scoreboard</a>: the players ranked by their results.</li>
<li><a href="variants.html">The game types</a> this server offers.</li>
<li><a href="help.html">How to play</a>, the bot's levels and the client's buttons.</li>
<li><a href="knightstour.html">The Knight's Tour</a>, a puzzle to play in the browser.</li>
<li><a href="buyslots.html">Game slots</a> and <a href="buytexts.html">text messages</a>.</li>
<li><a href="settings/personal.html">Your e-mail address</a>.</li>
<li><a href="terms.html">Terms of use</a> and <a href="disclaimer.html">disclaimer</a>.</li>
</ul>
<p>A player's statistics and game history open from the client's buttons "My Stats" and
"Game History", or from the scoreboard.</p>
)";
}

std::string HelpBody() {
    return R"(<h2 id="play">How to play</h2>
<p>Start the Quorvel Chess client: it lives in the notification area as a small icon and logs
in by itself, as a guest until you enter an identifier (QVID) and password in its settings. Grey
means not logged in, red logged in with nothing waiting, green a game waits for your move,
amber a request waits for your answer.</p>
<p>Open the game list from the icon's menu. "Request Game" asks another player (or anybody, as
a public request) for a game, with a type, a colour and a move time from 10 minutes to 4 weeks.
"Play Bot" starts a game against the bot; "Local Game" lets you play both sides. Double-click a
game to open it, click one of your pieces and then the square it goes to.</p>
<p>Every move must be made before its deadline, or the side to move loses on time. A draw can
be offered and accepted, and a game can be resigned. Games end at once by checkmate,
stalemate, threefold repetition, the fifty-move rule and when neither side can mate.</p>
<h2 id="bot">The bot's levels</h2>
<p><strong>Bot</strong> (level 0) plays a random legal move. <strong>Bot1</strong> to
<strong>Bot10</strong> ask a chess engine, from its weakest skill to its full strength, and
answer within about a second. The bot never loses on time. It takes a draw you offer when it
judges its position level or worse.</p>
<h2 id="client">The client's buttons</h2>
<dl class="facts">
<dt>Refresh</dt><dd>asks the server for fresh lists.</dd>
<dt>Accept Request, Decline Request, Cancel Request</dt><dd>answer a request made to you, or
take back your own.</dd>
<dt>Public Requests</dt><dd>the open requests anybody may accept.</dd>
<dt>Scoreboard</dt><dd>the ranked players; also <a href="scoreboard.html">here</a>.</dd>
<dt>My Stats, My Game History</dt><dd>your pages on this site; "Opponent's Stats" and
"Opponent's Game History" open those of the player in the selected row.</dd>
<dt>Chess Variants</dt><dd>the <a href="variants.html">game types</a> (in the icon's menu).</dd>
<dt>Knight's Tour</dt><dd><a href="knightstour.html">a puzzle</a> to pass the time between
moves.</dd>
<dt>Purchase Slots</dt><dd>how to get <a href="buyslots.html">more game slots</a>.</dd>
<dt>Settings</dt><dd>your identifier and password, sound, start-up and display wishes.</dd>
</dl>
<p>In the game window: "Offer Draw", "Resign", the move log, the chat with your opponent (never
shown on these pages) and the clock of the move's deadline. F1 opens the client's read-me.</p>
)";
}

std::string VariantsBody(const Config& config) {
    std::string body = R"(<p>The game types this server offers. Pick one in the client's
request forms; its "?" button leads here.</p>
<h2 id="standard">Standard</h2>
<p>Chess by its full rules from the usual set-up: castling, en passant, promotion; a game is
drawn at once by threefold repetition, by the fifty-move rule and when neither side has the
material to mate.</p>
<h2 id="chess960">Chess960</h2>
<p>The pieces of the back rank stand in one of 960 orders, drawn at random for each game: the
bishops on squares of both colours, the king between the rooks, black mirroring white. The
pawns and all other rules are as in standard chess. Castling puts king and rook on the
squares they take in standard chess (king on c1 and rook on d1, or king on g1 and rook on f1),
whatever their start; the squares between must be free and the king must not pass through
check. The records name the start position in their FEN tag.</p>
)";
    for (const std::string& type : config.extraGameTypes) {
        const std::string name = Utf8(type);
        body += "<h2 id=\"" + Escape(TypeAnchor(name)) + "\">" + Escape(name) +
                "</h2>\n<p>A game type of this server, played by the rules of standard chess from "
                "the usual set-up.</p>\n";
    }
    return body;
}

std::string BuySlotsBody(const Config& config) {
    return "<p>Every open game takes one game slot of each of its players (a game against the "
           "bot or a local game one of yours); requests take none. A named account has " +
           std::to_string(config.namedSlots) + " slots and a guest " +
           std::to_string(config.guestSlots) +
           ".</p>\n<p>Slots are not sold on this server. Its administrator sets an account's "
           "number of slots:</p>\n<pre>quorvel-server --set-slots NAME N</pre>\n<p>Ask the "
           "person who runs this server if you need more.</p>\n";
}

std::string BuyTextsBody() {
    return R"(<p>This server sends no text messages (SMS), so there are no credits to buy. The
client's text-message boxes change nothing here.</p>
<p>Your turn still shows at once in the client: its icon turns green and it plays its sound.</p>
)";
}

std::string DisclaimerBody() {
    return R"(<p>This server and its client are offered as they are, without any warranty: they
may be unavailable, lose data or contain faults. Games, results and records are kept in good
faith but without guarantee.</p>
<p>Whoever runs this server answers for it and for the accounts on it; the makers of the
software do not.</p>
)";
}

std::string TermsBody() {
    return R"(<p>By using this server you agree:</p>
<ul>
<li>to play fairly: no help from engines or other people in games against people;</li>
<li>to be civil in the chat, which only the two players of a game can read;</li>
<li>not to disturb the service for others (floods of requests or connections);</li>
<li>that your identifier, your games and your results are public on these pages;</li>
<li>that the administrator may close accounts that break these terms.</li>
</ul>
<p>The server keeps your identifier, password digest, e-mail address if you gave one, your
games and their chat. A guest without games or requests is forgotten after 30 days unseen.</p>
)";
}

std::string PersonalBody() {
    return R"(<p>The e-mail address of an account is kept by the server: a new account's password
is sent there. You give it when you create your account in the client ("Create New QVID").</p>
<p>To change it, ask the person who runs this server: the administrator changes it in the
server's database. Your password you change yourself, in the client's settings ("Change
Password").</p>
)";
}

}  // namespace

std::optional<Response> InfoPage(std::string_view path, const Config& config) {
    if (path.empty() || path == "index.html") {
        return Static("Welcome", IndexBody());
    }
    if (path == "style.css") {
        Response r;
        r.contentType = "text/css; charset=utf-8";
        r.body = std::string(StyleSheet());
        r.headers = {{"Cache-Control", "max-age=3600"}};
        return r;
    }
    if (path == "help.html") {
        return Static("Help", HelpBody());
    }
    if (path == "variants.html") {
        return Static("Game types", VariantsBody(config));
    }
    if (path == "knightstour.html") {
        return Static("Knight's Tour", KnightsTourBody());
    }
    if (path == "buyslots.html") {
        return Static("Game slots", BuySlotsBody(config));
    }
    if (path == "buytexts.html") {
        return Static("Text messages", BuyTextsBody());
    }
    if (path == "disclaimer.html") {
        return Static("Disclaimer", DisclaimerBody());
    }
    if (path == "terms.html") {
        return Static("Terms of use", TermsBody());
    }
    if (path == "settings/personal.html") {
        return Static("Your e-mail address", PersonalBody(), "../");
    }
    return std::nullopt;
}

}  // namespace qc::server::web
