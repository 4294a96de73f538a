// The root driver: the root list's order (pre-search sort, moveToFront), the
// aspiration windows, the bitbase scores of root moves, the time check and the stop,
// the report texts, and short wins found by the whole depth loop.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "tests/engine/search_support.h"

namespace {

using namespace search_support;
using testing_support::currentSets;

struct RootEntry {
    MoveCode move;
    SquareSet captured;
    int score;
    bool operator==(const RootEntry&) const = default;
};

std::vector<RootEntry> rootList()
{
    std::vector<RootEntry> entries;
    const MoveList& list = moveLists[1];
    for (int k = 1; k <= list.count; ++k) entries.push_back({list.moves[k], list.captured[k], list.scores[k]});
    return entries;
}

void setRootList(const std::vector<RootEntry>& entries)
{
    MoveList& list = moveLists[1];
    list.count = static_cast<int>(entries.size());
    for (int k = 1; k <= list.count; ++k) {
        const RootEntry& e = entries[static_cast<std::size_t>(k - 1)];
        list.moves[k] = e.move;
        list.captured[k] = e.captured;
        list.scores[k] = e.score;
    }
}

int bookCandidates() { return 2; }

TEST_F(SearchTest, MoveToFrontKeepsTheOrderOfTheOtherMovesAndLeavesTheScores)
{
    setRootList({{101, 1, 10}, {102, 2, 20}, {103, 3, 30}, {104, 4, 40}, {105, 5, 50}, {106, 6, 60}});
    moveToFront(5);
    EXPECT_EQ(rootList(), (std::vector<RootEntry>{
                              {105, 5, 10}, {101, 1, 20}, {102, 2, 30}, {103, 3, 40}, {104, 4, 50}, {106, 6, 60}}));
    moveToFront(1);
    EXPECT_EQ(rootList()[0].move, 105);
    moveToFront(6);
    EXPECT_EQ(rootList()[0].move, 106);
    EXPECT_EQ(rootList()[5].move, 104);
}

TEST_F(SearchTest, RootMovesAreSortedByScoreWithEqualScoresInTheirOrder)
{
    setRootList({{1, 0, 10}, {2, 0, 30}, {3, 0, 30}});
    sortRootMoves();
    EXPECT_EQ(rootList(), (std::vector<RootEntry>{{2, 0, 30}, {3, 0, 30}, {1, 0, 10}}));

    setRootList({{1, 11, -5}, {2, 12, 7}, {3, 13, -5}, {4, 14, 7}, {5, 15, 100}, {6, 16, -5}});
    sortRootMoves();
    EXPECT_EQ(rootList(), (std::vector<RootEntry>{
                              {5, 15, 100}, {2, 12, 7}, {4, 14, 7}, {1, 11, -5}, {3, 13, -5}, {6, 16, -5}}));
}

TEST_F(SearchTest, ThePreSearchScoresEveryRootMoveAndSortsUnlessTheBookHasCandidates)
{
    const char* text = "wwww0w0ww00w00w0b000bbbb0000bbbb w";
    // With book candidates the list keeps generation order.
    setPositionFromText(text);
    clearHash();
    bookCandidateCountHook = bookCandidates;
    prepareSearch(White);
    const std::vector<RootEntry> generated = rootList();
    const int n = generateQuietMoves(White, 0);
    ASSERT_EQ(static_cast<int>(generated.size()), n);
    for (int k = 1; k <= n; ++k) EXPECT_EQ(generated[static_cast<std::size_t>(k - 1)].move, moveLists[0].moves[k]);
    EXPECT_EQ(moveSeparator, '-');
    EXPECT_EQ(plyState[1].positionKey, hashPosition(White));
    EXPECT_EQ(plyState[1].materialBalance, materialScore(White));

    // Without, the same scores in the order of a stable sort, highest first.
    setPositionFromText(text);
    clearHash();
    bookCandidateCountHook = nullptr;
    prepareSearch(White);
    std::vector<RootEntry> expected = generated;
    std::stable_sort(expected.begin(), expected.end(), [](const RootEntry& a, const RootEntry& b) { return a.score > b.score; });
    EXPECT_EQ(rootList(), expected);
    EXPECT_NE(expected.front().score, expected.back().score) << "a position whose moves differ";

    // A position with a capture lists the captures only.
    setPositionFromText("wwwwwwwwww0w00w000b0b0bbbbbbbbb0 w");
    prepareSearch(White);
    EXPECT_EQ(moveSeparator, ':');
    EXPECT_EQ(moveLists[1].count, 1);
}

TEST_F(SearchTest, PreparationResetsCountersAndAdvancesTheAgeWithWrapping)
{
    setPositionFromText(initialPositionText);
    stopRequested = true;
    nodeCount = 12345678;
    historyTable[White][100] = 55;
    searchAge = 5;
    fakeNow = 2000.0;
    prepareSearch(Black);
    EXPECT_FALSE(stopRequested);
    EXPECT_EQ(searchAge, 6);
    EXPECT_EQ(engineSide, Black);
    EXPECT_EQ(budgetStart, 2000.0);
    EXPECT_LT(movesMade(), timeCheckInterval) << "counted from the preparation";
    EXPECT_EQ(nodeCount, 0);
    searchAge = 126;
    prepareSearch(White);
    EXPECT_EQ(searchAge, 0);
}

TEST_F(SearchTest, AspirationWindowsFollowTheScoreAndWidenOnFailures)
{
    auto window = [] { return std::vector<int>{windowLow, windowHigh, failedHigh, failedLow}; };
    windowForNextDepth(120);
    EXPECT_EQ(window(), (std::vector<int>{85, 155, false, false}));
    // Fail high at 160: (160, 5000); failing low there too gives the full window.
    EXPECT_FALSE(depthComplete(160));
    EXPECT_EQ(window(), (std::vector<int>{160, 5000, true, false}));
    EXPECT_FALSE(depthComplete(160));
    EXPECT_EQ(window(), (std::vector<int>{-5000, 5000, false, false}));
    EXPECT_TRUE(depthComplete(150));

    // Fail low at 80: (-5000, 80); a fail high after it gives the full window.
    windowForNextDepth(120);
    EXPECT_FALSE(depthComplete(80));
    EXPECT_EQ(window(), (std::vector<int>{-5000, 80, false, true}));
    EXPECT_FALSE(depthComplete(90));
    EXPECT_EQ(window(), (std::vector<int>{-5000, 5000, false, false}));
    // Any score below the lowered ceiling completes the depth.
    windowForNextDepth(120);
    EXPECT_FALSE(depthComplete(70));
    EXPECT_TRUE(depthComplete(60));
    // Scores inside the window complete it, the edges do not.
    windowForNextDepth(120);
    EXPECT_TRUE(depthComplete(86));
    EXPECT_TRUE(depthComplete(154));
    EXPECT_FALSE(depthComplete(155));

    // From 2900 on, and for every loss beyond -2900, the next depth has the full window.
    for (int score : {2900, 2950, -2900, 4990}) {
        windowForNextDepth(score);
        EXPECT_EQ(window(), (std::vector<int>{-5000, 5000, false, false})) << score;
    }
    windowForNextDepth(2899);
    EXPECT_EQ(window(), (std::vector<int>{2864, 2934, false, false}));
}

TEST_F(SearchTest, TheTimeCheckReportsProcessedMovesSpeedAndProbes)
{
    using Kind = SearchProgress::Kind;
    RecordingReporter rec;
    searchReporter = &rec;
    fakeNow = 3000.0;
    searchStart = fakeNow - 1000 * oneMillisecond;
    budgetStart = fakeNow - 1005 * oneMillisecond; // 100.5 hundredths ago
    bitbaseProbeCount = 17;
    nodeCount = 1200000;
    timeBudget = 100;
    nodeCountdown = -3;
    EXPECT_TRUE(checkTime()) << "a budget of 100 hundredths is spent after 100.5";
    EXPECT_EQ(nodeCount, 1400000);
    EXPECT_EQ(nodeCountdown, timeCheckInterval);
    ASSERT_EQ(rec.reports.size(), 1u);
    EXPECT_EQ(rec.last(Kind::TimeCheck).moves, 1400000);
    EXPECT_EQ(rec.last(Kind::TimeCheck).speed, 1400) << "thousands a second since the depth loop began";
    EXPECT_EQ(rec.last(Kind::TimeCheck).probes, 17u);
    EXPECT_EQ(rec.pumps, 1);

    nodeCount = 1800000;
    timeBudget = 101;
    EXPECT_FALSE(checkTime());
    EXPECT_EQ(rec.last(Kind::TimeCheck).moves, 2000000);
    nodeCount = 0;
    EXPECT_FALSE(checkTime());
    EXPECT_EQ(rec.last(Kind::TimeCheck).moves, 200000);

    // No time since the depth loop began: no speed.
    searchStart = fakeNow;
    checkTime();
    EXPECT_EQ(rec.last(Kind::TimeCheck).speed, -1);
    EXPECT_EQ(lastReading, fakeNow);
}

TEST_F(SearchTest, EveryCompletedRootSearchIsReportedWithTheVariation)
{
    using Kind = SearchProgress::Kind;
    RecordingReporter rec;
    searchReporter = &rec;
    searchClock = steppingClock;
    clockStep = oneMillisecond;
    setPositionFromText("wwww0w0wwwwww000b0b0bb0bb0b0bbbb b");
    clearHash();
    pvTable[1][0] = 0; // no line left from an earlier search
    maxIterationDepth = 9;
    prepareSearch(Black);
    iterativeDeepening();
    ASSERT_EQ(rec.depths, (std::vector<int>{7, 8, 9}));
    const Report last = rec.last(Kind::Iteration);
    EXPECT_EQ(last.depth, 9);
    EXPECT_EQ(last.side, Black) << "the window shows Black's line after White's column";
    EXPECT_EQ(last.line, pvText);
    EXPECT_EQ(last.score, rootScore);
    EXPECT_EQ(rootScore, rec.scores.back());
    EXPECT_GE(last.speed, 0) << "a millisecond passes at every reading";
    EXPECT_EQ(last.moves, nodeCount);
    EXPECT_EQ(pvText.substr(0, 5), moveText(moveLists[1].moves[1])) << "the line starts with the move to play";
    EXPECT_EQ(pvText.size() % 6, 0u);
    EXPECT_GE(pvText.size(), 9u * 6) << "a line as long as the depth";
    // The first move of depth 7 is a new best move, reported with its line.
    ASSERT_GT(rec.count(Kind::NewBestMove), 0);
    EXPECT_EQ(rec.reports.front().kind, Kind::NewBestMove);
    EXPECT_EQ(rec.reports.front().depth, 7);
    EXPECT_FALSE(rec.reports.front().line.empty());
    // Every root search of the loop is reported, each followed by a pump.
    EXPECT_GE(rec.count(Kind::Iteration), 3);
    EXPECT_GE(rec.pumps, rec.count(Kind::Iteration) + rec.count(Kind::NewBestMove));

    // White searching: the reports say so.
    rec = RecordingReporter{};
    searchReporter = &rec;
    setPositionFromText(initialPositionText);
    maxIterationDepth = 7;
    prepareSearch(White);
    iterativeDeepening();
    ASSERT_GT(rec.count(Kind::Iteration), 0);
    EXPECT_EQ(rec.last(Kind::Iteration).side, White);
    EXPECT_EQ(rec.last(Kind::Iteration).line, pvText);
}

TEST_F(SearchTest, TheBudgetAndUserCommandsStopTheDepthLoopWithAMoveReady)
{
    // The clock moves 300 ms at every reading; half a second is spent at the first
    // time check of the depth loop.
    const char* positions[] = {initialPositionText, "0w0w000wbww000w00b0000bb00b0000b b"};
    for (const char* text : positions) {
        RecordingReporter rec;
        searchReporter = &rec;
        searchClock = steppingClock;
        clockStep = 300 * oneMillisecond;
        timeBudget = 50;
        setPositionFromText(text);
        const int side = sideToMove;
        const auto before = currentSets();
        clearHash();
        prepareSearch(side);
        iterativeDeepening();
        EXPECT_TRUE(stopRequested);
        EXPECT_LE(movesMade(), 2 * timeCheckInterval) << text;
        EXPECT_EQ(currentSets(), before) << text;
        EXPECT_TRUE(isLegal(moveLists[1].moves[1], side)) << text;
    }
    // A command handled at the third pump stops the search as well.
    RecordingReporter rec;
    rec.onPump = [](int pumps) {
        if (pumps == 3) stopRequested = true;
    };
    searchReporter = &rec;
    searchClock = fakeClock;
    timeBudget = unlimitedTime;
    setPositionFromText(initialPositionText);
    const auto before = currentSets();
    clearHash();
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_EQ(rec.pumps, 3) << "nothing is pumped once the loop has ended";
    EXPECT_EQ(currentSets(), before);
    EXPECT_TRUE(isLegal(moveLists[1].moves[1], White));
}

TEST_F(SearchTest, ARootSearchStoppedInsideAMoveReturnsItsAlpha)
{
    for (int movesBeforeCheck : {3, 40, 700}) {
        setPositionFromText(initialPositionText);
        clearHash();
        prepareSearch(White);
        const std::vector<RootEntry> before = rootList();
        timeBudget = 0;
        budgetStart = fakeNow;
        nodeCountdown = movesBeforeCheck;
        EXPECT_EQ(rootSearch(-123, 4000, 11, White), -123) << movesBeforeCheck;
        EXPECT_TRUE(stopRequested);
        EXPECT_EQ(rootList(), before) << "the order of the pre-search stays";
        timeBudget = unlimitedTime;
    }
}

TEST_F(SearchTest, AFailHighAtTheRootLeavesTheLineOfTheMoveThatLeadsTheList)
{
    setPositionFromText(initialPositionText);
    clearHash();
    prepareSearch(White);
    const MoveCode last = moveLists[1].moves[moveLists[1].count];
    pvTable[1][0] = last; // the line of an earlier search
    pvLast[1] = 1;
    // Every move beats -4000: the first one cuts off at once.
    EXPECT_GE(rootSearch(-infiniteScore, -4000, 7, White), -4000);
    ASSERT_NE(moveLists[1].moves[1], last);
    EXPECT_EQ(pvTable[1][0], moveLists[1].moves[1]);
    rebuildPvText();
    EXPECT_EQ(pvText, moveText(moveLists[1].moves[1]) + " ");
}

TEST_F(SearchTest, TheFirstReplyToARootCaptureThatCapturesIsExtended)
{
    // c3:e5 is the only root move, and f6:d4 the only reply: the second capture of the
    // line. The pre-search looks at the reply with depth 5, the capture adds one.
    setPositionFromText(position("c3 a1 g1", "d4 f6 h8", 'w'));
    clearHash();
    prepareSearch(White);
    ASSERT_EQ(moveLists[1].count, 1);
    HashPeek child = peekHash(plyState[2].positionKey, Black);
    EXPECT_EQ(child.depth, 6);
    EXPECT_NE(child.bound, 0);
    // So does the root search, which leaves the deeper entry in place.
    clearHash();
    rootSearch(-infiniteScore, infiniteScore, 5, White);
    child = peekHash(plyState[2].positionKey, Black);
    EXPECT_EQ(child.depth, 5);
}

TEST_F(SearchTest, ShortWinsAreFoundAndEndTheLoopOnceWithinReach)
{
    RecordingReporter rec;
    searchReporter = &rec;
    // d2-c3 leaves the black man a5 without a move: a win at ply 2.
    setPositionFromText(position("b4 d2 h2", "a5", 'w'));
    clearHash();
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_EQ(moveText(moveLists[1].moves[1]), "d2-c3");
    EXPECT_EQ(rootScore, 4998);
    EXPECT_EQ(rec.depths, std::vector<int>{7}) << "4998 + 14 is beyond 5000: no deeper search";
    EXPECT_EQ(rec.last(SearchProgress::Kind::Iteration).score, 4998);

    // c3-d4 gives a man; after e5:c3 the man on b2 takes three and is crowned.
    rec = RecordingReporter{};
    searchReporter = &rec;
    setPositionFromText(position("a1 b2 c3 e3 g3 h2", "c5 e5 c7 a7 h6 h8 f8", 'w'));
    clearHash();
    maxIterationDepth = 9;
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_EQ(pvText.substr(0, 18), "c3-d4 e5:c3 b2:d8 ");
    EXPECT_GE(rootScore, 300);

    // The same for Black, on the board turned round.
    setPositionFromText(position("d4 f4 f2 h2 a3 a1 c1", "h8 g7 f6 d6 b6 a7", 'b'));
    clearHash();
    prepareSearch(Black);
    iterativeDeepening();
    EXPECT_EQ(pvText.substr(0, 18), "f6-e5 d4:f6 g7:e1 ");
    EXPECT_GE(rootScore, 300);

    // g5-f6 gives a man, e5:g7 is forced, and h6 takes it, is crowned on f8 and goes
    // on to take d6 as a king; and the same turned round for Black.
    struct Shot {
        const char* text;
        const char* move;
    };
    for (const Shot& shot : {Shot{"000000000w0b000000bw0b0w00000000 w", "g5-f6"},
                             Shot{"00000000b0w0bw000000w0b000000000 b", "b4-c3"}}) {
        setPositionFromText(shot.text);
        clearHash();
        prepareSearch(sideToMove);
        iterativeDeepening();
        EXPECT_EQ(moveText(moveLists[1].moves[1]), shot.move);
        EXPECT_GT(rootScore, 4000) << scoreText(rootScore);
    }

    // A king and a man shut the black man in: a win found long before depth 15.
    rec = RecordingReporter{};
    searchReporter = &rec;
    setPositionFromText(position("Kd4 a3", "a5", 'w'));
    clearHash();
    maxIterationDepth = 15;
    prepareSearch(White);
    iterativeDeepening();
    EXPECT_GT(rootScore, 4000) << scoreText(rootScore);
    ASSERT_FALSE(rec.depths.empty());
    EXPECT_LT(rec.depths.back(), 15);
    EXPECT_GT(rootScore + 2 * rec.depths.back(), 5000) << "the loop ends once the win is within reach";
}

// Distance files filled with one byte, and the in-memory table all wins.
class RootBitbase : public SearchTest {
protected:
    void SetUp() override
    {
        SearchTest::SetUp();
        dir_ = testing_support::uniqueTempDir("root-bitbase");
        egtbpath = dir_.string() + "/";
        bitbaseData.assign(bitbaseSizeFourPieces, 0xAA);
        bitbaseLoaded = true;
        EGTBPieses = 4;
    }
    void fillDistanceFile(const char* name, std::uint8_t byte)
    {
        for (const auto& table : bitbaseTables)
            if (std::string(table.name) == name) {
                std::ofstream(dir_ / (std::string(name) + ".brg"), std::ios::binary)
                    << std::string(table.positions, static_cast<char>(byte));
                return;
            }
        FAIL() << name;
    }
    // The root search of depth 7 over the prepared list; the moves made below the
    // root list itself are counted in searched.
    int rootScoreOf(int side, std::int64_t& searched)
    {
        clearHash();
        prepareSearch(side);
        const std::int64_t before = movesMade();
        const int score = rootSearch(-infiniteScore, infiniteScore, 7, side);
        searched = movesMade() - before - moveLists[1].count;
        return score;
    }
    std::filesystem::path dir_;
};

TEST_F(RootBitbase, RootMovesTakeTheirScoreFromTheDistanceByte)
{
    struct Case {
        int byte;
        bool extended;
        int expected;
    };
    const Case cases[] = {
        {5, false, 4990},   {1, false, 4998},  {255, false, 4999}, {200, false, -4856},
        {129, false, -4998}, {0, false, 0},    {128, false, 0},    {0, true, 9},
        {128, true, 9},
    };
    // Two kings against a man, for White and on the turned board for Black.
    const std::string sides[] = {position("Ka1 Kc1", "h6", 'w'), position("a3", "Kh8 Kf8", 'b')};
    for (const std::string& text : sides)
        for (const Case& c : cases) {
            fillDistanceFile("2d0p_0d1p_ru", static_cast<std::uint8_t>(c.byte));
            extendedDraw = c.extended;
            setPositionFromText(text);
            const auto before = currentSets();
            std::int64_t searched = 0;
            const int score = rootScoreOf(sideToMove, searched);
            EXPECT_EQ(score, c.expected) << text << " byte " << c.byte;
            EXPECT_EQ(searched, 0) << "no root move is searched";
            EXPECT_EQ(pvLast[1], 1) << "the line is the move alone";
            EXPECT_EQ(currentSets(), before);
        }
}

TEST_F(RootBitbase, AWinWithinTwiceTheDepthEndsTheLoop)
{
    // 4990 (a win in 5) at depth 7 is within reach; 4986 only from depth 8 on.
    for (int byte : {5, 7}) {
        fillDistanceFile("2d0p_0d1p_ru", static_cast<std::uint8_t>(byte));
        RecordingReporter rec;
        searchReporter = &rec;
        setPositionFromText(position("Ka1 Kc1", "h6", 'w'));
        clearHash();
        prepareSearch(White);
        iterativeDeepening();
        const std::vector<int> expected = byte == 5 ? std::vector<int>{7} : std::vector<int>{7, 8};
        EXPECT_EQ(rec.depths, expected) << "byte " << byte;
        EXPECT_EQ(rootScore, infiniteScore - 2 * byte);
    }
}

TEST_F(RootBitbase, WithoutItsDistanceFileARootMoveIsSearched)
{
    setPositionFromText(position("Ka1 Kc1", "h6", 'w'));
    std::int64_t searched = 0;
    const int score = rootScoreOf(White, searched);
    EXPECT_GT(searched, 0);
    EXPECT_GT(score, 2000) << "the all-wins table below the root";
    // A move that takes the last piece is searched too: the opponent has lost.
    fillDistanceFile("1d0p_1d0p_ru", 7);
    setPositionFromText(position("Kd2", "Ke3", 'w'));
    EXPECT_EQ(rootScoreOf(White, searched), 4998);
}

} // namespace
