// Squares and their names, the board tables, the position text and the board picture.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_rules.h"
#include "tests/engine/test_support.h"

namespace {

using testing_support::currentSets;

class Board : public ::testing::Test {
protected:
    void SetUp() override { testing_support::startEngine(); }
};

SquareSet bit(int s) { return SquareSet{1} << s; }

TEST_F(Board, SquaresAreNumberedRowByRowFromWhitesSide)
{
    const char* expected[32] = {"a1", "c1", "e1", "g1", "b2", "d2", "f2", "h2", "a3", "c3", "e3",
                                "g3", "b4", "d4", "f4", "h4", "a5", "c5", "e5", "g5", "b6", "d6",
                                "f6", "h6", "a7", "c7", "e7", "g7", "b8", "d8", "f8", "h8"};
    for (int s = 0; s < 32; ++s) {
        EXPECT_STREQ(squareName[s], expected[s]);
        EXPECT_EQ(squareFromName(expected[s]), s);
        EXPECT_EQ(squareBit[s], bit(s));
        EXPECT_EQ(squareClear[s], ~bit(s));
    }
    for (const char* bad : {"b1", "a2", "h1", "i1", "a9", "a0", "a", "", "a11", "A1"})
        EXPECT_EQ(squareFromName(bad), -1) << bad;
}

TEST_F(Board, NeighboursAndRaysMatchTheBoardGeometry)
{
    // The examples first.
    EXPECT_EQ(neighbourBit[0][0], 0u);
    EXPECT_EQ(neighbourBit[1][0], bit(4));
    EXPECT_EQ(neighbourBit[1][31], 0u);
    EXPECT_EQ(neighbourBit[2][31], 0u);
    EXPECT_EQ(adjacentMask[7], bit(3) | bit(11));
    EXPECT_EQ(diagonalMask[0], bit(4) | bit(9) | bit(13) | bit(18) | bit(22) | bit(27) | bit(31));

    // Then every square and direction, worked out on file and rank.
    const int fileStep[4] = {-1, +1, +1, -1}, rankStep[4] = {+1, +1, -1, -1};
    for (int s = 0; s < 32; ++s) {
        SquareSet adjacent = 0, rays = 0;
        for (int d = 0; d < 4; ++d) {
            int f = ref::fileOf(s) + fileStep[d], r = ref::rankOf(s) + rankStep[d];
            const SquareSet expected = ref::onBoard(f, r) ? bit(ref::squareAt(f, r)) : 0;
            EXPECT_EQ(neighbourBit[d][s], expected) << "square " << s << " direction " << d;
            if (expected) {
                EXPECT_EQ(neighbourSquare[d][s], ref::squareAt(f, r));
            }
            adjacent |= expected;
            for (; ref::onBoard(f, r); f += fileStep[d], r += rankStep[d]) rays |= bit(ref::squareAt(f, r));
        }
        EXPECT_EQ(adjacentMask[s], adjacent) << s;
        EXPECT_EQ(diagonalMask[s], rays) << s;
    }
}

TEST_F(Board, MirrorTurnsTheBoardHalfRound)
{
    EXPECT_EQ(mirrorSet(bit(0)), bit(31));
    EXPECT_EQ(mirrorSet(bit(squareFromName("d4"))), bit(squareFromName("e5")));
    EXPECT_EQ(mirrorSet(bit(squareFromName("c5"))), bit(squareFromName("f4")));
    EXPECT_EQ(mirrorSet(0), 0u);
    EXPECT_EQ(mirrorSet(0x00000FFFu), 0xFFF00000u);
    std::mt19937 rng(3);
    for (int i = 0; i < 1000; ++i) {
        const SquareSet s = static_cast<SquareSet>(rng());
        ASSERT_EQ(mirrorSet(mirrorSet(s)), s);
        ASSERT_EQ(popCount(mirrorSet(s)), popCount(s));
        for (int q = 0; q < 32; ++q) ASSERT_EQ((mirrorSet(s) >> (31 - q)) & 1, (s >> q) & 1);
    }
}

TEST_F(Board, PositionTextSetsTheFourSetsAndTheSideToMove)
{
    setPositionFromText(initialPositionText);
    EXPECT_EQ(whiteMen, 0x00000FFFu);
    EXPECT_EQ(blackMen, 0xFFF00000u);
    EXPECT_EQ(whiteKings | blackKings, 0u);
    EXPECT_EQ(whitePieces, 0x00000FFFu);
    EXPECT_EQ(blackPieces, 0xFFF00000u);
    EXPECT_EQ(occupied, 0xFFF00FFFu);
    EXPECT_EQ(popCount(occupied), 24);
    EXPECT_EQ(sideToMove, White);

    // Kings, other characters as empty squares; only a lower-case "b" means Black.
    setPositionFromText("Wx.bB000000000000000000000000000 b");
    EXPECT_EQ(whiteKings, bit(0));
    EXPECT_EQ(blackMen, bit(3));
    EXPECT_EQ(blackKings, bit(4));
    EXPECT_EQ(whiteMen, 0u);
    EXPECT_EQ(occupied, bit(0) | bit(3) | bit(4));
    EXPECT_EQ(sideToMove, Black);
    for (const char* side : {"B", "w", "W", "x"}) {
        setPositionFromText(std::string(emptyPositionText).substr(0, 33) + side);
        EXPECT_EQ(sideToMove, White) << side;
    }
    // Character 33 is not read.
    setPositionFromText("00000000000000000000000000000000xb");
    EXPECT_EQ(sideToMove, Black);
    EXPECT_EQ(occupied, 0u);
}

TEST_F(Board, ShortPositionTextLeavesTheRestEmptyWithWhiteToMove)
{
    setPositionFromText(initialPositionText);
    sideToMove = Black;
    setPositionFromText("wwb");
    EXPECT_EQ(whiteMen, bit(0) | bit(1));
    EXPECT_EQ(blackMen, bit(2));
    EXPECT_EQ(occupied, bit(0) | bit(1) | bit(2));
    EXPECT_EQ(sideToMove, White);
    setPositionFromText(std::string(initialPositionText).substr(0, 33));
    EXPECT_EQ(occupied, 0xFFF00FFFu);
    EXPECT_EQ(sideToMove, White);
    setPositionFromText("");
    EXPECT_EQ(occupied, 0u);
    EXPECT_EQ(sideToMove, White);
}

TEST_F(Board, TextRoundTripAndDerivedSets)
{
    std::mt19937 rng(11);
    for (int i = 0; i < 500; ++i) {
        const std::string text = testing_support::randomPlacement(rng, static_cast<int>(rng() % 13),
                                                                  static_cast<int>(rng() % 13), 30);
        setPositionFromText(text);
        ASSERT_EQ(positionToText(sideToMove), text);
        ASSERT_EQ(testing_support::currentText(sideToMove), text);
    }
    // Direct edits followed by recomputeDerivedSets, as position setup does them.
    setPositionFromText(initialPositionText);
    whiteMen &= ~bit(0);
    whiteKings |= bit(16);
    blackMen &= ~bit(31);
    blackKings |= bit(15);
    recomputeDerivedSets();
    EXPECT_EQ(whitePieces, (0x00000FFFu & ~bit(0)) | bit(16));
    EXPECT_EQ(blackPieces, (0xFFF00000u & ~bit(31)) | bit(15));
    EXPECT_EQ(occupied, whitePieces | blackPieces);
}

using BoardPicture = Board;

TEST_F(BoardPicture, PictureHasOneCharacterPerSquareOfTheWholeBoard)
{
    setPositionFromText("Ww00000000000000000000000000bB0B b"); // a1 W, c1 w, b8 b, d8 B, h8 B
    refreshBoardPicture();
    std::string expected(64, '.');
    expected[0] = 'W';  // a1
    expected[2] = 'w';  // c1
    expected[57] = 'b'; // b8: rank 8, file b
    expected[59] = 'B'; // d8
    expected[63] = 'B'; // h8
    EXPECT_EQ(std::string(boardPicture, 64), expected);

    setPositionFromText(initialPositionText);
    refreshBoardPicture();
    EXPECT_EQ(std::string(previousBoardPicture, 64), expected);
    const std::string start = std::string("w.w.w.w.") + ".w.w.w.w" + "w.w.w.w." + std::string(16, '.') +
                              ".b.b.b.b" + "b.b.b.b." + ".b.b.b.b";
    EXPECT_EQ(std::string(boardPicture, 64), start);
    // Twice in a row: both pictures equal, nothing marked as changed.
    refreshBoardPicture();
    EXPECT_EQ(std::string(previousBoardPicture, 64), std::string(boardPicture, 64));
}

} // namespace
