// The hint: offered only when a human is to move and the engine is idle, it searches
// the human's position, outlines the suggested move and plays nothing; commands that
// arrive during its search keep their effect.
#include "game/hint.h"

#include <gtest/gtest.h>

#include "controller_fixture.h"

namespace {

using namespace controller_testing;

int pictureIndexOfName(const std::string& name) { return (name[1] - '1') * 8 + (name[0] - 'a'); }

class HintTest : public ControllerTest {};

TEST_F(HintTest, OfferedOnlyWhenAHumanIsToMoveAndTheEngineIsIdle)
{
    EXPECT_TRUE(HintAvailable()); // the engine plays Black, White is to move
    bool duringSearch = true;
    whenPumped([] { return gameControl.thinking; }, [&duringSearch] { duringSearch = HintAvailable(); });
    drag("c3", "d4");
    EXPECT_FALSE(duringSearch);
    EXPECT_TRUE(HintAvailable());
    SetMode(HumanHuman);
    EXPECT_TRUE(HintAvailable());
    SetMode(GameMode::Setup);
    EXPECT_FALSE(HintAvailable());
    SetupCancel();
    gameControl.gameOver = true;
    EXPECT_FALSE(HintAvailable());
    gameControl.gameOver = false;

    // Thinking on the opponent's time counts as thinking.
    SetMode(EngineBlack);
    TogglePonder();
    dragFirstLegalMove();
    ASSERT_TRUE(ponderState.active);
    EXPECT_FALSE(HintAvailable());
}

TEST_F(HintTest, OutlinesTheSuggestedMoveAndPlaysNothing)
{
    drag("c3", "d4");
    const std::string position = positionToText(sideToMove);
    const int ply = gameRecord.plyNumber;
    ShowHint();
    EXPECT_EQ(positionToText(sideToMove), position);
    EXPECT_EQ(gameRecord.plyNumber, ply);
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(engineSide, Black);
    const std::string hint = ui.fields[InfoField::Label6];
    ASSERT_EQ(hint.size(), 5u);
    EXPECT_TRUE(hintOutlines(pictureIndexOfName(hint.substr(0, 2))));
    EXPECT_TRUE(hintOutlines(pictureIndexOfName(hint.substr(3, 2))));
    int outlined = 0;
    for (int i = 0; i < 64; ++i) outlined += hintOutlines(i) ? 1 : 0;
    EXPECT_EQ(outlined, 2);
    // The suggestion is a legal move, and it is gone once a move is made.
    drag(hint.substr(0, 2).c_str(), hint.substr(3, 2).c_str());
    EXPECT_EQ(gameRecord.plyNumber, ply + 2);
    for (int i = 0; i < 64; ++i) EXPECT_FALSE(hintOutlines(i));
}

TEST_F(HintTest, CommandsDuringTheHintsSearchKeepTheirEffect)
{
    timeBudget = unlimitedTime;
    maxIterationDepth = 15;
    drag("c3", "d4");
    // A take-back: no hint, the position taken back to.
    whenPumped([] { return gameControl.thinking; }, [] { MoveBack(); });
    ShowHint();
    EXPECT_EQ(gameRecord.plyNumber, 1);
    EXPECT_EQ(positionToText(White), initialPositionText);
    for (int i = 0; i < 64; ++i) EXPECT_FALSE(hintOutlines(i));

    // A move entered on the board ends the search and is played.
    bool searchedOn = false;
    whenPumped([] { return gameControl.thinking && entryMatchesBoard(gameRecord.entries[1]); },
               [this, &searchedOn] {
                   drag("c3", "b4");
                   whenPumped([] { return gameControl.thinking && gameRecord.plyNumber == 1; },
                              [&searchedOn] { searchedOn = true; });
               });
    ShowHint();
    EXPECT_FALSE(searchedOn);
    EXPECT_EQ(gameRecord.plyNumber, 3); // the human's move and the engine's reply
    EXPECT_EQ(entryMoveText(gameRecord.entries[2]), "c3-b4");

    // A new game with the engine on White: it opens the new game.
    maxIterationDepth = 9;
    SetMode(HumanHuman);
    NewGameCommand();
    SetMode(EngineWhite);
    ASSERT_EQ(gameRecord.plyNumber, 2);
    whenPumped([] { return gameControl.thinking; }, [] { NewGameCommand(); });
    ShowHint();
    EXPECT_FALSE(gameControl.thinking);
    EXPECT_EQ(gameRecord.plyNumber, 2);
    EXPECT_EQ(sideToMove, Black);
    EXPECT_TRUE(entryMatchesBoard(gameRecord.entries[2]));
}

} // namespace
