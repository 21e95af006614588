#include "client/core/game/game_messages.h"

#include <gtest/gtest.h>

namespace qc::game {
namespace {

const platform::CivilTime kNow{2026, 12, 9, 12, 0, 0};

bool SameTime(const platform::CivilTime& a, const platform::CivilTime& b) {
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
           a.minute == b.minute && a.second == b.second;
}

TEST(GameLine, ReadsTheEighteenFields) {
    GameFields f;
    EXPECT_TRUE(
        ReadGameLine("game: 4711,anna,Bob,Chess960,W,Agreed "
                     "Draw,3,D,05Dec26153012,08Dec26153012,B,1,0,1,0,2,5,12",
                     f, kNow));
    EXPECT_EQ(f.GameID, "4711");
    EXPECT_EQ(f.WhitePlayer, "anna");
    EXPECT_EQ(f.BlackPlayer, "Bob");
    EXPECT_EQ(f.GameType, "Chess960");
    EXPECT_EQ(f.GameStatus, "w");
    EXPECT_EQ(f.StatusText, "Agreed Draw");
    EXPECT_EQ(f.MoveTime, 3);
    EXPECT_EQ(f.MoveTimeUnit, "d");
    EXPECT_TRUE(SameTime(f.Started, {2026, 12, 5, 15, 30, 12}));
    EXPECT_TRUE(SameTime(f.MoveBy, {2026, 12, 8, 15, 30, 12}));
    EXPECT_EQ(f.DrawOffer, "b");
    EXPECT_TRUE(f.GameEmailMe);
    EXPECT_FALSE(f.GameTextMe);
    EXPECT_TRUE(f.ShowLast1);
    EXPECT_FALSE(f.ShowLast2);
    EXPECT_TRUE(f.ShowPoss);  // any value but 0
    EXPECT_EQ(f.TextsFree, 5);
    EXPECT_EQ(f.TextsPurchased, 12);
}

TEST(GameLine, OnlyAnotherIdentifierCountsAsAnotherGame) {
    GameFields f;
    f.GameID = "abc";
    EXPECT_FALSE(ReadGameLine("game: ABC,a,b,,w,,1,d,,,,0,0,0,0,0,0,0", f, kNow));
    EXPECT_EQ(f.GameID, "ABC");
    EXPECT_TRUE(ReadGameLine("game: abd,a,b,,w,,1,d,,,,0,0,0,0,0,0,0", f, kNow));
    // Accented letters fold too; signs that sit where letters would do not.
    f.GameID = "\xE9t\xE9";
    EXPECT_FALSE(ReadGameLine("game: \xC9T\xC9,a,b,,w,,1,d,,,,0,0,0,0,0,0,0", f, kNow));
    f.GameID = "g\xF7";
    EXPECT_TRUE(ReadGameLine("game: g\xD7,a,b,,w,,1,d,,,,0,0,0,0,0,0,0", f, kNow));
}

TEST(GameLine, UnconvertibleValuesKeepThePreviousOnes) {
    GameFields f;
    ReadGameLine("game: 1,a,b,,w,,3,d,05Dec26153012,08Dec26153012,,1,1,1,1,1,5,12", f, kNow);
    struct Case {
        const char* line;
        std::int16_t moveTime;
        bool startedKept;
        std::int32_t free;
        std::int32_t purchased;
    };
    const Case cases[] = {
        // Not numbers or dates: the old values stay, the rest is read.
        {"game: 1,a,b,,w,,x,d,never,08Dec26153012,,1,1,1,1,1,6,13", 3, true, 6, 13},
        {"game: 1,a,b,,w,,,d,05Dec26153012,08Dec26153012,,1,1,1,1,1,7,14", 3, true, 7, 14},
        {"game: 1,a,b,,w,,4x,d,05Dec26153012,08Dec26153012,,1,1,1,1,1,8,15", 3, true, 8, 15},
        // Beyond the field's range.
        {"game: 1,a,b,,w,,40000,d,05Dec26153012,08Dec26153012,,1,1,1,1,1,9999999999,16", 3, true, 5,
         16},
        // Rounded halves to even; blanks allowed around a number.
        {"game: 1,a,b,,w,, 2.5 ,d,05Dec26153012,08Dec26153012,,1,1,1,1,1,5,12", 2, true, 5, 12},
    };
    for (const Case& c : cases) {
        GameFields g = f;
        if (std::string(c.line).find("never") == std::string::npos) {
            g.Started = {};
        }
        ReadGameLine(c.line, g, kNow);
        EXPECT_EQ(g.MoveTime, c.moveTime) << c.line;
        EXPECT_EQ(g.TextsFree, c.free) << c.line;
        EXPECT_EQ(g.TextsPurchased, c.purchased) << c.line;
        EXPECT_TRUE(SameTime(g.Started, {2026, 12, 5, 15, 30, 12})) << c.line;
    }
}

TEST(GameLine, FieldsAreTakenByTheirPositionAmongTheCommas) {
    GameFields f;
    f.GameID = "7";
    f.WhitePlayer = "old";
    f.MoveTime = 9;
    // A short line: the fields with a comma after them are read; the rest
    // keep their values, and the numbers read the leading number of what remains.
    ReadGameLine("game: 8,anna,bob", f, kNow);
    EXPECT_EQ(f.GameID, "8");
    EXPECT_EQ(f.WhitePlayer, "anna");
    EXPECT_EQ(f.BlackPlayer, "");
    EXPECT_EQ(f.MoveTime, 9);
    EXPECT_FALSE(f.GameEmailMe);  // "bob" reads as 0

    // Extra commas push every later field along; nothing checks their count.
    ReadGameLine("game: 8,anna,bob,,w,check, mate,1,h,05Dec26153012,08Dec26153012,,1,0,1,1,1,2,3",
                 f, kNow);
    EXPECT_EQ(f.StatusText, "check");
    EXPECT_EQ(f.MoveTimeUnit, "1");
    EXPECT_EQ(f.DrawOffer, "08dec26153012");
    EXPECT_EQ(f.TextsPurchased, 2);

    // Nothing after the prefix at all changes nothing.
    GameFields before = f;
    EXPECT_FALSE(ReadGameLine("game: ", f, kNow));
    EXPECT_EQ(f.GameID, before.GameID);
    EXPECT_EQ(f.TextsFree, 0);
}

TEST(Board, CellsFollowTheOrientation) {
    EXPECT_EQ(SquareToIndex("e2", "w"), 52);
    EXPECT_EQ(SquareToIndex("e2", ""), 52);
    EXPECT_EQ(SquareToIndex("e2", "b"), 11);
    EXPECT_EQ(SquareToIndex("a8", "w"), 0);
    EXPECT_EQ(SquareToIndex("h1", "b"), 0);
    EXPECT_EQ(SquareToIndex("i1", "w"), -1);
    EXPECT_EQ(SquareToIndex("e", "w"), -1);
    EXPECT_EQ(IndexToSquare(64, "w"), "");
    EXPECT_EQ(IndexToSquare(-1, "b"), "");
    for (const char* o : {"w", "b"}) {
        for (int i = 0; i < 64; ++i) {
            EXPECT_EQ(SquareToIndex(IndexToSquare(i, o), o), i);
        }
    }
}

TEST(Board, PiecesAreFoundBySquare) {
    const std::string board = ReadBoardLine("Board: A1WBb2wpE8BK");
    EXPECT_EQ(board, "a1wbb2wpe8bk");
    auto cells = BoardCells(board, "w");
    EXPECT_EQ(cells[56], "wb");  // a1
    EXPECT_EQ(cells[49], "wp");  // b2, not the b of the bishop
    EXPECT_EQ(cells[4], "bk");   // e8
    int occupied = 0;
    for (const std::string& c : cells) {
        occupied += c.empty() ? 0 : 1;
    }
    EXPECT_EQ(occupied, 3);
    cells = BoardCells(board, "b");
    EXPECT_EQ(cells[7], "wb");
    EXPECT_EQ(cells[59], "bk");
    // A group cut short at the end gives what there is.
    EXPECT_EQ(BoardCells("h8b", "w")[7], "b");
    EXPECT_EQ(ReadBoardLine("board:"), "");
}

TEST(CanMove, SquaresPromotionsAndCastling) {
    const std::string canMove = ReadCanMoveLine("CanMove: a8pB8pCA");
    EXPECT_EQ(canMove, "a8pb8pca");
    EXPECT_TRUE(CanMoveTo(canMove, "a8"));
    EXPECT_TRUE(CanMovePromotes(canMove, "b8"));
    EXPECT_FALSE(CanMoveTo(canMove, "c8"));
    EXPECT_FALSE(CanMoveTo(canMove, ""));
    EXPECT_TRUE(CanCastleA(canMove));
    EXPECT_FALSE(CanCastleH(canMove));
    const std::string plain = ReadCanMoveLine("canmove: e3e4ch");
    EXPECT_FALSE(CanMovePromotes(plain, "e4"));
    EXPECT_TRUE(CanCastleH(plain));
    EXPECT_EQ(ReadCanMoveLine("canmove: "), "");
}

}  // namespace
}  // namespace qc::game
