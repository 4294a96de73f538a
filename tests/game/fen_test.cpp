#include <gtest/gtest.h>

#include "game/fen.h"

namespace {

class FenTest : public ::testing::Test {
protected:
    void SetUp() override { buildBoardTables(); }
};

SquareSet at(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= 1u << squareFromName(n);
    return s;
}

TEST_F(FenTest, WritesSideThenEachColourInSquareOrderWithKingsMarked)
{
    BoardPosition p;
    p.whiteMen = at({"a1", "c1"});
    p.whiteKings = at({"g3"});
    p.blackKings = at({"h8"});
    p.blackMen = at({"b6"});
    p.side = White;
    EXPECT_EQ(positionToFen(p), "W:Wa1,c1,Kg3:Bb6,Kh8");
    p.side = Black;
    EXPECT_EQ(positionToFen(p), "B:Wa1,c1,Kg3:Bb6,Kh8");

    setPositionFromText(initialPositionText);
    EXPECT_EQ(positionToFen(currentBoardPosition()),
              "W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Bb6,d6,f6,h6,a7,c7,e7,g7,b8,d8,f8,h8");
}

TEST_F(FenTest, ReadsBackWhatItWritesAndToleratesPlayersSpelling)
{
    setPositionFromText("wwwWw0000000b00000000B0000bbbbbb b");
    const BoardPosition original = currentBoardPosition();
    const auto back = parseFen(positionToFen(original));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, original);

    const auto loose = parseFen("  b : bkh8 , b6 : W a1, c1,KG3 .");
    ASSERT_TRUE(loose.has_value());
    EXPECT_EQ(loose->side, Black);
    EXPECT_EQ(loose->whiteMen, at({"a1", "c1"}));
    EXPECT_EQ(loose->whiteKings, at({"g3"}));
    EXPECT_EQ(loose->blackMen, at({"b6"}));
    EXPECT_EQ(loose->blackKings, at({"h8"}));

    const auto quoted = parseFen("\"W:Wc3:Bd6\"");
    ASSERT_TRUE(quoted.has_value());
    EXPECT_EQ(quoted->whiteMen, at({"c3"}));
}

TEST_F(FenTest, RefusesBrokenStringsWithAMessage)
{
    const char* bad[] = {
        "",                     // nothing
        "X:Wa1:Bh8",            // side
        "W:Wa2:Bb8",            // light square
        "W:Wa1,a1:Bb8",         // a square twice
        "W:Wa1:Ba1",            // both colours on one square
        "W:Wc3:Wd4",            // a colour twice
        "W:Wc3",                // Black not named
        "W:Wc3,,d4:Bd6",        // empty square field
        "W:Wz9:Bd6",            // no such square
        "W:Wc3:Qd6",            // unknown colour
    };
    for (const char* text : bad) {
        std::string error;
        EXPECT_FALSE(parseFen(text, &error).has_value()) << text;
        EXPECT_FALSE(error.empty()) << text;
    }
}

TEST_F(FenTest, EveryPlacementTheProgramHoldsReadsBack)
{
    // The last position of a game won by taking every black piece.
    const auto p = parseFen("B:Wc3,Kh8:B");
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(p->blackMen | p->blackKings, 0u);
    EXPECT_EQ(positionToFen(*p), "B:Wc3,Kh8:B");
    EXPECT_EQ(parseFen(positionToFen(*p)), p);

    // Setup may leave men on their crowning rows; a position file may hold an empty board.
    BoardPosition crowned;
    crowned.whiteMen = at({"b8", "c3"});
    crowned.blackMen = at({"a1", "d6"});
    crowned.side = Black;
    BoardPosition empty;
    for (const BoardPosition& q : {crowned, empty}) {
        std::string error;
        const auto back = parseFen(positionToFen(q), &error);
        ASSERT_TRUE(back.has_value()) << positionToFen(q) << ": " << error;
        EXPECT_EQ(*back, q) << positionToFen(q);
    }
    EXPECT_EQ(positionToFen(empty), "W:W:B");
}

TEST_F(FenTest, SetBoardPositionKeepsTheDerivedSetsRight)
{
    const auto p = parseFen("B:WKa1,c3:Bd6,Kh2");
    ASSERT_TRUE(p.has_value());
    setBoardPosition(*p);
    EXPECT_EQ(sideToMove, Black);
    EXPECT_EQ(whitePieces, at({"a1", "c3"}));
    EXPECT_EQ(blackPieces, at({"d6", "h2"}));
    EXPECT_EQ(occupied, at({"a1", "c3", "d6", "h2"}));
}

} // namespace
