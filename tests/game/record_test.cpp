#include <gtest/gtest.h>

#include "tests/game/game_support.h"

namespace {

using game_testing::GameTest;

class RecordTest : public GameTest {};

RecordEntry placement(SquareSet wk, SquareSet wm, SquareSet bk, SquareSet bm)
{
    RecordEntry e;
    e.whiteKings = wk;
    e.whiteMen = wm;
    e.blackKings = bk;
    e.blackMen = bm;
    return e;
}

// Fills entries 1..n with distinct placements, then gives the listed entries one
// common placement.
void distinctEntriesWithRepeats(int n, std::initializer_list<int> repeated)
{
    for (int i = 1; i <= n; ++i) gameRecord.entries[i] = placement(0, 1u << (i % 32), 0, 1u << ((i + 7) % 32));
    for (int i = 1; i <= n; ++i) gameRecord.entries[i].blackKings = static_cast<SquareSet>(i) << 8;
    for (int i : repeated) gameRecord.entries[i] = placement(1, 2, 4, 8);
    gameRecord.plyNumber = gameRecord.redoLimit = n;
}

TEST_F(RecordTest, StepsBackAndForwardThroughTheGameAndANewMoveDropsTheTail)
{
    EXPECT_FALSE(StepBack());
    EXPECT_FALSE(StepForward());
    EXPECT_FALSE(IsThreefoldRepetition());

    playAll({"c3-d4", "f6-g5", "d4-c5"});
    ASSERT_EQ(gameRecord.plyNumber, 4);
    ASSERT_EQ(gameRecord.redoLimit, 4);
    const std::string afterThird = positionToText(sideToMove);
    EXPECT_EQ(entryMoveText(gameRecord.entries[4]), "d4-c5");
    EXPECT_EQ(entryMoveText(gameRecord.entries[1]), "");

    ASSERT_TRUE(StepBack());
    ASSERT_TRUE(StepBack());
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(gameRecord.redoLimit, 4);
    EXPECT_EQ(sideToMove, Black);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2]));
    EXPECT_EQ(gameControl.entrySnapshot.whiteMen, whiteMen);
    EXPECT_EQ(gameControl.entrySnapshot.blackMen, blackMen);
    EXPECT_EQ(occupied, whitePieces | blackPieces);
    EXPECT_TRUE(stopRequested);
    EXPECT_TRUE(gameControl.abortRequested);

    ASSERT_TRUE(StepForward());
    ASSERT_TRUE(StepForward());
    EXPECT_FALSE(StepForward());
    EXPECT_EQ(positionToText(sideToMove), afterThird);
    EXPECT_EQ(sideToMove, Black);

    StepBack();
    StepBack();
    play("b6-a5");
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(gameRecord.redoLimit, 3);
    EXPECT_FALSE(StepForward());
}

TEST_F(RecordTest, WholeMoveStepsStopAtTheEndsAndStillPause)
{
    play("c3-d4");
    ui.pauses = 0;
    MoveBack();
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(ui.pauses, 1);
    EXPECT_EQ(positionToText(sideToMove), initialPositionText);

    MoveForward();
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(sideToMove, Black);

    playAll({"f6-g5", "g3-h4", "g7-f6"});
    GoToStart();
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(positionToText(sideToMove), initialPositionText);
    GoToEnd();
    EXPECT_EQ(gameRecord.plyNumber, 5);
    EXPECT_EQ(sideToMove, White);
}

TEST_F(RecordTest, SetupRefusesEveryStepAndTheEndlessStepsStillEnd)
{
    playAll({"c3-d4", "f6-g5"});
    StepBack();
    gameControl.mode = GameMode::Setup;
    EXPECT_FALSE(StepBack());
    EXPECT_FALSE(StepForward());
    GoToStart();
    GoToEnd();
    EXPECT_EQ(gameRecord.plyNumber, 2);
}

TEST_F(RecordTest, TakingBackClearsGameOverAndReplayingDoesNotSetIt)
{
    play("c3-d4");
    gameControl.gameOver = true;
    StepBack();
    EXPECT_FALSE(gameControl.gameOver);
    gameControl.gameOver = false;
    StepForward();
    EXPECT_FALSE(gameControl.gameOver);
    gameControl.gameOver = true;
    StepBack();
    StepForward();
    gameControl.gameOver = true;
    StepForward(); // refused at the end: nothing changes
    EXPECT_TRUE(gameControl.gameOver);
}

TEST_F(RecordTest, ShuttlingKingsRepeatAtEntriesFiveNineAndThirteen)
{
    // White: king a1, man g3; Black: king b8, man d8. Four men moves, then the kings
    // shuttle, so the placement after the fourth half-move recurs every four plies.
    std::string text(32, '0');
    text[0] = 'W';
    text[11] = 'w';
    text[28] = 'B';
    text[29] = 'b';
    startFrom(text + " w");
    playAll({"g3-h4", "d8-c7", "h4-g5", "c7-d6"});
    const char* cycle[] = {"a1-b2", "b8-a7", "b2-a1", "a7-b8"};
    for (int i = 0; i < 7; ++i) {
        play(cycle[i % 4]);
        EXPECT_FALSE(IsThreefoldRepetition()) << "at entry " << gameRecord.plyNumber;
    }
    play(cycle[3]);
    ASSERT_EQ(gameRecord.plyNumber, 13);
    EXPECT_TRUE(IsThreefoldRepetition());
    play(cycle[0]);
    EXPECT_TRUE(IsThreefoldRepetition());
}

TEST_F(RecordTest, RepetitionIgnoresTheSideToMoveAndTheReplayableTail)
{
    distinctEntriesWithRepeats(10, {4, 7, 10});
    EXPECT_TRUE(IsThreefoldRepetition());
    gameRecord.plyNumber = 9;
    EXPECT_FALSE(IsThreefoldRepetition());

    distinctEntriesWithRepeats(11, {3, 7, 11});
    EXPECT_TRUE(IsThreefoldRepetition());
    ASSERT_TRUE(StepBack());
    EXPECT_EQ(gameRecord.plyNumber, 10);
    EXPECT_FALSE(IsThreefoldRepetition());

    distinctEntriesWithRepeats(12, {});
    EXPECT_FALSE(IsThreefoldRepetition());
    distinctEntriesWithRepeats(3, {1, 2, 3});
    EXPECT_TRUE(IsThreefoldRepetition());
}

TEST_F(RecordTest, AFullRecordRefusesTheMoveAndKeepsTheGame)
{
    for (int i = 2; i <= recordCapacity; ++i) gameRecord.entries[i] = gameRecord.entries[1];
    gameRecord.plyNumber = gameRecord.redoLimit = recordCapacity;
    const RecordEntry guard = gameRecord.entries[recordCapacity];
    const std::string before = positionToText(sideToMove);

    const int count = generateLegalMoves(sideToMove, 0);
    ASSERT_GT(count, 0);
    makeMove(moveLists[0].moves[1], moveLists[0].captured[1], sideToMove, 0);
    sideToMove = 1 - sideToMove;
    EXPECT_FALSE(AppendMove(moveText(moveLists[0].moves[1])));

    EXPECT_EQ(gameRecord.plyNumber, recordCapacity);
    EXPECT_EQ(gameRecord.redoLimit, recordCapacity);
    EXPECT_EQ(positionToText(sideToMove), before);
    EXPECT_EQ(gameRecord.entries[recordCapacity].whiteMen, guard.whiteMen);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], recordFullMessage);
}

TEST_F(RecordTest, NotationButtonsKeepTheHumanOnTheMove)
{
    playAll({"c3-d4", "f6-g5", "g3-h4", "g7-f6"});
    gameControl.mode = EngineBlack;
    engineSide = Black;
    ASSERT_EQ(sideToMove, White);
    NotationBackButton(); // the human is to move: a whole move back
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(sideToMove, White);
    StepBack();
    ASSERT_EQ(sideToMove, Black);
    NotationForwardButton(); // the engine is to move: one half-move
    EXPECT_EQ(gameRecord.plyNumber, 3);

    gameControl.thinking = true;
    NotationBackButton();
    NotationForwardButton();
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_FALSE(navigationAllowed());
    gameControl.mode = Analysis;
    EXPECT_TRUE(navigationAllowed());

    gameControl.mode = EngineBoth;
    NotationBackButton();
    EXPECT_EQ(gameRecord.plyNumber, 3);
    NotationForwardButton(); // forward works while the engine plays itself
    EXPECT_GT(gameRecord.plyNumber, 3);
}

} // namespace
