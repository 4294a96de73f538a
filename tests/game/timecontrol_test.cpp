#include "game/timecontrol.h"

#include <gtest/gtest.h>

#include "engine/search.h"
#include "game/record.h"
#include "scripted_ui.h"

using controller_testing::ScriptedControlUi;

namespace {

class TimeControlTest : public ::testing::Test {
protected:
    ScriptedControlUi ui;
    void SetUp() override
    {
        controller_testing::startEngineOnce();
        installControlUi(&ui);
        timeDialog = TimeDialogState{};
        timeBudget = 200;
        ResetClocks();
    }
    void TearDown() override
    {
        installControlUi(nullptr);
        timeDialog = TimeDialogState{};
        timeBudget = 200;
    }
    void per40(const char* minutes)
    {
        ASSERT_TRUE(TimeDialogOk({TimeMode::Per40Moves, "2", minutes}));
    }
};

TEST_F(TimeControlTest, DialogOkSetsTheBudgetOfTheChosenMode)
{
    EXPECT_TRUE(TimeDialogOk({TimeMode::PerMove, "5", "10"}));
    EXPECT_EQ(timeBudget, 500);
    EXPECT_EQ(budgetText(timeBudget), "5,00 сек");
    per40("10");
    EXPECT_EQ(timeBudget, 2000); // 200 per minute until an engine move recomputes it
    EXPECT_TRUE(TimeDialogOk({TimeMode::Unlimited, "x", "y"}));
    EXPECT_EQ(timeBudget, unlimitedTime);
    EXPECT_EQ(budgetText(timeBudget), "не ограничено");
    EXPECT_TRUE(ui.messages.empty());

    // Letters in the chosen box: refused whole, the budget and the choice stay.
    EXPECT_FALSE(TimeDialogOk({TimeMode::PerMove, "5s", "10"}));
    EXPECT_EQ(timeBudget, unlimitedTime);
    EXPECT_EQ(timeDialog.mode, TimeMode::Unlimited);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], wrongTimeMessage);
}

TEST_F(TimeControlTest, FocusCheckWarnsOnLettersAndOnZeroOnly)
{
    TimeBoxEnter("15");
    TimeBoxEnter("1");
    EXPECT_TRUE(ui.messages.empty());
    TimeBoxEnter("abc");
    TimeBoxEnter("0");
    TimeBoxEnter("");
    TimeBoxEnter("-3");
    EXPECT_EQ(ui.messages, std::vector<std::string>(4, wrongTimeMessage));
}

TEST_F(TimeControlTest, FortyMovesBudgetCountsTheMovesLeft)
{
    per40("10");
    RecomputeBudget(1, 0);
    EXPECT_EQ(timeBudget, 1500);
    EXPECT_EQ(budgetText(timeBudget), "15,00 сек");
    RecomputeBudget(2, 1);
    EXPECT_EQ(timeBudget, 1538);
    EXPECT_EQ(budgetText(timeBudget), "15,38 сек");

    whiteClockSeconds = 590;
    RecomputeBudget(79, 0);
    EXPECT_EQ(timeBudget, 1000);
    blackClockSeconds = 590;
    RecomputeBudget(80, 1);
    EXPECT_EQ(timeBudget, 1000);

    // Beyond move 40 a new period of 10 minutes begins: never a zero divisor.
    RecomputeBudget(81, 0);
    EXPECT_EQ(timeBudget, 1000);
    RecomputeBudget(82, 1);
    EXPECT_EQ(timeBudget, (120000 - 59000) / 39);
    // Only the engine's own clock counts.
    EXPECT_EQ(whiteClockSeconds, 590);
    blackClockSeconds = 0;
    RecomputeBudget(2, 1);
    EXPECT_EQ(timeBudget, 1538);
}

TEST_F(TimeControlTest, RecomputationLeavesOtherModesAndBadTextAlone)
{
    ASSERT_TRUE(TimeDialogOk({TimeMode::PerMove, "7", "10"}));
    RecomputeBudget(1, 0);
    EXPECT_EQ(timeBudget, 700);
    per40("10");
    RecomputeBudget(1, 0);
    EXPECT_EQ(timeBudget, 1500);
    timeDialog.per40MovesText = "ten"; // typed after "Ok": the previous budget stays
    RecomputeBudget(2, 1);
    EXPECT_EQ(timeBudget, 1500);
}

TEST_F(TimeControlTest, CancelKeepsTheBudgetButTheRecomputationReadsTheControls)
{
    ASSERT_TRUE(TimeDialogOk({TimeMode::PerMove, "5", "10"}));
    TimeDialogCancel({TimeMode::Per40Moves, "5", "20"});
    EXPECT_EQ(timeBudget, 500);
    RecomputeBudget(1, 0);
    EXPECT_EQ(timeBudget, 3000); // 20 minutes for 40 moves
    TimeDialogCancel({TimeMode::Unlimited, "5", "20"});
    RecomputeBudget(2, 1);
    EXPECT_EQ(timeBudget, 3000);
    EXPECT_TRUE(ui.messages.empty());
}

TEST_F(TimeControlTest, OverspentClockGivesANegativeBudgetShownAsZero)
{
    per40("1");
    whiteClockSeconds = 100;
    RecomputeBudget(1, 0);
    EXPECT_LT(timeBudget, 0);
    EXPECT_EQ(budgetText(timeBudget), "0,00 сек");
    EXPECT_EQ(budgetText(1505), "15,05 сек");
    EXPECT_EQ(budgetText(7), "0,07 сек");
    ShowBudget();
    EXPECT_EQ(ui.fields[InfoField::Label9], "0,00 сек");
    EXPECT_EQ(infoFieldText(InfoField::Label9), "0,00 сек");
}

TEST_F(TimeControlTest, ClockCountsTheSideToMoveOnlyAfterTheFirstHalfMove)
{
    gameRecord = GameRecord{};
    setPositionFromText(initialPositionText);
    ResetRecord();
    ASSERT_EQ(gameRecord.plyNumber, 1);
    for (int i = 0; i < 5; ++i) ClockTick();
    EXPECT_EQ(whiteClockSeconds, 0);
    EXPECT_EQ(blackClockSeconds, 0);
    EXPECT_EQ(ui.clockUpdates, 0);

    gameRecord.plyNumber = 2;
    sideToMove = 1;
    ClockTick();
    ClockTick();
    sideToMove = 0;
    ClockTick();
    EXPECT_EQ(blackClockSeconds, 2);
    EXPECT_EQ(whiteClockSeconds, 1);
    EXPECT_EQ(ui.clockUpdates, 3);
    ResetClocks();
    EXPECT_EQ(whiteClockSeconds + blackClockSeconds, 0);
    gameRecord = GameRecord{};
    ResetRecord();
}

TEST(ClockText, HoursMinutesSecondsWithLeadingZeros)
{
    EXPECT_EQ(clockText(0), "00:00:00");
    EXPECT_EQ(clockText(3725), "01:02:05");
    EXPECT_EQ(clockText(59), "00:00:59");
    EXPECT_EQ(clockText(3600 * 100 + 61), "100:01:01");
}

} // namespace
