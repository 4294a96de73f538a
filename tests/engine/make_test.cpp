// makeMove and unmakeMove: the position after every kind of move, the key and the
// material carried from ply to ply, and the position restored.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/engine.h"
#include "tests/engine/reference_rules.h"
#include "tests/engine/test_support.h"

namespace {

using namespace testing_support;

int sq(const char* name) { return squareFromName(name); }
SquareSet bitOf(const char* name) { return SquareSet{1} << sq(name); }

// Kinds of moves met on a tree walk; the walk must meet all of them.
struct MoveKinds {
    int quietMan = 0, quietKing = 0, quietPromotion = 0;
    int manCapture = 0, kingCapture = 0, captureWithPromotion = 0, captureBackToStart = 0, kingsCaptured = 0;
};

class MakeMove : public ::testing::Test {
protected:
    void SetUp() override
    {
        startEngine();
        clearOrdering();
        for (auto& state : plyState) state.hashMove = 0;
    }

    // Seeds ply p with the key and material that the root preparation gives it.
    static void seedPly(int side, int ply)
    {
        plyState[ply].positionKey = hashPosition(side);
        plyState[ply].materialBalance = materialScore(side);
    }

    void classify(MoveCode m, SquareSet y, int side)
    {
        const bool king = ((side == White ? whiteKings : blackKings) >> moveFrom(m)) & 1;
        if (!y) {
            ++(m & promotionFlag ? kinds_.quietPromotion : king ? kinds_.quietKing : kinds_.quietMan);
            return;
        }
        ++(king ? kinds_.kingCapture : kinds_.manCapture);
        if (m & promotionFlag) ++kinds_.captureWithPromotion;
        if (moveFrom(m) == moveTo(m)) ++kinds_.captureBackToStart;
        if (y & (side == White ? blackKings : whiteKings)) ++kinds_.kingsCaptured;
    }

    // Walks the whole legal-move tree, checking every child against values computed
    // from scratch; the keys and material are only ever carried, never reset.
    void walk(int side, int ply, int depth)
    {
        const int n = generateLegalMoves(side, ply);
        const Sets before = currentSets();
        const std::string text = currentText(side);
        const ref::Board board = ref::boardFromText(text);
        for (int i = 1; i <= n; ++i) {
            const MoveCode m = moveLists[ply].moves[i];
            const SquareSet y = moveLists[ply].captured[i];
            classify(m, y, side);
            if (!y) {
                keyAfterQuietMove(m, side, ply);
                const std::uint32_t predicted = plyState[ply + 1].positionKey;
                EXPECT_EQ(currentSets(), before) << "keyAfterQuietMove moved a piece";
                makeMove(m, y, side, ply);
                EXPECT_EQ(plyState[ply + 1].positionKey, predicted) << moveText(m) << " in " << text;
            } else {
                makeMove(m, y, side, ply);
            }
            const std::string expected = ref::textFromBoard(ref::applied(board, asReference(m, y)), side ^ 1);
            ASSERT_EQ(currentText(side ^ 1), expected) << moveText(m) << " in " << text;
            ASSERT_EQ(plyState[ply + 1].positionKey, hashPosition(side ^ 1)) << moveText(m) << " in " << text;
            ASSERT_EQ(plyState[ply + 1].materialBalance, materialScore(side ^ 1)) << moveText(m) << " in " << text;
            ASSERT_EQ(whitePieces, whiteMen | whiteKings);
            ASSERT_EQ(blackPieces, blackMen | blackKings);
            ASSERT_EQ(occupied, whitePieces | blackPieces);
            if (depth > 1) walk(side ^ 1, ply + 1, depth - 1);
            unmakeMove(ply);
            ASSERT_EQ(currentSets(), before) << "after " << moveText(m) << " in " << text;
            // The deeper walk overwrote the deeper lists only.
            ASSERT_EQ(moveLists[ply].moves[i], m);
        }
    }

    MoveKinds kinds_;
};

TEST_F(MakeMove, KeysMaterialAndPositionHoldOverWholeMoveTrees)
{
    const std::vector<std::pair<std::string, int>> roots = {
        {initialPositionText, 5},
        // Men one step from crowning on both sides, kings, and captures at once.
        {"w0w0W0w0w00w0b0000w0B0b0bb0b0B0b w", 4},
        {"0W000w00b0b0000b0b00b0b000W0000B b", 4},
        // The king ring that ends on the start square, and the crowning capture.
        {"000000000bb0000b000Wb0b000000000 w", 4},
        {"00000000000000000bbb0w000b0bb000 w", 4},
        // A man that takes two kings and a man on the way.
        {"0w000B00000000B0000000b00000000b w", 4},
    };
    for (const auto& [text, depth] : roots) {
        SCOPED_TRACE(text);
        setPositionFromText(text);
        seedPly(sideToMove, 0);
        walk(sideToMove, 0, depth);
        if (HasFatalFailure()) return;
    }
    EXPECT_GT(kinds_.quietMan, 0);
    EXPECT_GT(kinds_.quietKing, 0);
    EXPECT_GT(kinds_.quietPromotion, 0);
    EXPECT_GT(kinds_.manCapture, 0);
    EXPECT_GT(kinds_.kingCapture, 0);
    EXPECT_GT(kinds_.captureWithPromotion, 0);
    EXPECT_GT(kinds_.captureBackToStart, 0);
    EXPECT_GT(kinds_.kingsCaptured, 0);
}

TEST_F(MakeMove, RandomGamePositionsTwoPliesDeep)
{
    std::mt19937 rng(77);
    for (int game = 0; game < 40; ++game)
        for (const std::string& text : randomGame(rng, 120)) {
            setPositionFromText(text);
            seedPly(sideToMove, 0);
            walk(sideToMove, 0, 2);
            if (HasFatalFailure()) return;
        }
}

// Finds the list entry with the given captured set (0 = the quiet move from-to).
int entryOf(int n, SquareSet captured, int from, int to)
{
    for (int i = 1; i <= n; ++i)
        if (moveLists[0].captured[i] == captured && moveFrom(moveLists[0].moves[i]) == from &&
            moveTo(moveLists[0].moves[i]) == to)
            return i;
    return 0;
}

TEST_F(MakeMove, MaterialBalanceFallsByWhatTheMoverGained)
{
    // c1 takes the kings on d2 and f4 and the man on f6: 300 + 300 + 100.
    setPositionFromText("0w000B00000000B0000000b00000000b w");
    plyState[0].materialBalance = 123; // carried as given, whatever it is
    int n = generateLegalMoves(White, 0);
    int i = entryOf(n, bitOf("d2") | bitOf("f4") | bitOf("f6"), sq("c1"), sq("e7"));
    ASSERT_NE(i, 0);
    makeMove(moveLists[0].moves[i], moveLists[0].captured[i], White, 0);
    EXPECT_EQ(plyState[1].materialBalance, -123 - 700);
    unmakeMove(0);

    // A man stepping onto the last rank becomes a king: the mover gained 200.
    setPositionFromText("0000000000000000000000000w000000 w");
    plyState[0].materialBalance = 100;
    n = generateLegalMoves(White, 0);
    i = entryOf(n, 0, sq("c7"), sq("b8"));
    ASSERT_NE(i, 0);
    makeMove(moveLists[0].moves[i], 0, White, 0);
    EXPECT_EQ(plyState[1].materialBalance, -100 - 200);
    EXPECT_EQ(whiteKings, bitOf("b8"));
    EXPECT_EQ(whiteMen, 0u);
    unmakeMove(0);

    // A black man crowned in the middle of a capture ends as a king on the to-square:
    // e3 takes d2, is crowned on c1 and goes on as a king over b2 to a3.
    setPositionFromText("0000ww0000b000000000000000000000 b");
    plyState[0].materialBalance = -50;
    n = generateLegalMoves(Black, 0);
    ASSERT_EQ(n, 1);
    const MoveCode m = moveLists[0].moves[1];
    ASSERT_EQ(m & (captureFlag | promotionFlag), captureFlag | promotionFlag);
    makeMove(m, moveLists[0].captured[1], Black, 0);
    EXPECT_EQ(plyState[1].materialBalance, 50 - 200 - 200);
    EXPECT_EQ(moveText(m), "e3:a3");
    EXPECT_EQ(blackKings, bitOf("a3"));
    EXPECT_EQ(blackMen | whiteMen | whiteKings, 0u);
    unmakeMove(0);
}

TEST_F(MakeMove, KingCaptureEndingOnItsStartSquare)
{
    setPositionFromText("000000000bb0000b000Wb0b000000000 w");
    seedPly(White, 0);
    const std::uint32_t keyBefore = plyState[0].positionKey;
    const int n = generateCaptures(White, 0);
    const int i = entryOf(n, bitOf("b6") | bitOf("c3") | bitOf("e3") | bitOf("f6"), sq("g5"), sq("g5"));
    ASSERT_NE(i, 0);
    makeMove(moveLists[0].moves[i], moveLists[0].captured[i], White, 0);
    EXPECT_EQ(whiteKings, bitOf("g5"));
    EXPECT_EQ(whitePieces, bitOf("g5"));
    EXPECT_TRUE(occupied & bitOf("g5"));
    EXPECT_EQ(blackMen, bitOf("h4"));
    EXPECT_EQ(occupied, bitOf("g5") | bitOf("h4"));
    // Only the taken men and the side to move changed the key.
    const std::uint32_t takenKeys =
        pieceKeys[3][sq("b6")] ^ pieceKeys[3][sq("c3")] ^ pieceKeys[3][sq("e3")] ^ pieceKeys[3][sq("f6")];
    EXPECT_EQ(plyState[1].positionKey, keyBefore ^ takenKeys ^ blackToMoveKey);
    unmakeMove(0);
}

TEST_F(MakeMove, CountsDownAndLeavesTheSideToMoveAlone)
{
    setPositionFromText(initialPositionText);
    seedPly(White, 0);
    const std::uint32_t key = plyState[0].positionKey;
    generateQuietMoves(White, 0);
    nodeCountdown = 10;
    makeMove(moveLists[0].moves[1], 0, White, 0);
    EXPECT_EQ(nodeCountdown, 9);
    EXPECT_EQ(sideToMove, White);
    // Ply 0's own record keeps its key and balance; only ply 1 was written.
    EXPECT_EQ(plyState[0].positionKey, key);
    EXPECT_EQ(plyState[0].materialBalance, 0);
    EXPECT_EQ(plyState[0].savedWhiteMen, 0x00000FFFu);
    EXPECT_EQ(plyState[0].savedBlackMen, 0xFFF00000u);
    unmakeMove(0);
    EXPECT_EQ(nodeCountdown, 9);
    EXPECT_EQ(whiteMen, 0x00000FFFu);
}

TEST_F(MakeMove, KeyAfterQuietMoveHandlesKingsAndPromotion)
{
    // Kings' moves and promotions of both sides: a king's key goes onto the to-square.
    for (int side : {White, Black}) {
        setPositionFromText("0W000b000000000000000000B00w0000 w");
        seedPly(side, 5);
        const int n = generateQuietMoves(side, 5);
        ASSERT_GT(n, 0);
        for (int i = 1; i <= n; ++i) {
            const MoveCode m = moveLists[5].moves[i];
            keyAfterQuietMove(m, side, 5);
            const std::uint32_t predicted = plyState[6].positionKey;
            makeMove(m, 0, side, 5);
            EXPECT_EQ(predicted, hashPosition(side ^ 1)) << moveText(m);
            unmakeMove(5);
        }
    }
}

} // namespace
