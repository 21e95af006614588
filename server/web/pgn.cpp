#include "server/web/pgn.h"

#include <ctime>

#include "chess/notation.h"
#include "server/core/text.h"
#include "server/web/html.h"

namespace qc::server::web {

namespace {

constexpr std::string_view kStandardFen =
    "rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1";

// A tag value: backslashes and quotes escaped, control characters dropped.
std::string TagValue(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"') {
            out += '\\';
        }
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) {
            out += c;
        }
    }
    return out;
}

std::string Tag(std::string_view name, std::string_view value) {
    return "[" + std::string(name) + " \"" + TagValue(value) + "\"]\n";
}

std::string PgnDate(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm tm{};
    if (unixSeconds <= 0 || gmtime_r(&t, &tm) == nullptr) {
        return "????.??.??";
    }
    char buffer[16];
    std::strftime(buffer, sizeof buffer, "%Y.%m.%d", &tm);
    return buffer;
}

// Words joined by blanks into lines of at most 80 characters.
class Wrapper {
  public:
    void Add(const std::string& word) {
        if (!line_.empty() && line_.size() + 1 + word.size() > 80) {
            text_ += line_ + "\n";
            line_.clear();
        }
        line_ += (line_.empty() ? "" : " ") + word;
    }
    std::string Finish() { return text_ + line_ + "\n"; }

  private:
    std::string text_;
    std::string line_;
};

std::string Comment(const Game& game) {
    const std::string& p = game.phrase;
    if (p == "white resigned") {
        return "White resigns.";
    }
    if (p == "black resigned") {
        return "Black resigns.";
    }
    if (p == "lost on time") {
        return game.result == GameResult::WhiteWins ? "Black lost on time." : "White lost on time.";
    }
    if (p == "agreed draw") {
        return "Draw agreed.";
    }
    if (p.empty()) {
        return {};
    }
    // A brace would end the comment early.
    std::string text;
    for (char c : Utf8(p)) {
        if (c != '{' && c != '}' && static_cast<unsigned char>(c) >= 0x20) {
            text += c;
        }
    }
    if (text.empty()) {
        return {};
    }
    text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
    return text + ".";
}

}  // namespace

Replay ReplayGame(const Game& game) {
    Replay r;
    r.chess960 = EqualsNoCase(game.gameType, "Chess960");
    std::string fen = game.startFen;
    if (fen.empty() && !r.chess960) {
        // Games begun before positions were stored start from the set-up.
        fen = std::string(kStandardFen);
    }
    std::optional<chess::Position> start =
        fen.empty() ? std::nullopt : chess::Position::fromFen(fen, nullptr, r.chess960);
    if (!start) {
        return r;
    }
    r.startKnown = true;
    r.start = *start;
    r.startFen = start->fen(chess::Position::CastlingNotation::XFen);
    chess::Position pos = *start;
    for (std::string_view text : Split(game.moves, ' ')) {
        if (text.empty()) {
            continue;
        }
        chess::MoveParse parsed = chess::parseMoveCommand(pos, text);
        if (!parsed.ok()) {
            break;  // the game service stops its replay at the same move
        }
        r.san.push_back(chess::toSan(pos, parsed.move));
        pos.makeMove(parsed.move);
    }
    r.end = std::move(pos);
    return r;
}

std::string GamePgn(const Game& game, const Replay& replay, const std::string& site) {
    const std::string result = ResultToken(game);
    std::string out;
    out += Tag("Event", "Correspondence game " + std::to_string(game.id));
    out += Tag("Site", site);
    out += Tag("Date", PgnDate(game.created));
    out += Tag("Round", "-");
    out += Tag("White", Utf8(game.whiteName));
    out += Tag("Black", Utf8(game.blackName));
    out += Tag("Result", result);
    const bool setUp = replay.startKnown && replay.startFen != kStandardFen;
    if (replay.chess960) {
        out += Tag("Variant", "Chess960");
    }
    if (replay.startKnown && (setUp || replay.chess960)) {
        out += Tag("SetUp", "1");
        out += Tag("FEN", replay.startFen);
    }
    out += "\n";

    Wrapper movetext;
    int number = replay.start.fullmoveNumber();
    bool white = replay.start.sideToMove() == chess::White;
    for (std::size_t i = 0; i < replay.san.size(); ++i) {
        if (white) {
            movetext.Add(std::to_string(number) + ". " + replay.san[i]);
        } else {
            if (i == 0) {
                movetext.Add(std::to_string(number) + "... " + replay.san[i]);
            } else {
                movetext.Add(replay.san[i]);
            }
            ++number;
        }
        white = !white;
    }
    if (game.ended) {
        const std::string comment = Comment(game);
        if (!comment.empty()) {
            movetext.Add("{" + comment + "}");
        }
    }
    movetext.Add(result);
    return out + movetext.Finish();
}

}  // namespace qc::server::web
