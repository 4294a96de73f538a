// The federation's draw rules: each rule at its exact threshold, counters that start
// when the balance arises, and the controller announcing the draw and keeping the
// counters right across take-back, replay, load and the written files.
#include "game/drawrules.h"

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "game/filecommands.h"
#include "game/notation.h"
#include "game/pdn.h"
#include "game_support.h"

namespace {

using game_testing::GameTest;
using game_testing::playHalfMove;

DrawRule ruleNow() { return drawRuleAt(gameRecord, gameRecord.plyNumber, sideToMove); }
DrawCounters countersNow() { return drawCountersAt(gameRecord, gameRecord.plyNumber, sideToMove); }

// White king c1 with men a3 and a5 against the black king h8: no capture either way
// while the kings shuffle c1-d2 and h8-g7.
const char* const threeAgainstKing = "0W000000w0000000w00000000000000B w";
const char* const shuffle[4] = {"c1-d2", "h8-g7", "d2-c1", "g7-h8"};

class DrawRulesTest : public GameTest {};

TEST_F(DrawRulesTest, ThreePiecesAgainstALoneKingDrawAtTheStrongerSidesSixteenthMove)
{
    startFrom(threeAgainstKing);
    for (int half = 0; half < 31; ++half) {
        playHalfMove(shuffle[half % 4]);
        const int whiteMoves = half / 2 + 1;
        EXPECT_EQ(countersNow().strongerSideMoves, whiteMoves) << half;
        EXPECT_EQ(countersNow().balance, DrawRule::ThreeAgainstKing);
        EXPECT_EQ(ruleNow(), whiteMoves >= 16 ? DrawRule::ThreeAgainstKing : DrawRule::None) << half;
    }
    // Only kings moved all along, but the 25 moves of each side are far off.
    EXPECT_EQ(countersNow().kingOnlyHalfMoves, 31);
}

TEST_F(DrawRulesTest, FewPiecesCountFromTheCaptureThatMadeTheBalance)
{
    // White king c1 with men a3 and e3 against the king h8: three White moves, the
    // third giving the man e3 away; two against a king from then on, counted anew.
    startFrom("0W000000w0w00000000000000000000B w");
    for (const char* move : {"c1-d2", "h8-g7", "d2-c1", "g7-h8", "e3-d4"}) playHalfMove(move);
    EXPECT_EQ(countersNow().strongerSideMoves, 3);
    playHalfMove("h8:a1");
    EXPECT_EQ(countersNow().balance, DrawRule::FewAgainstKing);
    EXPECT_EQ(countersNow().strongerSideMoves, 0);
    EXPECT_EQ(countersNow().kingOnlyHalfMoves, 0); // a capture
    const char* const moves[] = {"c1-d2", "a1-g7", "d2-c1", "g7-h8", "c1-d2", "h8-g7", "d2-c1", "g7-h8", "c1-d2"};
    for (int half = 0; half < 9; ++half) {
        playHalfMove(moves[half]);
        const int whiteMoves = half / 2 + 1;
        EXPECT_EQ(ruleNow(), whiteMoves >= 5 ? DrawRule::FewAgainstKing : DrawRule::None) << half;
    }

    // King against king: the first to move after the balance arose counts.
    startFrom("0W00000000000000000000000000000B b");
    const char* const kings[] = {"h8-g7", "c1-d2", "g7-h8", "d2-c1"};
    for (int half = 0; half < 9; ++half) {
        playHalfMove(kings[half % 4]);
        EXPECT_EQ(ruleNow(), half >= 8 ? DrawRule::FewAgainstKing : DrawRule::None) << half;
    }
}

TEST_F(DrawRulesTest, TwentyFiveKingMovesOfEachSideWithoutACapture)
{
    // Two kings and a man a side: no lone king, so only the king-move rule counts.
    const char* const start = "0W0W000w0000000000000000b00000BB w";
    const char* const moves[4] = {"c1-d2", "f8-e7", "d2-c1", "e7-f8"};
    startFrom(start);
    for (int half = 0; half < 50; ++half) {
        playHalfMove(moves[half % 4]);
        EXPECT_EQ(ruleNow(), half == 49 ? DrawRule::KingMovesOnly : DrawRule::None) << half;
    }
    // A man's move starts the count again.
    startFrom(start);
    for (int half = 0; half < 20; ++half) playHalfMove(moves[half % 4]);
    playHalfMove("h2-g3");
    EXPECT_EQ(countersNow().kingOnlyHalfMoves, 0);
    playHalfMove("f8-e7");
    EXPECT_EQ(countersNow().kingOnlyHalfMoves, 1);
}

class DrawRulesFlowTest : public controller_testing::ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        officialDrawRules = true;
        SetMode(HumanHuman);
    }
    void TearDown() override
    {
        officialDrawRules = false;
        ControllerTest::TearDown();
    }
};

TEST_F(DrawRulesFlowTest, TheDrawIsAnnouncedAndItsCountersFollowTheRecord)
{
    startFrom(threeAgainstKing);
    for (int half = 0; half < 30; ++half) drag(shuffle[half % 4], shuffle[half % 4] + 3);
    EXPECT_TRUE(ui.messages.empty());
    drag("d2", "c1"); // White's sixteenth move
    EXPECT_EQ(ui.messages, std::vector<std::string>{drawRuleMessage(DrawRule::ThreeAgainstKing)});
    EXPECT_TRUE(gameControl.gameOver);
    EXPECT_EQ(notationView.lines.back(), "1/2-1/2");

    // Back one half-move the count is one short, forward again it is reached.
    StepBack();
    EXPECT_FALSE(gameControl.gameOver);
    EXPECT_EQ(countersNow().strongerSideMoves, 15);
    StepForward();
    EXPECT_EQ(ruleNow(), DrawRule::ThreeAgainstKing);

    // The files carry the draw, and a loaded game counts the same.
    const auto dir = game_testing::uniqueTempDir("drawrules");
    ASSERT_TRUE(SaveGameFiles((dir / "drawn").string(), SaveType::Pdn));
    const std::string pdn = game_testing::readFile(dir / "drawn.pdn");
    EXPECT_NE(pdn.find("[Result \"1/2-1/2\"]"), std::string::npos);
    ASSERT_TRUE(SaveGameFiles((dir / "drawn").string(), SaveType::Game));
    StepBack();
    StepBack();
    ASSERT_TRUE(LoadGameFiles((dir / "drawn.gam").string()));
    EXPECT_EQ(gameRecord.plyNumber, 32);
    EXPECT_EQ(countersNow().strongerSideMoves, 16);
    ASSERT_TRUE(LoadGameFiles((dir / "drawn.pdn").string()));
    EXPECT_EQ(ruleNow(), DrawRule::ThreeAgainstKing);
    std::filesystem::remove_all(dir);

    // Off, the same game goes on.
    officialDrawRules = false;
    StepBack();
    ui.messages.clear();
    drag("d2", "c1");
    EXPECT_EQ(gameRecord.plyNumber, 32);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(gameControl.gameOver);
}

TEST_F(DrawRulesFlowTest, TheEnginesMoveThatReachesTheLimitEndsTheGame)
{
    // The engine on both sides: White's king and man cannot catch the lone king on the
    // long diagonal, and the draw comes right after White's fifth move.
    startFrom("0W000000w0000000000000000000000B w");
    SetMode(EngineBoth);
    EXPECT_TRUE(gameControl.gameOver);
    EXPECT_EQ(ui.messages.back(), drawRuleMessage(DrawRule::FewAgainstKing));
    EXPECT_EQ(gameRecord.plyNumber, 10); // five moves of White, four of Black
}

} // namespace
