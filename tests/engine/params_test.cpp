// Bit helpers and the texts for moves, square sets and scores.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "engine/engine.h"
#include "tests/engine/test_support.h"

namespace {

SquareSet named(std::initializer_list<const char*> names)
{
    SquareSet s = 0;
    for (const char* n : names) s |= SquareSet{1} << squareFromName(n);
    return s;
}

TEST(BitHelpers, LowestHighestAndCount)
{
    EXPECT_EQ(lowestBit(named({"a1"})), 0);
    EXPECT_EQ(lowestBit(named({"h8"})), 31);
    EXPECT_EQ(highestBit(named({"a1", "h8"})), 31);
    EXPECT_EQ(highestBit(named({"a1"})), 0);
    EXPECT_EQ(lowestBit(0), 0);
    EXPECT_EQ(highestBit(0), 0);
    EXPECT_EQ(popCount(0xFFF00FFFu), 24);
    EXPECT_EQ(popCount(0xFFFFFFFFu), 32);
    std::mt19937 rng(9);
    for (int i = 0; i < 2000; ++i) {
        const SquareSet s = static_cast<SquareSet>(rng()) & static_cast<SquareSet>(rng());
        if (!s) continue;
        int low = -1, high = -1, count = 0;
        for (int q = 0; q < 32; ++q)
            if ((s >> q) & 1) {
                if (low < 0) low = q;
                high = q;
                ++count;
            }
        ASSERT_EQ(lowestBit(s), low);
        ASSERT_EQ(highestBit(s), high);
        ASSERT_EQ(popCount(s), count);
    }
}

TEST(Texts, SquareSetTextListsNamesInSquareOrder)
{
    EXPECT_EQ(squareSetText(named({"g7", "c3", "e5"})), "c3:e5:g7");
    EXPECT_EQ(squareSetText(named({"d4"})), "d4");
    EXPECT_EQ(squareSetText(0), "");
    EXPECT_EQ(squareSetText(0x80000001u), "a1:h8");
    // b2 (4) comes before a3 (8) although its file is later.
    EXPECT_EQ(squareSetText(named({"a3", "b2"})), "b2:a3");
}

TEST(Texts, MoveTextUsesColonForCapturesAndDashOtherwise)
{
    const MoveCode c3d4 = static_cast<MoveCode>(9 | (13 << 5));
    EXPECT_EQ(moveText(c3d4), "c3-d4");
    EXPECT_EQ(moveText(static_cast<MoveCode>(9 | (18 << 5) | captureFlag | (1 << 10))), "c3:e5");
    EXPECT_EQ(moveText(static_cast<MoveCode>(25 | (29 << 5) | promotionFlag)), "c7-d8");
    EXPECT_EQ(moveText(static_cast<MoveCode>(19 | (19 << 5) | captureFlag | (4 << 10))), "g5:g5");
}

TEST(Texts, ScoreTextShowsEvaluationsSignedAndMatesAsMoves)
{
    EXPECT_EQ(scoreText(0), "0");
    EXPECT_EQ(scoreText(35), "+35");
    EXPECT_EQ(scoreText(-120), "-120");
    EXPECT_EQ(scoreText(4000), "+4000");
    EXPECT_EQ(scoreText(-4000), "-4000");
    EXPECT_EQ(scoreText(4001), "Выигрыш через 499 ходов");
    EXPECT_EQ(scoreText(4998), "Выигрыш через 1 ходов");
    EXPECT_EQ(scoreText(4999), "Выигрыш через 0 ходов");
    EXPECT_EQ(scoreText(5000), "Выигрыш через 0 ходов");
    EXPECT_EQ(scoreText(-4997), "Проигрыш через 1 ходов");
    EXPECT_EQ(scoreText(-4001), "Проигрыш через 499 ходов");
    // (v + 5000) / 2 rounds toward zero.
    EXPECT_EQ(scoreText(-4999), "Проигрыш через 0 ходов");
    EXPECT_EQ(scoreText(-4998), "Проигрыш через 1 ходов");
}

} // namespace
