// The search with endgame tables loaded: won endings are scored as wins and played out.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "cli/tools/egtbgen.h"
#include "engine/egtb.h"
#include "engine/search.h"

namespace fs = std::filesystem;

namespace {

class EgtbSearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/korvel-egtb-search-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
        configFileName = (dir_ / "no-such.ini").string();
        seedRandom(3);
        initEngine();
        finishStartup();
        ASSERT_TRUE(buildBitbases(dir_.string(), 3, nullptr).ok);
        egtbpath = dir_.string() + "/";
        EGTBPieses = 3;
        LoadBitbase();
        ASSERT_TRUE(bitbaseLoaded);
        searchReporter = nullptr;
        bookCandidateCountHook = nullptr;
        extendedDraw = false;
    }
    void TearDown() override
    {
        fs::remove_all(dir_);
        bitbaseLoaded = false;
        EGTBPieses = 0;
        egtbpath.clear();
    }

    // One engine move for the side to move, as an engine turn makes it.
    MoveCode engineMove(int depth)
    {
        clearHash();
        engineSide = sideToMove;
        timeBudget = unlimitedTime;
        maxIterationDepth = depth;
        prepareSearch(sideToMove);
        if (moveLists[1].count == 0) return 0;
        if (moveLists[1].count >= 2) iterativeDeepening();
        return moveLists[1].moves[1];
    }

    fs::path dir_;
};

TEST_F(EgtbSearchTest, WonThreePieceEndingIsScoredAsAWinAndPlayedToTheEnd)
{
    // Two kings against a lone man: White wins.
    setPositionFromText("0000W0000000000000000b00000W0000 w");
    engineMove(9);
    EXPECT_GT(rootScore, 4000) << scoreText(rootScore);
    EXPECT_GT(bitbaseProbeCount, 0u);

    int halfMoves = 0;
    for (; halfMoves < 200; ++halfMoves) {
        if (!whitePieces || !blackPieces) break;
        const MoveCode m = engineMove(9);
        if (!m) break; // the side to move has no move: it has lost
        makeMove(m, moveLists[1].captured[1], sideToMove, 0);
        sideToMove ^= 1;
    }
    EXPECT_LT(halfMoves, 200) << "the won ending was not played out";
    const bool blackLost = !blackPieces || (sideToMove == Black && generateLegalMoves(Black, 0) == 0);
    EXPECT_TRUE(blackLost);
    EXPECT_TRUE(whitePieces);
}

TEST_F(EgtbSearchTest, InteriorProbeAddsTheMaterialCorrectionForTheSideToMove)
{
    // Black to move with two kings against a king: probed after turning the board;
    // the extra king adds 3.
    setPositionFromText("000W00000000000000000000B0B00000 b");
    plyState[2].positionKey = hashPosition(Black);
    plyState[2].materialBalance = materialScore(Black);
    stopRequested = false;
    nodeCountdown = 200000;
    bitbaseProbeCount = 0;
    const int v = alphaBeta(-5000, 5000, 5, 2, Black);
    EXPECT_EQ(bitbaseProbeCount, 1u);
    SwapSides();
    const int verdict = ProbeBitbase();
    SwapSides();
    EXPECT_EQ(v, verdict + 3);
    // The weaker side to move is searched, not probed at this node.
    setPositionFromText("000W00000000000000000000B0B00000 w");
    plyState[2].positionKey = hashPosition(White);
    plyState[2].materialBalance = materialScore(White);
    bitbaseProbeCount = 0;
    alphaBeta(-5000, 5000, 3, 2, White);
    EXPECT_GT(bitbaseProbeCount, 0u); // its children are probed
}

} // namespace
