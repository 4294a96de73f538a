// Keys and the two transposition tables: the key function, the order in which keys
// are drawn, probe, peek, store with its replacement rule, clear, and table size.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine/test_support.h"

namespace {

using namespace testing_support;

class Hashing : public ::testing::Test {
protected:
    void SetUp() override
    {
        useConfig("hashsize=1\n"); // 32768 entries: quick to clear
        seedRandom(4242);
        initEngine();
        finishStartupOnce();
    }
    static HashEntry::Fields slot(int side, std::uint32_t key)
    {
        return hashTables[side][key & static_cast<std::uint32_t>(hashMask)].read();
    }
};

TEST_F(Hashing, KeyOfAPositionIsTheXorOfItsPiecesAndTheSideToMove)
{
    setPositionFromText("W0w0000000000000000b0000000B0000 w"); // White king a1, man e1, Black man g5, king g7
    const std::uint32_t expected = pieceKeys[0][0] ^ pieceKeys[1][2] ^ pieceKeys[3][19] ^ pieceKeys[2][27];
    EXPECT_EQ(hashPosition(White), expected);
    EXPECT_EQ(hashPosition(Black), expected ^ blackToMoveKey);
    setPositionFromText(emptyPositionText);
    EXPECT_EQ(hashPosition(White), 0u);
    EXPECT_EQ(hashPosition(Black), blackToMoveKey);
}

TEST_F(Hashing, KeysAreDrawnSquareBySquareInKindOrderThenTheSideKey)
{
    // randomKey: the first draw below 65536 is the high half, the second the low half.
    seedRandom(99);
    const std::uint32_t high = randomBelow(65536), low = randomBelow(65536);
    seedRandom(99);
    EXPECT_EQ(randomKey(), (high << 16) | low);

    // The same generator state, replayed by hand with the redraw rule.
    seedRandom(7);
    std::uint32_t expected[4][32];
    for (int s = 0; s < 32; ++s)
        for (int kind = 0; kind < 4; ++kind) {
            auto clashes = [&](std::uint32_t k) {
                for (int earlierKind = 0; earlierKind <= kind; ++earlierKind)
                    for (int t = 0; t < s; ++t)
                        if (expected[earlierKind][t] == k) return true;
                return false;
            };
            std::uint32_t k = randomKey();
            while (clashes(k)) k = randomKey();
            expected[kind][s] = k;
        }
    const std::uint32_t expectedSideKey = randomKey();
    seedRandom(7);
    buildKeys();
    for (int kind = 0; kind < 4; ++kind)
        for (int s = 0; s < 32; ++s) ASSERT_EQ(pieceKeys[kind][s], expected[kind][s]) << kind << " " << s;
    EXPECT_EQ(blackToMoveKey, expectedSideKey);

    // Another seed, another set of keys: a new game gets fresh keys.
    seedRandom(8);
    buildKeys();
    EXPECT_NE(pieceKeys[0][0], expected[0][0]);
}

TEST_F(Hashing, ProbeReportsTheMoveAtAnyDepthAndTheScoreOnlyWhenDeepEnough)
{
    const std::uint32_t key = 0x12345678u;
    const MoveCode move = 8 | (12 << 5);
    plyState[3].positionKey = key;
    storeHash(White, 4, 3, -77, boundLower, move);
    const HashEntry::Fields e = slot(White, key);
    EXPECT_EQ(e.key, key);
    EXPECT_EQ(e.score, -77);
    EXPECT_EQ(e.move, move);
    EXPECT_EQ(e.info, 1u * 65536 + 2u * 256 + 4u);

    auto probe = [&](int side, int depth, std::uint32_t k) {
        plyState[3].positionKey = k;
        plyState[3].hashMove = 0;
        plyState[3].hashBound = 0;
        return probeHash(side, depth, 3);
    };
    EXPECT_EQ(probe(White, 6, key), 0);
    EXPECT_EQ(plyState[3].hashBound, 0);
    EXPECT_EQ(plyState[3].hashMove, move);

    EXPECT_EQ(probe(White, 4, key), -77);
    EXPECT_EQ(plyState[3].hashBound, boundLower);
    EXPECT_EQ(plyState[3].hashMove, move);
    EXPECT_EQ(probe(White, 1, key), -77);

    // The other side's table, and another key on the same slot, hold nothing.
    EXPECT_EQ(probe(Black, 1, key), 0);
    EXPECT_EQ(plyState[3].hashMove, 0);
    const std::uint32_t sameSlot = key ^ (static_cast<std::uint32_t>(hashMask) + 1);
    EXPECT_EQ(probe(White, 1, sameSlot), 0);
    EXPECT_EQ(plyState[3].hashMove, 0);
    EXPECT_EQ(plyState[3].hashBound, 0);

    const HashPeek hit = peekHash(key, White);
    EXPECT_EQ(hit.bound, boundLower);
    EXPECT_EQ(hit.depth, 4);
    EXPECT_EQ(hit.score, -77);
    EXPECT_EQ(peekHash(key, Black).bound, 0);
    EXPECT_EQ(peekHash(sameSlot, White).bound, 0);
}

TEST_F(Hashing, StoreKeepsADeeperEntryOfThisEngineMoveOnly)
{
    const std::uint32_t key = 0xCAFE0001u;
    const std::uint32_t other = key ^ (static_cast<std::uint32_t>(hashMask) + 1); // same slot
    auto store = [](std::uint32_t k, int depth, int score) {
        plyState[2].positionKey = k;
        storeHash(Black, depth, 2, score, boundExact, 0);
    };
    store(key, 9, 100);
    store(key, 3, 200);
    EXPECT_EQ(peekHash(key, Black).score, 100) << "shallower store of the same age is ignored";
    store(other, 8, 300);
    EXPECT_EQ(peekHash(key, Black).score, 100) << "the rule does not look at the key";
    EXPECT_EQ(peekHash(other, Black).bound, 0);

    store(key, 9, 400);
    EXPECT_EQ(peekHash(key, Black).score, 400) << "an equally deep store replaces";

    searchAge = 2;
    store(other, 3, 500);
    const HashPeek replaced = peekHash(other, Black);
    EXPECT_EQ(replaced.score, 500) << "an entry from an earlier engine move is replaced";
    EXPECT_EQ(replaced.depth, 3);
    EXPECT_EQ(slot(Black, other).info >> 16, 2u);
    EXPECT_EQ(peekHash(key, Black).bound, 0);

    // Depth and score travel whole; a store into White's table leaves Black's alone.
    plyState[2].positionKey = key;
    storeHash(White, 255, 2, -4999, boundUpper, 0x1234);
    const HashPeek white = peekHash(key, White);
    EXPECT_EQ(white.depth, 255);
    EXPECT_EQ(scoreFromTable(white.score, 2), -4999);
    EXPECT_EQ(white.bound, boundUpper);
    EXPECT_EQ(peekHash(other, Black).score, 500);
}

TEST_F(Hashing, WinsAndLossesAreKeptCountedFromTheirNodeOtherScoresAsTheyAre)
{
    const std::uint32_t key = 0x00ABCDEFu;
    auto storedAtPlyThreeSeenFrom = [&](int score, int ply) {
        plyState[3].positionKey = key;
        storeHash(White, 6, 3, score, boundExact, 0);
        plyState[ply].positionKey = key;
        plyState[ply].hashBound = 0;
        return probeHash(White, 6, ply);
    };
    // A win 7 plies below the node stored at ply 3 is 7 plies below it at ply 9 too.
    EXPECT_EQ(storedAtPlyThreeSeenFrom(5000 - 10, 9), 5000 - 16);
    EXPECT_EQ(peekHash(key, White).score, 5000 - 7);
    EXPECT_EQ(storedAtPlyThreeSeenFrom(10 - 5000, 5), 12 - 5000);
    EXPECT_EQ(storedAtPlyThreeSeenFrom(decidedScore + 1, 3), decidedScore + 1);
    // Bitbase verdicts with their material correction, and the edge of the range, are
    // no distances.
    for (int score : {3003, -3003, decidedScore, -decidedScore, 0}) {
        EXPECT_EQ(storedAtPlyThreeSeenFrom(score, 11), score);
        EXPECT_EQ(peekHash(key, White).score, score);
    }
}

TEST_F(Hashing, ClearEmptiesBothTables)
{
    for (std::uint32_t k : {1u, 2u, 0xFFFFFFFFu}) {
        plyState[1].positionKey = k;
        storeHash(White, 5, 1, 1, boundExact, 7);
        storeHash(Black, 5, 1, 1, boundExact, 7);
    }
    clearHash();
    for (int side : {White, Black})
        for (std::uint32_t i = 0; i <= static_cast<std::uint32_t>(hashMask); ++i) {
            const HashEntry& e = hashTables[side][i];
            ASSERT_TRUE(e.keyAndScore == 0 && e.moveAndInfo == 0) << side << " " << i;
        }
}

TEST_F(Hashing, TableSizeFollowsTheConfigurationEvenWhenNotAPowerOfTwo)
{
    useConfig("hashsize=48\n");
    initEngine();
    ASSERT_EQ(hashMask, 1572863);
    // Bit 19 lies outside the mask (0x17FFFF): such a key shares slot 5 with key 5.
    plyState[1].positionKey = 0x00080005u;
    storeHash(White, 5, 1, 11, boundExact, 0);
    EXPECT_EQ(hashTables[White][5].read().key, 0x00080005u);
    plyState[1].positionKey = 0x00100005u;
    storeHash(White, 5, 1, 12, boundExact, 0);
    EXPECT_EQ(hashTables[White][0x100005].read().key, 0x00100005u);
    // The highest key lands on the last entry of the table.
    plyState[1].positionKey = 0xFFFFFFFFu;
    storeHash(Black, 5, 1, 13, boundExact, 0);
    EXPECT_EQ(hashTables[Black][1572863].read().score, 13);
    EXPECT_EQ(peekHash(0xFFFFFFFFu, Black).score, 13);
}

} // namespace
