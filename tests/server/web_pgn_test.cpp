// The PGN records of the web site, read back by a SAN reader of the test's
// own and replayed to the position the game service rebuilds.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "chess/notation.h"
#include "server/core/accounts.h"
#include "server/core/games.h"
#include "server/core/store.h"
#include "server/web/site.h"

namespace qc::server::testing {
namespace {

using ::testing::HasSubstr;

// Reads one SAN move without asking the library to write SAN: by piece,
// target square, the origin's file or rank, capture mark and promotion.
std::optional<chess::Move> ReadSan(const chess::Position& pos, std::string san) {
    while (!san.empty() && (san.back() == '+' || san.back() == '#')) {
        san.pop_back();
    }
    const chess::MoveList legal = pos.legalMoves();
    if (san == "O-O" || san == "O-O-O") {
        const bool hSide = san == "O-O";
        for (chess::Move m : legal) {
            if (m.kind() == chess::Move::Castling && (m.to() > m.from()) == hSide) {
                return m;
            }
        }
        return std::nullopt;
    }
    chess::PieceType promotion = chess::NoPieceType;
    if (const std::size_t eq = san.find('='); eq != std::string::npos) {
        if (eq + 2 != san.size()) {
            return std::nullopt;
        }
        const std::string letters = "NBRQ";
        const std::size_t at = letters.find(san[eq + 1]);
        if (at == std::string::npos) {
            return std::nullopt;
        }
        promotion = static_cast<chess::PieceType>(chess::Knight + at);
        san.resize(eq);
    }
    chess::PieceType type = chess::Pawn;
    const std::string pieces = "NBRQK";
    if (!san.empty() && pieces.find(san[0]) != std::string::npos) {
        type = static_cast<chess::PieceType>(chess::Knight + pieces.find(san[0]));
        san.erase(0, 1);
    }
    if (san.size() < 2) {
        return std::nullopt;
    }
    const std::optional<chess::Square> target = chess::parseSquare(san.substr(san.size() - 2));
    if (!target) {
        return std::nullopt;
    }
    std::string origin = san.substr(0, san.size() - 2);
    const bool capture = !origin.empty() && origin.back() == 'x';
    if (capture) {
        origin.pop_back();
    }
    std::optional<chess::Move> found;
    for (chess::Move m : legal) {
        if (m.kind() == chess::Move::Castling || m.to() != *target ||
            chess::typeOf(pos.pieceOn(m.from())) != type || m.promotion() != promotion ||
            (pos.capturedBy(m) != chess::NoPiece) != capture) {
            continue;
        }
        bool fits = true;
        for (char c : origin) {
            if (c >= 'a' && c <= 'h') {
                fits &= chess::fileOf(m.from()) == c - 'a';
            } else if (c >= '1' && c <= '8') {
                fits &= chess::rankOf(m.from()) == c - '1';
            } else {
                fits = false;
            }
        }
        if (fits) {
            if (found) {
                return std::nullopt;  // ambiguous: not valid SAN
            }
            found = m;
        }
    }
    return found;
}

struct ParsedPgn {
    std::vector<std::pair<std::string, std::string>> tags;
    std::vector<std::string> moves;
    std::string result;
    std::string Tag(const std::string& name) const {
        for (const auto& [k, v] : tags) {
            if (k == name) {
                return v;
            }
        }
        return "(none)";
    }
};

ParsedPgn ReadPgn(const std::string& text) {
    ParsedPgn pgn;
    std::istringstream in(text);
    std::string line, movetext;
    const std::regex tag("^\\[([A-Za-z0-9_]+) \"((?:[^\"\\\\]|\\\\.)*)\"\\]$");
    while (std::getline(in, line)) {
        EXPECT_LE(line.size(), 80u) << line;
        std::smatch m;
        if (std::regex_match(line, m, tag)) {
            pgn.tags.emplace_back(m[1], m[2]);
        } else {
            movetext += line + " ";
        }
    }
    movetext = std::regex_replace(movetext, std::regex("\\{[^}]*\\}"), " ");
    std::istringstream words(movetext);
    std::string word;
    const std::regex number("^[0-9]+\\.(\\.\\.)?$");
    while (words >> word) {
        if (!std::regex_match(word, number)) {
            pgn.moves.push_back(word);
        }
    }
    if (!pgn.moves.empty()) {
        pgn.result = pgn.moves.back();
        pgn.moves.pop_back();
    }
    return pgn;
}

struct RecordCase {
    const char* name;
    int chess960Start;  // -1: standard chess
    unsigned seed;
    int maxPlies;
};

class WebPgnTest : public ::testing::TestWithParam<RecordCase> {};

// A game that uses what SAN must get right: castling (in Chess960 too),
// promotions, captures, ambiguous pieces, check and mate.
std::vector<std::string> PlayGame(chess::Position pos, unsigned seed, int maxPlies) {
    std::mt19937 random(seed);
    std::vector<std::string> moves;
    for (int ply = 0; ply < maxPlies && !pos.status().over(); ++ply) {
        const chess::MoveList legal = pos.legalMoves();
        std::vector<chess::Move> preferred;
        for (chess::Move m : legal) {
            if (m.kind() == chess::Move::Castling || m.kind() == chess::Move::Promotion) {
                preferred.push_back(m);
            }
        }
        chess::Move move = legal[static_cast<int>(random() % legal.size())];
        if (!preferred.empty() && random() % 4 != 0) {
            move = preferred[random() % preferred.size()];
        }
        moves.push_back(chess::toUci(pos, move));
        pos.makeMove(move);
    }
    return moves;
}

TEST_P(WebPgnTest, RecordReplaysToTheStoredGame) {
    const RecordCase& c = GetParam();
    Store store(":memory:");
    Config config;
    const TimePoint at = FromUnixSeconds(1796859900);
    ASSERT_EQ(AddNamedAccount(store, config, "alice", "a", at), AddAccountResult::Added);
    ASSERT_EQ(AddNamedAccount(store, config, "bob", "b", at), AddAccountResult::Added);
    const std::int64_t alice = store.FindAccount("alice")->id;
    const std::int64_t bob = store.FindAccount("bob")->id;

    const bool chess960 = c.chess960Start >= 0;
    chess::Position start;
    if (chess960) {
        start = *chess::Position::chess960Start(c.chess960Start);
        start.setChess960(true);
    }
    const std::vector<std::string> moves = PlayGame(start, c.seed, c.maxPlies);
    std::string joined;
    for (const std::string& m : moves) {
        joined += (joined.empty() ? "" : " ") + m;
    }
    NewGame g{alice,
              bob,
              chess960 ? "Chess960" : "",
              2,
              "h",
              1796859900,
              1796859900 + 7200,
              chess960 ? start.fen(chess::Position::CastlingNotation::Shredder) : ""};
    const std::int64_t id = store.AddGame(g);
    store.RecordMoves(id, joined, moves.size() % 2 ? 'b' : 'w', 1796867100, 0);
    Store::Transaction tx(store);
    const std::optional<LiveGame> stored = LoadGame(store, id);
    ASSERT_TRUE(stored);
    ASSERT_EQ(stored->moves.size(), moves.size());
    std::string expectedResult = "*";
    if (stored->position.status().over()) {
        const chess::Result r = stored->position.status().result;
        store.EndGame(id,
                      r == chess::Result::WhiteWins   ? GameResult::WhiteWins
                      : r == chess::Result::BlackWins ? GameResult::BlackWins
                                                      : GameResult::Draw,
                      1796867100, stored->position.status().phrase());
        expectedResult = r == chess::Result::WhiteWins   ? "1-0"
                         : r == chess::Result::BlackWins ? "0-1"
                                                         : "1/2-1/2";
    } else if (c.seed % 2 == 0) {
        store.EndGame(id, GameResult::BlackWins, 1796867100, "white resigned");
        expectedResult = "0-1";
    }
    tx.Commit();

    web::Site site(store, config);
    const web::Response r = site.Handle("GET", "/game/" + std::to_string(id) + ".pgn", "");
    ASSERT_EQ(r.status, 200);
    EXPECT_EQ(r.contentType, "application/x-chess-pgn");
    EXPECT_THAT(r.Header("Content-Disposition"),
                HasSubstr("filename=\"game-" + std::to_string(id) + ".pgn\""));
    const ParsedPgn pgn = ReadPgn(r.body);

    // The seven tags first, in their order, then the set-up for Chess960.
    const std::vector<std::string> roster = {"Event", "Site",  "Date",  "Round",
                                             "White", "Black", "Result"};
    ASSERT_GE(pgn.tags.size(), roster.size()) << r.body;
    for (std::size_t i = 0; i < roster.size(); ++i) {
        EXPECT_EQ(pgn.tags[i].first, roster[i]);
    }
    EXPECT_EQ(pgn.Tag("White"), "alice");
    EXPECT_EQ(pgn.Tag("Black"), "bob");
    EXPECT_EQ(pgn.Tag("Date"), "2026.12.09");
    EXPECT_EQ(pgn.Tag("Result"), expectedResult);
    EXPECT_EQ(pgn.result, expectedResult);
    chess::Position pos;
    if (chess960) {
        EXPECT_EQ(pgn.Tag("Variant"), "Chess960");
        EXPECT_EQ(pgn.Tag("SetUp"), "1");
        std::optional<chess::Position> fromTag =
            chess::Position::fromFen(pgn.Tag("FEN"), nullptr, true);
        ASSERT_TRUE(fromTag) << pgn.Tag("FEN");
        EXPECT_TRUE(*fromTag == start);
        pos = *fromTag;
    } else {
        EXPECT_EQ(pgn.tags.size(), roster.size()) << r.body;
    }

    ASSERT_EQ(pgn.moves.size(), moves.size()) << r.body;
    for (const std::string& san : pgn.moves) {
        const std::optional<chess::Move> m = ReadSan(pos, san);
        ASSERT_TRUE(m) << "not a legal SAN move here: " << san << " in " << pos.fen();
        pos.makeMove(*m);
    }
    EXPECT_TRUE(pos == stored->position) << pos.fen() << " vs " << stored->position.fen();
}

INSTANTIATE_TEST_SUITE_P(Games, WebPgnTest,
                         ::testing::Values(RecordCase{"StandardShort", -1, 1, 12},
                                           RecordCase{"StandardLong", -1, 2, 400},
                                           RecordCase{"StandardLong2", -1, 7, 400},
                                           RecordCase{"StandardLong3", -1, 10, 400},
                                           RecordCase{"Chess960Kingside", 0, 3, 300},
                                           RecordCase{"Chess960Mid", 500, 4, 300},
                                           RecordCase{"Chess960Last", 959, 5, 300},
                                           RecordCase{"Chess960Running", 123, 9, 40}),
                         [](const ::testing::TestParamInfo<RecordCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(WebPgnSanReader, KnowsTheFeaturesItChecks) {
    // The reader itself: castling, promotion with capture, disambiguation.
    auto pos = chess::Position::fromFen("r3k2r/1P6/8/8/8/8/8/R3K1NR w KQkq - 0 1");
    ASSERT_TRUE(pos);
    EXPECT_TRUE(ReadSan(*pos, "O-O-O"));
    EXPECT_TRUE(ReadSan(*pos, "bxa8=Q+"));
    EXPECT_TRUE(ReadSan(*pos, "b8=N"));
    EXPECT_FALSE(ReadSan(*pos, "b8"));    // a promotion must name its piece
    EXPECT_FALSE(ReadSan(*pos, "Nf3x"));  // malformed
    EXPECT_TRUE(ReadSan(*pos, "Rb1"));    // only the a1 rook reaches b1
    auto twoKnights = chess::Position::fromFen("4k3/8/8/8/8/8/8/2N1K1N1 w - - 0 1");
    ASSERT_TRUE(twoKnights);
    EXPECT_FALSE(ReadSan(*twoKnights, "Ne2"));  // ambiguous
    EXPECT_TRUE(ReadSan(*twoKnights, "Nge2"));
    EXPECT_TRUE(ReadSan(*twoKnights, "Nce2"));
}

}  // namespace
}  // namespace qc::server::testing
