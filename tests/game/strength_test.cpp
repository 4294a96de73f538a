// Strength levels: level 8 is the engine unchanged, the middle levels end the depth
// loop early, the lowest choose among moves close to the best and never beyond the
// margin; the engine's turn plays at the level, analysis at full strength.
#include "game/strength.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "controller_fixture.h"
#include "game/hint.h"
#include "game/settings.h"

namespace {

using namespace controller_testing;

class StrengthTest : public ControllerTest {
protected:
    void TearDown() override
    {
        engineLevel = strongestLevel;
        ControllerTest::TearDown();
    }
};

TEST_F(StrengthTest, LevelEightIsTheFullSearchAndTheMiddleLevelsStopEarlier)
{
    timeBudget = unlimitedTime;
    maxIterationDepth = 9;
    const std::string middlegame = "ww0ww0www0w0w0w000bb0b0bbb0b0bbb w";
    setPositionFromText(middlegame);
    clearHash();
    prepareSearch(White);
    iterativeDeepening();
    const MoveCode full = moveLists[1].moves[1];
    const std::int64_t fullMoves = movesMade();
    setPositionFromText(middlegame);
    clearHash();
    prepareSearch(White);
    searchAtLevel(strongestLevel);
    EXPECT_EQ(moveLists[1].moves[1], full);
    EXPECT_EQ(movesMade(), fullMoves);
    EXPECT_EQ(maxIterationDepth, 9); // restored

    setPositionFromText(middlegame);
    clearHash();
    prepareSearch(White);
    searchAtLevel(5);
    EXPECT_EQ(depthShown, levelSettings(5).depthLimit);
    EXPECT_LT(movesMade(), fullMoves);
    EXPECT_EQ(maxIterationDepth, 9);

    for (int level = weakestLevel; level < strongestLevel; ++level) {
        const LevelSettings weaker = levelSettings(level), stronger = levelSettings(level + 1);
        EXPECT_TRUE(weaker.depthLimit < stronger.depthLimit || weaker.choiceDepth < stronger.choiceDepth ||
                    (weaker.depthLimit == 0 && stronger.depthLimit > 0))
            << level;
        if (weaker.margin && stronger.margin) {
            EXPECT_GT(weaker.margin, stronger.margin) << level;
        }
    }
}

TEST_F(StrengthTest, TheLowestLevelChoosesAtRandomOnlyWithinItsMargin)
{
    // White men c3, g3, h2 against e5 and b8: c3-d4 gives a man away, the others do not.
    const std::string position = "0000000w0w0w000000b000000000b000 w";
    std::set<MoveCode> chosen;
    for (std::uint32_t seed = 1; seed <= 40; ++seed) {
        setPositionFromText(position);
        seedRandom(seed);
        prepareSearch(White);
        searchAtLevel(weakestLevel);
        chosen.insert(moveLists[1].moves[1]);
        // Every move's score at the level's depth: the chosen one lies within the margin.
        const MoveList& list = moveLists[1];
        int best = list.scores[1];
        for (int k = 1; k <= list.count; ++k) best = std::max(best, list.scores[k]);
        EXPECT_GE(list.scores[1], best - levelSettings(weakestLevel).margin);
    }
    EXPECT_GT(chosen.size(), 1u); // it does vary
    for (MoveCode move : chosen) EXPECT_NE(moveText(move), "c3-d4");
}

TEST_F(StrengthTest, TheEngineTurnPlaysAtTheLevelAndAnalysisAtFullStrength)
{
    engineLevel = 2;
    drag("c3", "d4");
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(ui.fields[InfoField::Label1], "2"); // the level's depth is shown
    SetMode(Analysis);
    EXPECT_EQ(ui.fields[InfoField::Label1], "7"); // the depth loop of the full engine
}

TEST_F(StrengthTest, FullStrengthSearchesOnTheThreadsChosenAndTheLevelsOnOne)
{
    threadsChosen = 2;
    int seen = 0;
    const auto record = [&] { seen = searchThreads; };
    const auto searching = [] { return gameControl.thinking; };
    // The engine's reply at full strength and at level 5, then the hint.
    for (const auto& [level, expected] : {std::pair{strongestLevel, 2}, std::pair{5, 1}}) {
        startFrom(initialPositionText);
        engineLevel = level;
        seen = 0;
        whenPumped(searching, record);
        drag("c3", "d4");
        ASSERT_EQ(gameRecord.plyNumber, 3) << level;
        EXPECT_EQ(seen, expected) << "level " << level;
        EXPECT_EQ(searchThreads, 1) << "the game's search is back on one thread";
    }
    startFrom(initialPositionText);
    seen = 0;
    whenPumped(searching, record);
    ASSERT_TRUE(HintAvailable());
    ShowHint();
    EXPECT_EQ(seen, 2) << "the hint";
    EXPECT_EQ(searchThreads, 1);
}

} // namespace
