// The trainer's flow on the board: a right move answered by the line's reply, a wrong
// one taken back, the end of a line solving the puzzle, the solution played step by
// step, and the game in progress back when the trainer closes.
#include "game/preferences.h"
#include "game/trainer.h"

#include <gtest/gtest.h>

#include "controller_fixture.h"
#include "game_support.h"

namespace {

using namespace controller_testing;

const char* const collection =
    "# two easy puzzles\n"
    "W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | win | 2 1 | first\n"
    "W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8 | f4-g5 h6:f4 g3:a5 | 2 | 2 1 | second\n"
    "W:Wc3 | c3-d4 | 2 | 1 1 | damaged\n";

class TrainerTest : public ControllerTest {
protected:
    std::filesystem::path dir;
    std::string progressPath;
    PuzzleTrainer& trainer = puzzleTrainer();

    void SetUp() override
    {
        ControllerTest::SetUp();
        dir = game_testing::uniqueTempDir("trainer");
        progressPath = (dir / "puzzle-progress.txt").string();
        game_testing::writeFile(dir / "puzzles.txt", collection);
        SetMode(HumanHuman);
        drag("c3", "d4");
        drag("f6", "g5");
    }
    void TearDown() override
    {
        trainer.close();
        std::filesystem::remove_all(dir);
        ControllerTest::TearDown();
    }
    bool open() { return trainer.open((dir / "puzzles.txt").string(), progressPath); }
    static std::string board() { return positionToFen(currentBoardPosition()); }
};

TEST_F(TrainerTest, RightMovesAreAnsweredByTheLineUntilItEnds)
{
    const std::string game = board();
    ASSERT_TRUE(open());
    ASSERT_EQ(trainer.problems().size(), 1u);
    EXPECT_EQ(trainer.problems()[0].rfind("Строка 4: ", 0), 0u);
    EXPECT_EQ(trainer.groupSize(), 2);
    EXPECT_EQ(board(), "W:Wc3,Ka7:BKg1,f4");
    EXPECT_EQ(trainer.message().rfind("Ход белых", 0), 0u);

    drag("c3", "d4"); // the sacrifice; the reply follows as the engine's move would
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Waiting);
    EXPECT_EQ(board(), "W:WKa7:Bf4,Kc5");
    EXPECT_EQ(recorded(3), "g1:c5");
    const int sounds = ui.moveSounds;
    drag("a7", "g5"); // takes c5 and f4: the line's end
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Solved);
    EXPECT_EQ(ui.moveSounds, sounds + 1);
    EXPECT_EQ(trainer.progress().firstTry, 1);
    EXPECT_EQ(trainer.progress().streak, 1);

    drag("g5", "h6"); // nothing more to play: the board stays
    EXPECT_EQ(gameRecord.redoLimit, 4);

    trainer.close();
    EXPECT_EQ(board(), game);
    EXPECT_EQ(recorded(3), "f6-g5");
    EXPECT_EQ(gameControl.mode, HumanHuman);
    EXPECT_EQ(ui.inconsistencies, 0);
    // The progress is kept for the next start.
    EXPECT_EQ(loadProgress(progressPath).firstTry, 1);
}

TEST_F(TrainerTest, AWrongMoveIsTakenBackAndTheSolutionCanBeShown)
{
    ASSERT_TRUE(open());
    trainer.next();
    const std::string start = board();
    EXPECT_EQ(start, "W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8");

    drag("g1", "f2");
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Wrong);
    EXPECT_EQ(trainer.message(), wrongMoveMessage);
    EXPECT_EQ(board(), start);
    EXPECT_EQ(gameRecord.redoLimit, 1);
    drag("e1", "d2"); // wrong again: a move tries again by itself
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Wrong);
    EXPECT_EQ(board(), start);

    trainer.tryAgain();
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Waiting);
    EXPECT_EQ(trainer.hint(), "f4");
    drag("f4", "g5");
    EXPECT_EQ(recorded(3), "h6:f4");
    trainer.showSolution(); // from the start, one half-move a step
    EXPECT_EQ(board(), start);
    int steps = 1;
    while (trainer.solutionStep()) ++steps;
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Failed);
    EXPECT_EQ(recorded(4), "g3:a5");
    // Taking a hint and giving up count once, as a failure.
    EXPECT_EQ(trainer.progress().failed, 1);
    EXPECT_EQ(trainer.progress().solved, 0);
    EXPECT_EQ(trainer.progress().streak, 0);
    EXPECT_EQ(ui.inconsistencies, 0);
}

TEST_F(TrainerTest, AnotherMoveThatWinsAsMuchIsAccepted)
{
    // After d4-e5 h2:d6 the king may land anywhere behind d6: every landing wins.
    game_testing::writeFile(dir / "puzzles.txt",
                            "W:Wa3,e3,h4,f6,Kb8:BKh2,g5 | e3-d4 g5:e7 d4-e5 h2:d6 b8:e5 e7-f6 e5:g7 | win | 4 3 | x\n");
    ASSERT_TRUE(open());
    drag("e3", "d4");
    drag("d4", "e5");
    EXPECT_EQ(recorded(5), "h2:d6");
    drag("b8", "f4");
    EXPECT_EQ(recorded(6), "b8:f4");
    // From f4 the king still has to catch the last man, with no forced line to it: the
    // engine's word that the move wins is enough.
    EXPECT_EQ(trainer.state(), PuzzleTrainer::State::Solved);
    EXPECT_EQ(gameRecord.redoLimit, 6);
    EXPECT_EQ(trainer.progress().firstTry, 1);
}

TEST_F(TrainerTest, GroupsStartAtTheFirstPuzzleNotTriedAndTurnTheBoardForBlack)
{
    // Points: 2 + 1 (easy), 3 + 1 and 2 + 3 (middling), 4 + 3 (hard).
    game_testing::writeFile(dir / "puzzles.txt",
                            "W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | win | 2 1 | e\n"
                            "W:Wb2,a3:Bd2,d6,a7,g7 | b2-c3 d2:b4 a3:e7 a7-b6 e7-f8 | 3 | 3 1 | m1\n"
                            "B:WKe5:BKg5,h8 | g5-f6 e5:g7 h8:f6 | win | 2 3 | m2\n"
                            "W:Wa3,e3,h4,f6,Kb8:BKh2,g5 | e3-d4 g5:e7 d4-e5 h2:d6 b8:e5 e7-f6 e5:g7 | win | 4 3 | h\n");
    PuzzleProgress tried;
    tried.record("W:Wb2,a3:Bd2,d6,a7,g7", 4, PuzzleResult::Failed);
    ASSERT_TRUE(saveProgress(progressPath, tried));
    const std::string gameTurn = currentPreferences().at("rotated");
    ASSERT_TRUE(open());
    struct Step {
        std::function<void()> action;
        Difficulty group;
        int size, index;
        const char* source;
        bool rotated;
    } steps[] = {
        {[this] { trainer.setDifficulty(Difficulty::Easy); }, Difficulty::Easy, 1, 0, "e", false},
        {[this] { trainer.setDifficulty(Difficulty::Medium); }, Difficulty::Medium, 2, 1, "m2", true},
        {[this] { trainer.next(); }, Difficulty::Medium, 2, 0, "m1", false},
        {[this] { trainer.previous(); }, Difficulty::Medium, 2, 1, "m2", true},
        {[this] { trainer.setDifficulty(Difficulty::Hard); }, Difficulty::Hard, 1, 0, "h", false},
        {[this] { trainer.next(); }, Difficulty::Hard, 1, 0, "h", false},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.source);
        step.action();
        EXPECT_EQ(trainer.difficulty(), step.group);
        EXPECT_EQ(trainer.groupSize(), step.size);
        EXPECT_EQ(trainer.groupIndex(), step.index);
        ASSERT_NE(trainer.puzzle(), nullptr);
        EXPECT_EQ(trainer.puzzle()->source, step.source);
        EXPECT_EQ(board(), positionToFen(trainer.puzzle()->start));
        EXPECT_EQ(boardView.rotated, step.rotated);
        EXPECT_EQ(currentPreferences().at("rotated"), gameTurn); // the settings keep the game's turn
    }
    trainer.setDifficulty(Difficulty::Medium);
    EXPECT_EQ(trainer.message().rfind("Ход чёрных", 0), 0u);
    trainer.close();
    EXPECT_FALSE(boardView.rotated);
}

TEST_F(TrainerTest, AnEmptyCollectionOpensNothing)
{
    game_testing::writeFile(dir / "puzzles.txt", "W:Wc3 | c3-d4 | 2 | 1 1 | damaged\n");
    const std::string game = board();
    EXPECT_FALSE(open());
    EXPECT_FALSE(trainer.isOpen());
    EXPECT_EQ(board(), game);
}

} // namespace
