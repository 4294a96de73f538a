#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "engine/egtb.h"
#include "engine/search.h"

namespace {

std::string place(std::initializer_list<std::pair<char, const char*>> pieces, char side)
{
    std::string text(32, '0');
    for (const auto& [kind, name] : pieces) text[squareFromName(name)] = kind;
    return text + ' ' + side;
}

struct Snapshot {
    SquareSet wm, wk, bm, bk, wp, bp, occ;
    static Snapshot take() { return {whiteMen, whiteKings, blackMen, blackKings, whitePieces, blackPieces, occupied}; }
    bool operator==(const Snapshot&) const = default;
};

double fakeNow = 0;
double fakeClock() { return fakeNow; }

class RecordingReporter : public SearchReporter {
public:
    std::map<InfoField, std::vector<std::string>> fields;
    std::vector<std::string> variations;
    int pumps = 0;
    bool variationChecked = false;
    void setInfoField(InfoField f, const std::string& text) override { fields[f].push_back(text); }
    void ShowVariation(const std::string& text) override { variations.push_back(text); }
    void pumpMessages() override { ++pumps; }
    bool variationItemChecked() const override { return variationChecked; }
};

class SearchTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        configFileName.clear();
        seedRandom(7);
        initEngine();
        finishStartup();
        searchClock = fakeClock;
        fakeNow = 1000;
        searchReporter = nullptr;
        bookCandidateCountHook = nullptr;
        extendedDraw = false;
        maxIterationDepth = lastIterationDepth;
    }
    void TearDown() override { searchReporter = nullptr; }

    // An engine turn for the side to move, to a fixed depth.
    int search(const std::string& position, int depth)
    {
        setPositionFromText(position);
        clearHash();
        engineSide = sideToMove;
        timeBudget = unlimitedTime;
        maxIterationDepth = depth;
        prepareSearch(sideToMove);
        if (moveLists[1].count >= 2) iterativeDeepening();
        return rootScore;
    }

    // A child node as the root search calls it, at ply 2.
    int searchChild(const std::string& position, int alpha, int beta, int depth)
    {
        setPositionFromText(position);
        plyState[2].positionKey = hashPosition(sideToMove);
        plyState[2].materialBalance = materialScore(sideToMove);
        plyState[1].extensionCredit = 0;
        stopRequested = false;
        nodeCountdown = 200000;
        return alphaBeta(alpha, beta, depth, 2, sideToMove);
    }
};

TEST_F(SearchTest, LossesScoreByPlyAndTheBestReachableCutsAlpha)
{
    // No piece at all, and pieces but no move: both lose at ply 2.
    EXPECT_EQ(searchChild(place({{'w', "c3"}}, 'b'), -5000, 5000, 3), -4998);
    EXPECT_EQ(searchChild(place({{'w', "a1"}, {'w', "c1"}, {'w', "b2"}, {'b', "a3"}}, 'b'), -5000, 5000, 3), -4998);
    // An alpha above the best score still reachable is returned as it is.
    setPositionFromText(initialPositionText);
    plyState[3].positionKey = hashPosition(White);
    EXPECT_EQ(alphaBeta(4999, 5000, 5, 3, White), 4999);
    EXPECT_EQ(quiescence(4999, 5000, 3, White), 4999);
    // At ply 63 the static score, even with a capture pending.
    setPositionFromText(place({{'w', "c3"}, {'b', "d4"}, {'b', "h8"}}, 'w'));
    EXPECT_EQ(alphaBeta(-5000, 5000, 5, 63, White), evaluate(White));
    EXPECT_EQ(quiescence(-5000, 5000, 63, White), evaluate(White));
}

TEST_F(SearchTest, QuiescenceStandsPatWithoutCapturesOrAdvancedMen)
{
    const std::string quietPosition = place({{'w', "c3"}, {'b', "f6"}}, 'w');
    setPositionFromText(quietPosition);
    const int e = evaluate(White);
    EXPECT_EQ(quiescence(-5000, 5000, 2, White), e);
    EXPECT_EQ(quiescence(e + 10, e + 20, 2, White), e + 10); // alpha kept when above the static score
    EXPECT_EQ(quiescence(e - 20, e - 10, 2, White), e);      // the static score itself when it reaches beta
}

TEST_F(SearchTest, ExactEntriesCutOnlyNullWindowNodes)
{
    const std::string position = place({{'w', "c3"}, {'w', "e3"}, {'b', "f6"}, {'b', "h6"}}, 'w');
    setPositionFromText(position);
    plyState[2].positionKey = hashPosition(White);
    storeHash(White, 9, 2, 777, boundExact, 425);
    // A null window takes the stored score and a one-move line.
    EXPECT_EQ(searchChild(position, 100, 101, 6), 777);
    EXPECT_EQ(pvLast[2], 2);
    EXPECT_EQ(pvTable[2][0], 425u);
    // An open window searches; the stored move only orders.
    EXPECT_NE(searchChild(position, -5000, 5000, 6), 777);
}

TEST_F(SearchTest, PositionIsUnchangedAfterSearchesIncludingStoppedOnes)
{
    const std::string position = "wwwwwww0ww0w0w000b0b00bbbb0bbbbb w";
    setPositionFromText(position);
    const Snapshot before = Snapshot::take();
    search(position, 8);
    EXPECT_EQ(Snapshot::take(), before);

    // A budget that is spent at the first time check, 200000 moves in.
    setPositionFromText(position);
    clearHash();
    engineSide = White;
    timeBudget = 0;
    maxIterationDepth = lastIterationDepth;
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_TRUE(stopRequested);
    EXPECT_EQ(Snapshot::take(), before);
    EXPECT_GE(nodeCount, 200000);
}

TEST_F(SearchTest, MoveToFrontKeepsTheOrderOfTheOthers)
{
    MoveList& list = moveLists[1];
    list.count = 7;
    for (int k = 1; k <= 7; ++k) {
        list.moves[k] = static_cast<MoveCode>(k);
        list.captured[k] = 100u + k;
        list.scores[k] = 10 * k;
    }
    moveToFront(5);
    const MoveCode expected[] = {0, 5, 1, 2, 3, 4, 6, 7};
    for (int k = 1; k <= 7; ++k) {
        EXPECT_EQ(list.moves[k], expected[k]);
        EXPECT_EQ(list.captured[k], 100u + expected[k]);
        EXPECT_EQ(list.scores[k], 10 * k); // scores stay where they were
    }
}

TEST_F(SearchTest, PreSearchSortsStablyUnlessTheBookHasCandidates)
{
    // Sorting is checked on the list itself: three moves scored 10, 30, 30.
    setPositionFromText(initialPositionText);
    prepareRoot(White);
    const int n = moveLists[1].count;
    ASSERT_EQ(n, 7);
    for (int k = 1; k < n; ++k) EXPECT_GE(moveLists[1].scores[k], moveLists[1].scores[k + 1]);

    bookCandidateCountHook = [] { return 2; };
    prepareRoot(White);
    const MoveCode generationOrder[] = {392, 393, 425, 426, 458, 459, 491};
    for (int k = 1; k <= n; ++k) EXPECT_EQ(moveLists[1].moves[k], generationOrder[k - 1]);
}

TEST_F(SearchTest, ReportTextsAndProcessedCount)
{
    EXPECT_EQ(processedText(1400000), "1.40 млн.");
    EXPECT_EQ(processedText(2000000), "2.0 млн.");
    EXPECT_EQ(processedText(200000), "0.20 млн.");
    EXPECT_STREQ(infoFieldCaption(InfoField::Label1), "Глубина расчёта:");
    EXPECT_STREQ(infoFieldCaption(InfoField::Label8), "Скорость:");
    EXPECT_STREQ(infoFieldCaption(InfoField::Label14), "Обработано:");

    RecordingReporter r;
    searchReporter = &r;
    // Black to move: the variation carries the prefix for Black.
    search("wwwwwwwwwwww00000000bbbbbbbbbbbb b", 7);
    ASSERT_FALSE(r.variations.empty());
    EXPECT_EQ(r.variations.back().substr(0, 6), " ...  ");
    EXPECT_EQ(r.variations.back().substr(6), pvText);
    EXPECT_EQ(r.fields[InfoField::Label1].back(), "7");
    EXPECT_EQ(r.fields[InfoField::Label6].back(), pvText.substr(0, 5));
    EXPECT_EQ(r.fields[InfoField::Label7].back(), scoreText(rootScore));
    EXPECT_EQ(pvText.size() % 6, 0u);
    EXPECT_GT(r.pumps, 0);
    // Mid-iteration best moves reach the variation only with the menu item checked.
    const std::size_t unchecked = r.variations.size();
    r.variations.clear();
    r.variationChecked = true;
    search("wwwwwwwwwwww00000000bbbbbbbbbbbb b", 7);
    EXPECT_GE(r.variations.size(), unchecked);
}

TEST_F(SearchTest, AspirationWindowsFollowTheScores)
{
    windowForNextDepth(120);
    EXPECT_EQ(windowLow, 85);
    EXPECT_EQ(windowHigh, 155);
    windowForNextDepth(2950);
    EXPECT_EQ(windowLow, -5000);
    EXPECT_EQ(windowHigh, 5000);
    windowForNextDepth(-2900);
    EXPECT_EQ(windowLow, -5000);

    // Fail high at (85, 155) with 160: (160, 5000); then 160 or less: the full window.
    windowForNextDepth(120);
    EXPECT_FALSE(depthComplete(160));
    EXPECT_EQ(windowLow, 160);
    EXPECT_EQ(windowHigh, 5000);
    EXPECT_TRUE(failedHigh);
    EXPECT_FALSE(depthComplete(160));
    EXPECT_EQ(windowLow, -5000);
    EXPECT_EQ(windowHigh, 5000);
    EXPECT_FALSE(failedHigh || failedLow);
    EXPECT_TRUE(depthComplete(150));

    // Fail low at (85, 155) with 80: (-5000, 80); then a fail high: the full window.
    windowForNextDepth(120);
    EXPECT_FALSE(depthComplete(80));
    EXPECT_EQ(windowLow, -5000);
    EXPECT_EQ(windowHigh, 80);
    EXPECT_FALSE(depthComplete(80));
    EXPECT_EQ(windowHigh, 5000);
    EXPECT_EQ(windowLow, -5000);
}

TEST_F(SearchTest, FindsShortWins)
{
    // A shot: g5-f6 gives a man, e5:g7 is forced, and h6 takes it, is crowned on f8
    // and goes on to take d6 as a king.
    const std::string shot = "000000000w0b000000bw0b0w00000000 w";
    EXPECT_GT(search(shot, 9), 4000);
    EXPECT_EQ(moveText(moveLists[1].moves[1]), "g5-f6");
    // The same combination turned round, for Black.
    const std::string shotForBlack = "00000000b0w0bw000000w0b000000000 b";
    setPositionFromText(shotForBlack);
    ASSERT_GE(generateLegalMoves(Black, 0), 2);
    EXPECT_GT(search(shotForBlack, 9), 4000);
    EXPECT_EQ(moveText(moveLists[1].moves[1]), "b4-c3");

    // A lone black man that will be blocked: White wins by leaving Black without moves.
    const std::string blocked = place({{'W', "d4"}, {'w', "a3"}, {'b', "a5"}}, 'w');
    const int score = search(blocked, 15);
    EXPECT_GT(score, 4000) << scoreText(score);
    EXPECT_TRUE(stopRequested); // a win within reach ends the search

}

TEST_F(SearchTest, ExtensionsAndReductions)
{
    // Two captures along a line: the second buys a ply. The credit carries from the root.
    setPositionFromText(place({{'w', "c3"}, {'b', "d4"}, {'b', "f6"}, {'b', "h8"}, {'w', "g1"}}, 'w'));
    plyState[1].extensionCredit = 5;
    plyState[2].positionKey = hashPosition(White);
    plyState[2].materialBalance = materialScore(White);
    stopRequested = false;
    nodeCountdown = 200000;
    alphaBeta(-5000, 5000, 3, 2, White);
    EXPECT_EQ(plyState[2].extensionCredit, 0); // 5 + 5 = 10: one ply bought, credit spent

    plyState[1].extensionCredit = 0;
    setPositionFromText(place({{'w', "c3"}, {'b', "d4"}, {'b', "h8"}, {'w', "g1"}}, 'w'));
    plyState[2].positionKey = hashPosition(White);
    alphaBeta(-5000, 5000, 3, 2, White);
    EXPECT_EQ(plyState[2].extensionCredit, 5); // a single capture only carries its credit on
}

TEST_F(SearchTest, BitbaseScoresAtInteriorNodesCarryTheMaterialCorrection)
{
    // Without tables no probe is made and the count stays.
    bitbaseProbeCount = 0;
    searchChild(place({{'W', "a1"}, {'W', "c1"}, {'B', "h8"}}, 'b'), -5000, 5000, 3);
    EXPECT_EQ(bitbaseProbeCount, 0u);
}

} // namespace
