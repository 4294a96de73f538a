// The recursive search: loss scores by ply, the early returns, the table cutoffs, the
// capture extension and the quiet-move reductions (seen through the depth each node
// stores), quiescence's stand-pat, the bitbase probe of interior nodes and the stop.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "tests/engine/search_support.h"

namespace {

using namespace search_support;
using testing_support::currentSets;

// White man a1 hemmed in by black men b2 and c3: White has pieces but no move.
const std::string whiteBlocked = position("a1", "b2 c3 h8", 'w');
const std::string whiteWithoutPieces = position("", "b6 d6", 'w');

// The depth stored for the node at ply, 0 when nothing is stored.
int storedDepth(int ply, int side)
{
    const HashPeek entry = peekHash(plyState[ply].positionKey, side);
    return entry.bound == 0 ? 0 : entry.depth;
}

TEST_F(SearchTest, ASideWithoutPiecesOrMovesLosesByPly)
{
    for (const std::string& text : {whiteWithoutPieces, whiteBlocked}) {
        for (int ply : {2, 5, 40}) {
            const int side = placeNode(text, ply);
            EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 4, ply, side), ply - infiniteScore) << text << " ply " << ply;
        }
    }
    // Quiescence knows the side without pieces; a blocked side stands on its static score.
    int side = placeNode(whiteWithoutPieces, 2);
    EXPECT_EQ(quiescence(-infiniteScore, infiniteScore, 2, side), -4998);
    side = placeNode(whiteBlocked, 2);
    EXPECT_EQ(quiescence(-infiniteScore, infiniteScore, 2, side), evaluate(White));

    // Black closes the cage with d4-c3: White is left without a move at ply 3.
    side = placeNode(position("a1", "b2 d4 h8", 'b'), 2);
    EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 3, 2, side), infiniteScore - 3);
}

TEST_F(SearchTest, AnAlphaBeyondTheBestReachableScoreReturnsAtOnce)
{
    int side = placeNode(initialPositionText, 3);
    EXPECT_EQ(alphaBeta(4999, 5000, 6, 3, side), 4999);
    EXPECT_EQ(quiescence(4999, 5000, 3, side), 4999);
    EXPECT_EQ(movesSincePlaced(), 0);
    EXPECT_EQ(pvLast[3], 2) << "the line is left empty";

    // 4997 is still reachable at ply 3: the node is searched.
    side = placeNode(initialPositionText, 3);
    alphaBeta(4997, 4998, 3, 3, side);
    EXPECT_GT(movesSincePlaced(), 0);
}

TEST_F(SearchTest, PlySixtyThreeReturnsTheStaticScoreEvenWithACapturePending)
{
    const std::string text = position("c3 e1", "d4 h8", 'w');
    const int side = placeNode(text, deepestPly);
    ASSERT_GT(generateCaptures(side, 0), 0);
    EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 9, deepestPly, side), evaluate(side));
    EXPECT_EQ(quiescence(-infiniteScore, infiniteScore, deepestPly, side), evaluate(side));
    EXPECT_EQ(movesSincePlaced(), 0);
    // One ply earlier the capture is searched.
    placeNode(text, deepestPly - 1);
    alphaBeta(-infiniteScore, infiniteScore, 1, deepestPly - 1, side);
    EXPECT_EQ(movesSincePlaced(), 1);
}

TEST_F(SearchTest, TableEntriesCutOffByBoundAndExactOnesOnlyInNullWindows)
{
    const MoveCode a3b4 = 392;
    struct Case {
        int storedDepth, score, bound, alpha, beta;
        bool cuts;
    };
    const Case cases[] = {
        {9, 123, boundExact, 50, 51, true},
        {9, 123, boundExact, -infiniteScore, infiniteScore, false},
        {9, 123, boundExact, 50, 200, false},
        {5, 123, boundExact, 50, 51, false}, // not deep enough for depth 6
        {6, 40, boundUpper, 50, 51, true},
        {6, 60, boundUpper, 50, 51, false},
        {6, 60, boundLower, 50, 51, true},
        {6, 40, boundLower, 50, 51, false},
    };
    for (const Case& c : cases) {
        clearHash();
        const int side = placeNode(initialPositionText, 2);
        storeHash(side, c.storedDepth, 2, c.score, c.bound, a3b4);
        const int score = alphaBeta(c.alpha, c.beta, 6, 2, side);
        const std::string what = "stored depth " + std::to_string(c.storedDepth) + " bound " + std::to_string(c.bound) +
                                 " window " + std::to_string(c.alpha) + "," + std::to_string(c.beta);
        if (c.cuts) {
            EXPECT_EQ(score, c.score) << what;
            EXPECT_EQ(movesSincePlaced(), 0) << what;
        } else {
            EXPECT_GT(movesSincePlaced(), 0) << what;
        }
        if (c.cuts && c.bound == boundExact) {
            EXPECT_EQ(pvLast[2], 2) << "a one-move line";
            EXPECT_EQ(pvTable[2][0], a3b4);
        }
    }
}

TEST_F(SearchTest, EverySecondCaptureAlongALineIsExtendedByOnePly)
{
    // White c3 must take d4; no reduction applies to captures.
    const std::string capture = position("c3 a1 g1", "d4 h8 f8", 'w');
    // Credit 5 from the capture above: this capture is the second, searched one deeper.
    for (int creditAbove : {0, 5}) {
        clearHash();
        const int side = placeNode(capture, 3);
        plyState[2].extensionCredit = creditAbove;
        alphaBeta(-infiniteScore, infiniteScore, 3, 3, side);
        EXPECT_EQ(storedDepth(3, side), creditAbove ? 4 : 3) << "credit above " << creditAbove;
        EXPECT_EQ(plyState[3].extensionCredit, creditAbove ? 0 : 5) << "credit left for the line below";
    }
    // A quiet move passes the credit on unspent and is not extended.
    clearHash();
    const int side = placeNode(position("c3 a1 g1", "h6 h8 f8", 'w'), 3);
    plyState[2].extensionCredit = 5;
    alphaBeta(-infiniteScore, infiniteScore, 3, 3, side);
    EXPECT_EQ(storedDepth(3, side), 3);
    EXPECT_EQ(plyState[3].extensionCredit, 5);
}

TEST_F(SearchTest, QuietMovesOfNullWindowNodesAreReducedByTheMarginAboveMaterial)
{
    // The initial position: 24 pieces, material 0, only quiet moves.
    struct Case {
        int alpha;
        bool nullWindow;
        int expectedDepth;
    };
    const Case cases[] = {
        {49, true, 6},  {50, true, 5},   {149, true, 5},   {150, true, 4},  {299, true, 4},
        {300, true, 3}, {999, true, 3},  {1000, true, 6},  {150, false, 6}, {-100, true, 6},
    };
    for (const Case& c : cases) {
        clearHash();
        const int side = placeNode(initialPositionText, 2);
        alphaBeta(c.alpha, c.alpha + (c.nullWindow ? 1 : 100), 6, 2, side);
        EXPECT_EQ(storedDepth(2, side), c.expectedDepth) << "alpha " << c.alpha << (c.nullWindow ? " null window" : "");
    }
    // With material counted: White a man up, so the margins start from 100.
    clearHash();
    int side = placeNode("wwwwwwwwwwww00000000bbbbbbbbbbb0 w", 2);
    ASSERT_EQ(plyState[2].materialBalance, 100);
    alphaBeta(250, 251, 6, 2, side);
    EXPECT_EQ(storedDepth(2, side), 4);
    // Ten pieces or fewer: nothing is reduced.
    clearHash();
    side = placeNode(position("a1 c1 e1 g1 b2", "b8 d8 f8 h8 g7", 'w'), 2);
    alphaBeta(plyState[2].materialBalance + 300, plyState[2].materialBalance + 301, 6, 2, side);
    EXPECT_EQ(storedDepth(2, side), 6);
}

TEST_F(SearchTest, QuiescenceStandsPatWhenNothingCanBeTakenOrPromoted)
{
    // No capture and no man on the rows before promotion.
    const std::string text = position("a1 c1 e3", "b8 d8 f6", 'w');
    const int side = placeNode(text, 2);
    const int e = evaluate(side);
    EXPECT_EQ(quiescence(e - 10, e + 10, 2, side), e);
    EXPECT_EQ(quiescence(e + 10, e + 20, 2, side), e + 10) << "alpha stays when the static score is below it";
    EXPECT_EQ(quiescence(e - 20, e - 10, 2, side), e) << "the static score itself when it reaches beta";
    EXPECT_EQ(movesSincePlaced(), 0);
    // A man on the row before promotion is moved on.
    placeNode(position("a1 c7", "h8", 'w'), 2);
    quiescence(-infiniteScore, infiniteScore, 2, White);
    EXPECT_GT(movesSincePlaced(), 0);
}

// A bitbase in which every position is a win for the side to move.
void loadAllWinsBitbase()
{
    bitbaseData.assign(bitbaseSizeFourPieces, 0xAA);
    bitbaseLoaded = true;
    EGTBPieses = 4;
}

TEST_F(SearchTest, InteriorNodesOfTheStrongerSideTakeTheBitbaseVerdictWithMaterial)
{
    loadAllWinsBitbase();
    struct Case {
        std::string text;
        int expected;
    };
    const Case cases[] = {
        {position("Kc3", "b8 d8", 'w'), 3000 - 2 + 3},  // a king more, two men fewer
        {position("b2 d2", "Kb8", 'b'), 3000 - 2 + 3}, // the same with Black to move
        {position("Kc3 b2 d2", "Kh8", 'w'), 3000 + 2},        // equal kings, two men more
        {position("c3", "h8", 'b'), 3000},                    // equal material
    };
    for (const Case& c : cases) {
        const int side = placeNode(c.text, 3);
        const auto before = currentSets();
        const std::uint32_t probes = bitbaseProbeCount;
        EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 5, 3, side), c.expected) << c.text;
        EXPECT_EQ(quiescence(-infiniteScore, infiniteScore, 3, side), c.expected) << c.text;
        EXPECT_EQ(bitbaseProbeCount, probes + 2);
        EXPECT_EQ(movesSincePlaced(), 0);
        EXPECT_EQ(currentSets(), before) << "the board is turned back";
    }
    // The weaker side to move is searched; its opponent's replies are probed.
    const int side = placeNode(position("Kc3", "b8 d8", 'b'), 3);
    const std::uint32_t probes = bitbaseProbeCount;
    const int score = alphaBeta(-infiniteScore, infiniteScore, 1, 3, side);
    EXPECT_GT(movesSincePlaced(), 0);
    EXPECT_GT(bitbaseProbeCount, probes);
    EXPECT_EQ(score, -(3000 + 3 - 2)) << "every reply leaves White's won verdict";
    // Beyond the piece limit nothing is probed.
    placeNode(position("Kc3 a1", "b8 h8 f8", 'w'), 3);
    const std::uint32_t before = bitbaseProbeCount;
    alphaBeta(-infiniteScore, infiniteScore, 1, 3, White);
    EXPECT_EQ(bitbaseProbeCount - before, 0u);
    // Nor beyond the five pieces the tables hold, whatever limit is configured: six
    // pieces would otherwise read as a draw from no table at all.
    EGTBPieses = 6;
    placeNode(position("a1 c1 e1", "b8 d8 f8", 'w'), 3);
    EXPECT_LT(alphaBeta(-infiniteScore, infiniteScore, 1, 3, White), 1000) << "searched, not probed";
    EXPECT_EQ(bitbaseProbeCount - before, 0u);
}

TEST_F(SearchTest, AfterAStopNodesReturnAtOnceOrFinishTheirLoopsAndLeaveThePosition)
{
    // Entered after the stop: beta, at once.
    int side = placeNode(initialPositionText, 2);
    stopRequested = true;
    EXPECT_EQ(alphaBeta(-infiniteScore, 77, 5, 2, side), 77);
    EXPECT_EQ(movesSincePlaced(), 0);
    stopRequested = false;

    // Stopped by the clock in the middle: every node still returns, the position is
    // as before, and the node that was open stores nothing: its result is no bound.
    const char* positions[] = {initialPositionText, "wwww0w0ww00w00w0b000bbbb0000bbbb w",
                               "0w0w0000b0ww00wb00w0000b00b0000b w", "00000W0000000000000000b00b0B0000 b"};
    for (const char* text : positions) {
        for (int movesBeforeCheck : {1, 37, 5000}) {
            clearHash();
            side = placeNode(text, 2);
            const auto before = currentSets();
            timeBudget = 0;
            budgetStart = fakeNow;
            nodeCountdown = movesBeforeCheck;
            stopRequested = false;
            const int score = alphaBeta(-infiniteScore, infiniteScore, 9, 2, side);
            EXPECT_TRUE(stopRequested) << text;
            EXPECT_EQ(currentSets(), before) << text << " after " << movesBeforeCheck;
            EXPECT_GE(score, -infiniteScore);
            EXPECT_LE(score, infiniteScore);
            EXPECT_EQ(peekHash(plyState[2].positionKey, side).bound, 0) << "the open node stores nothing";
        }
    }
    timeBudget = unlimitedTime;
    stopRequested = false;
    // A complete search leaves the position too, in all positions.
    for (const char* text : positions) {
        clearHash();
        side = placeNode(text, 2);
        const auto before = currentSets();
        alphaBeta(-infiniteScore, infiniteScore, 8, 2, side);
        EXPECT_EQ(currentSets(), before) << text;
    }
}

TEST_F(SearchTest, AStoppedSearchLeavesNothingThatALaterSearchTakesForAResult)
{
    const std::string text = "wwww0w0ww00w00w0b000bbbb0000bbbb w";
    int side = placeNode(text, 2);
    const int unhurried = alphaBeta(-infiniteScore, infiniteScore, 6, 2, side);
    clearHash();
    clearOrdering();
    // The clock stops the search in its first child: every move then scores as lost.
    side = placeNode(text, 2);
    timeBudget = 0;
    budgetStart = fakeNow;
    nodeCountdown = 1;
    alphaBeta(-infiniteScore, infiniteScore, 9, 2, side);
    ASSERT_TRUE(stopRequested);
    // The next search of the position must not take that for an upper bound.
    stopRequested = false;
    timeBudget = unlimitedTime;
    clearOrdering();
    side = placeNode(text, 2);
    EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 6, 2, side), unhurried);
}

TEST_F(SearchTest, WinAndLossDistancesSurviveATranspositionToAnotherPly)
{
    // King a1 takes the last black man at once; with Black to move and a second king
    // on e1 either step of the man is taken.
    for (const std::string& text : {position("Ka1", "c3", 'w'), position("Ka1 Ke1", "c3", 'b')}) {
        clearHash();
        int side = placeNode(text, 4);
        const int atPlyFour = alphaBeta(-infiniteScore, infiniteScore, 5, 4, side);
        ASSERT_GT(std::abs(atPlyFour), decidedScore) << text;
        // Stored by a search two plies nearer the root, then met again at ply 4: a
        // null-window node takes the exact entry, which must count from ply 4.
        clearHash();
        side = placeNode(text, 2);
        EXPECT_EQ(alphaBeta(-infiniteScore, infiniteScore, 5, 2, side), atPlyFour + (atPlyFour > 0 ? 2 : -2)) << text;
        side = placeNode(text, 4);
        EXPECT_EQ(alphaBeta(atPlyFour - 1, atPlyFour, 5, 4, side), atPlyFour) << text;
        EXPECT_EQ(pvLast[4], 4) << "the cutoff came from the table";
    }
}

TEST_F(SearchTest, ChildEntriesOfQuietMovesCutOffOrPromoteTheMove)
{
    // The child after g3-h4, the last quiet move of the initial position, is stored
    // for Black before the node is searched.
    const MoveCode g3h4 = 491;
    auto storeChild = [](int depth, int score, int bound) {
        keyAfterQuietMove(g3h4, White, 2);
        const std::uint32_t saved = plyState[3].positionKey;
        std::swap(plyState[2].positionKey, plyState[3].positionKey);
        storeHash(Black, depth, 2, score, bound, 0);
        std::swap(plyState[2].positionKey, plyState[3].positionKey);
        ASSERT_EQ(plyState[3].positionKey, saved);
    };
    struct Case {
        int storedDepth, score, bound;
        bool cuts;
    };
    const Case cases[] = {
        {5, -300, boundUpper, true}, {5, -300, boundExact, true}, {9, -300, boundUpper, true},
        {5, -300, boundLower, false}, {5, -100, boundUpper, false}, {4, -300, boundUpper, false},
    };
    for (const Case& c : cases) {
        clearHash();
        placeNode(initialPositionText, 2);
        storeChild(c.storedDepth, c.score, c.bound);
        const int score = alphaBeta(100, 200, 6, 2, White);
        const std::string what = "depth " + std::to_string(c.storedDepth) + " score " + std::to_string(c.score) +
                                 " bound " + std::to_string(c.bound);
        if (c.cuts) {
            EXPECT_EQ(score, -c.score) << what;
            EXPECT_EQ(movesSincePlaced(), 0) << what;
        } else {
            EXPECT_GT(movesSincePlaced(), 0) << what;
        }
    }
    // A shallower upper bound puts the move first: the picker leaves the moves in the
    // order handed out. Without it the list order rules.
    for (int bound : {boundUpper, boundLower}) {
        clearHash();
        clearOrdering();
        placeNode(initialPositionText, 2);
        storeChild(2, -300, bound);
        alphaBeta(-infiniteScore, infiniteScore, 6, 2, White);
        EXPECT_EQ(moveLists[2].moves[1], bound == boundUpper ? g3h4 : MoveCode{392}) << "bound " << bound;
    }
    // No captures are looked at this way, nor nodes of depth 4 or less.
    clearHash();
    placeNode(initialPositionText, 2);
    storeChild(5, -300, boundUpper);
    alphaBeta(100, 200, 4, 2, White);
    EXPECT_GT(movesSincePlaced(), 0);
}

TEST_F(SearchTest, AMoveWhoseSearchWasStoppedNeverRaisesAlpha)
{
    // The stop falls inside the first move's subtree; every score after it is ignored,
    // so the node fails low with the alpha it was given.
    for (int movesBeforeCheck : {3, 40, 700}) {
        clearHash();
        placeNode("wwww0w0ww00w00w0b000bbbb0000bbbb w", 2);
        timeBudget = 0;
        budgetStart = fakeNow;
        nodeCountdown = movesBeforeCheck;
        stopRequested = false;
        EXPECT_EQ(alphaBeta(-123, 4000, 9, 2, White), -123) << movesBeforeCheck;
        ASSERT_TRUE(stopRequested);
    }
}

TEST_F(SearchTest, TheLineOfANodeIsItsBestMoveFollowedByTheBestReply)
{
    // The principal variation of a node, played out, is a sequence of legal moves
    // whose score agrees with the search from each move on.
    clearHash();
    const int side = placeNode("0w0w000wbww000w00b0000bb00b0000b b", 2);
    alphaBeta(-infiniteScore, infiniteScore, 7, 2, side);
    ASSERT_GE(pvLast[2], 3);
    int s = side;
    for (int c = 0; c <= pvLast[2] - 2; ++c) {
        const auto move = static_cast<MoveCode>(pvTable[2][c]);
        const int n = generateLegalMoves(s, 10);
        bool legal = false;
        for (int i = 1; i <= n && !legal; ++i)
            if (moveLists[10].moves[i] == move) {
                legal = true;
                makeMove(move, moveLists[10].captured[i], s, 10);
            }
        ASSERT_TRUE(legal) << "entry " << c << " " << moveText(move);
        s ^= 1;
    }
}

} // namespace
