// Move ordering: the scores the generators write, learning from cutoffs, and the
// order in which the picker hands moves out.
#include <gtest/gtest.h>

#include <vector>

#include "engine/engine.h"
#include "tests/engine/test_support.h"

namespace {

class Ordering : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing_support::startEngine();
        clearOrdering();
        for (auto& state : plyState) state.hashMove = 0;
    }
};

MoveCode quiet(const char* from, const char* to) { return static_cast<MoveCode>(squareFromName(from) | (squareFromName(to) << 5)); }

// The score the generator gave to move m at ply, or a marker when m is not listed.
int scoreOf(int ply, int n, MoveCode m)
{
    for (int i = 1; i <= n; ++i)
        if (moveLists[ply].moves[i] == m) return moveLists[ply].scores[i];
    return -12345;
}

TEST_F(Ordering, QuietMoveScoresFollowTheLevelsInOrder)
{
    setPositionFromText(initialPositionText);
    const int ply = 5;
    plyState[ply].hashMove = quiet("c3", "d4");
    killerMoves(ply)[0] = quiet("e3", "f4");
    killerMoves(ply)[1] = quiet("g3", "h4");
    killerMoves(ply - 2)[0] = quiet("a3", "b4");
    killerMoves(ply - 2)[1] = quiet("c3", "b4");
    historyTable[White][quiet("e3", "d4") & 1023] = 77;
    historyTable[Black][quiet("g3", "f4") & 1023] = 55; // the other side's counter
    const int n = generateQuietMoves(White, ply);
    ASSERT_EQ(n, 7);
    EXPECT_EQ(scoreOf(ply, n, quiet("c3", "d4")), 20000000);
    EXPECT_EQ(scoreOf(ply, n, quiet("e3", "f4")), 10000000);
    EXPECT_EQ(scoreOf(ply, n, quiet("g3", "h4")), 9999999);
    EXPECT_EQ(scoreOf(ply, n, quiet("a3", "b4")), 9999998);
    EXPECT_EQ(scoreOf(ply, n, quiet("c3", "b4")), 9999997);
    EXPECT_EQ(scoreOf(ply, n, quiet("e3", "d4")), 77);
    EXPECT_EQ(scoreOf(ply, n, quiet("g3", "f4")), 0);

    // A move that is also a killer gets the score of the first level it matches.
    killerMoves(ply)[0] = quiet("c3", "d4");
    killerMoves(ply - 2)[1] = quiet("e3", "f4");
    generateQuietMoves(White, ply);
    EXPECT_EQ(scoreOf(ply, n, quiet("c3", "d4")), 20000000);
    EXPECT_EQ(scoreOf(ply, n, quiet("e3", "f4")), 9999997);
}

TEST_F(Ordering, MovesAreComparedWithTheirFlagsAndKingsScoreLikeMen)
{
    // White king b2 and a man on c7 whose steps promote.
    setPositionFromText("0000W00000000000000000000w000000 w");
    const int ply = 4;
    const MoveCode promotion = quiet("c7", "d8") | promotionFlag;
    plyState[ply].hashMove = promotion;
    killerMoves(ply)[0] = quiet("b2", "e5"); // a king's move as killer
    historyTable[White][quiet("c7", "b8") & 1023] = 9; // indexed without the flag
    int n = generateQuietMoves(White, ply);
    EXPECT_EQ(scoreOf(ply, n, promotion), 20000000);
    EXPECT_EQ(scoreOf(ply, n, quiet("b2", "e5")), 10000000);
    EXPECT_EQ(scoreOf(ply, n, quiet("c7", "b8") | promotionFlag), 9);
    // The same squares without the flag are not the hash move.
    plyState[ply].hashMove = quiet("c7", "d8");
    n = generateQuietMoves(White, ply);
    EXPECT_EQ(scoreOf(ply, n, promotion), 0);
}

TEST_F(Ordering, CaptureScoresAreTheHashMoveOrTheNumberTaken)
{
    // White king a1 has a1:h2 and a1:g3 over c3 and f4; the man a3 takes b4 alone.
    setPositionFromText("W0000000wb00b0b00000000000000000 w");
    int n = generateCaptures(White, 6);
    ASSERT_EQ(n, 3);
    EXPECT_EQ(moveText(moveLists[6].moves[3]), "a3:c5");
    for (int i = 1; i <= n; ++i) EXPECT_EQ(moveLists[6].scores[i], popCount(moveLists[6].captured[i]));
    plyState[6].hashMove = moveLists[6].moves[n];
    const MoveCode hash = moveLists[6].moves[n];
    n = generateCaptures(White, 6);
    for (int i = 1; i <= n; ++i)
        EXPECT_EQ(moveLists[6].scores[i], moveLists[6].moves[i] == hash ? 2000000 : popCount(moveLists[6].captured[i]));
}

TEST_F(Ordering, RecordCutoffLearnsFromQuietMovesOnly)
{
    const MoveCode a = quiet("c3", "d4"), b = quiet("e3", "f4");
    recordCutoff(White, a, 7, 6);
    EXPECT_EQ(historyTable[White][a & 1023], 36);
    EXPECT_EQ(historyTable[Black][a & 1023], 0);
    recordCutoff(White, a, 7, 6);
    EXPECT_EQ(historyTable[White][a & 1023], 72);
    EXPECT_EQ(killerMoves(7)[0], a);
    EXPECT_EQ(killerMoves(7)[1], 0) << "repeating the first killer leaves both";
    recordCutoff(White, b, 7, 2);
    recordCutoff(White, a, 7, 2);
    EXPECT_EQ(killerMoves(7)[0], a);
    EXPECT_EQ(killerMoves(7)[1], b);
    EXPECT_EQ(killerMoves(8)[0], 0);

    const MoveCode capture = static_cast<MoveCode>(a | captureFlag | (1 << 10));
    recordCutoff(White, capture, 7, 9);
    EXPECT_EQ(historyTable[White][capture & 1023], 76);
    EXPECT_EQ(killerMoves(7)[0], a);
    EXPECT_EQ(killerMoves(7)[1], b);

    for (int d = -64; d <= 64; ++d) ASSERT_EQ(historyBonus(d), d * d);
    clearOrdering();
    EXPECT_EQ(historyTable[White][a & 1023], 0);
    EXPECT_EQ(killerMoves(7)[0], 0);
    EXPECT_EQ(killerMoves(7)[1], 0);
}

TEST_F(Ordering, AtPliesOneAndTwoOnlyTheOwnKillersCount)
{
    setPositionFromText(initialPositionText);
    const MoveCode a = quiet("c3", "d4");
    recordCutoff(White, a, 1, 3); // killer of ply 1, history 9
    int n = generateQuietMoves(White, 1);
    EXPECT_EQ(scoreOf(1, n, a), 10000000);
    n = generateQuietMoves(White, 3);
    EXPECT_EQ(scoreOf(3, n, a), 9999998) << "ply 1's killer is ply 3's killer from two plies earlier";
    n = generateQuietMoves(White, 2);
    EXPECT_EQ(scoreOf(2, n, a), 9) << "ply 0 holds no killers";
    EXPECT_EQ(killerMoves(0)[0], 0);
    EXPECT_EQ(killerMoves(-1)[0], 0);
}

// Fills ply's list with moves 1..n (the word is the entry number) and the given scores.
void fillList(int ply, const std::vector<int>& scores)
{
    MoveList& list = moveLists[ply];
    list.count = static_cast<int>(scores.size());
    for (int i = 1; i <= list.count; ++i) {
        list.moves[i] = static_cast<MoveCode>(i);
        list.captured[i] = SquareSet{1} << i;
        list.scores[i] = scores[static_cast<std::size_t>(i - 1)];
    }
    plyState[ply].movesLeft = list.count;
    plyState[ply].sortPending = 1;
}

// The original entry numbers in the order handed out; checks that the captured set
// and the score travel with their move.
std::vector<int> handedOut(int ply, const std::vector<int>& scores)
{
    std::vector<int> order;
    for (int i; (i = pickNextMove(ply)) != 0;) {
        const MoveCode m = moveLists[ply].moves[i];
        EXPECT_EQ(moveLists[ply].captured[i], SquareSet{1} << m);
        EXPECT_EQ(moveLists[ply].scores[i], scores[m - 1u]);
        order.push_back(m);
        if (order.size() > scores.size()) break;
    }
    return order;
}

TEST_F(Ordering, PickerHandsOutHighestFirstEqualScoresInListOrder)
{
    fillList(2, {5, 9, 9, 0});
    EXPECT_EQ(handedOut(2, {5, 9, 9, 0}), (std::vector<int>{2, 3, 1, 4}));
    EXPECT_EQ(pickNextMove(2), 0);

    // A capture that is the hash move first, then by pieces taken, ties in list order.
    fillList(2, {1, 3, 2000000, 3, 2});
    EXPECT_EQ(handedOut(2, {1, 3, 2000000, 3, 2}), (std::vector<int>{3, 2, 4, 5, 1}));
}

TEST_F(Ordering, PickerStopsSortingOnceOnlyUnscoredMovesRemain)
{
    fillList(3, {0, 0, 0});
    EXPECT_EQ(pickNextMove(3), 1);
    EXPECT_EQ(plyState[3].sortPending, 0);
    EXPECT_EQ(pickNextMove(3), 2);
    EXPECT_EQ(pickNextMove(3), 3);
    EXPECT_EQ(pickNextMove(3), 0);

    // With sorting off from the start the list comes out as it stands.
    fillList(3, {1, 7, 3});
    plyState[3].sortPending = 0;
    EXPECT_EQ(handedOut(3, {1, 7, 3}), (std::vector<int>{1, 2, 3}));

    // Sorting stays on while positive scores remain.
    fillList(3, {4, 0, 6});
    EXPECT_EQ(pickNextMove(3), 1);
    EXPECT_EQ(moveLists[3].moves[1], 3);
    EXPECT_EQ(plyState[3].sortPending, 1);
    EXPECT_EQ(plyState[3].movesLeft, 2);
}

} // namespace
