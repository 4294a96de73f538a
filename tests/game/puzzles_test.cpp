// The puzzle collection, its finder and the trainer's progress store: what the finder
// accepts and refuses, the collection's lines read back as written and damaged ones
// refused by their number, the progress surviving a restart and not a damaged file,
// and a quick look at the shipped collection.
#include <gtest/gtest.h>

#include <set>

#include "game/combinations.h"
#include "game/puzzleprogress.h"
#include "game/puzzles.h"
#include "game_support.h"

namespace {

using game_testing::startEngineOnce;

class FinderTest : public ::testing::Test {
protected:
    void SetUp() override { startEngineOnce(); }
};

TEST_F(FinderTest, AcceptsOneWinningQuietMoveOrSacrificeAndNothingElse)
{
    struct Case {
        const char* fen;
        const char* line;   // expected solution, empty when refused
        const char* refusal;
    } cases[] = {
        // f4-g5 gives a man, h6:f4 is forced, g3:a5 takes three: two men won back.
        {"W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8", "f4-g5 h6:f4 g3:a5", ""},
        // c3-d4 lures the king to c5, where the white king takes it and f4.
        {"W:Wc3,Ka7:BKg1,f4", "c3-d4 g1:c5 a7:g5", ""},
        // A capture that wins two men is compulsory, not a combination.
        {"W:Wa1,c3:Bd4,f6,b8,h8", "", "есть взятие"},
        // Two quiet moves win about as much.
        {"B:Wf2,h2,a3,e3,g3,h4,a5:Bc5,e5,d6,h6,g7,b8,d8", "", "выигрывает не один ход"},
        // A quiet position without a shot.
        {"W:Wa1,c1,e1,g1,b2,d2,f2,h2,a3,c3,e3,g3:Ba5,c5,e5,g5,b6,d6,f6,h6,a7,c7,e7,g7", "", "нет выигрыша"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fen);
        const BoardPosition p = *parseFen(c.fen);
        const std::string before = positionToText(sideToMove);
        const FinderVerdict verdict = findCombination(p);
        EXPECT_EQ(positionToText(sideToMove), before); // the engine's position is left as it was
        if (*c.line == '\0') {
            EXPECT_FALSE(verdict.puzzle);
            EXPECT_EQ(verdict.refusal.rfind(c.refusal, 0), 0u) << verdict.refusal;
            continue;
        }
        ASSERT_TRUE(verdict.puzzle) << verdict.refusal;
        std::string line;
        for (const std::string& m : lineTexts(*verdict.puzzle)) line += (line.empty() ? "" : " ") + m;
        EXPECT_EQ(line, c.line);
        EXPECT_EQ(verdict.puzzle->solverMoves, 2);
        EXPECT_EQ(checkPuzzle(*verdict.puzzle, FinderLimits{}.depth), "");
    }
}

TEST_F(FinderTest, TheCheckRefusesAPuzzleWhoseLineOrClaimIsWrong)
{
    const std::string good = "W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8 | ";
    struct Case {
        const char* rest;
        const char* failure;
    } cases[] = {
        {"f4-g5 h6:f4 g3:a5 | 2 | 2 1 | x", ""},
        {"f4-g5 h6:f4 g3:a5 | 3 | 2 1 | x", "выигрыш меньше указанного"},
        {"f4-e5 d6:f4 g3:e5 | 1 | 2 1 | x", "нет выигрыша"},
        {"f4-g5 h6:f4 | 2 | 1 1 | x", "решение не кончается тихой выигранной позицией"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rest);
        const PuzzleCollection read = readPuzzles(good + c.rest);
        ASSERT_EQ(read.puzzles.size(), 1u) << (read.problems.empty() ? "" : read.problems.front());
        EXPECT_EQ(checkPuzzle(read.puzzles.front(), FinderLimits{}.depth), c.failure);
    }
}

TEST(PuzzleCollectionTest, LinesReadBackAsWrittenAndDamagedOnesAreNamed)
{
    startEngineOnce();
    const std::string good1 = "W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | win | 2 1 | партия 15, полуход 61";
    const std::string good2 = "W:Wa1,c1,e1,g1,b2,h2,g3,f4:Bc5,b6,d6,h6,a7,e7,b8,d8,f8,h8 | f4-g5 h6:f4 g3:a5 | 2 | 2 1 | x";
    const std::string text = "# comment\n" + good1 + "\n\n"
                             "W:Wc3:Bf4 | c3-d4 | 2 | 1 1\n"                                  // 4: four fields
                             "W:Wc3,Ka7:Bc3 | c3-d4 | 2 | 1 1 | x\n"                          // 5: square twice
                             "W:Wc3,Ka7:BKg1,f4 | c3-e5 | 2 | 1 1 | x\n"                      // 6: illegal move
                             "W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | two | 2 1 | x\n"        // 7: gain
                             "W:Wc3,Ka7:BKg1,f4 | c3-d4 g1:c5 a7:g5 | 2 | 3 1 | x\n"          // 8: move count
                             "W:Wa1,c3:Bd4,f6,b8,h8 | c3:g7 | 2 | 1 1 | x\n"                  // 9: a capture first
                             "W:Wc3,Ka7:BKg1,f4 | | 2 | 1 1 | x\r\n"                          // 10: no solution
                             + good2 + "\r\n";
    const PuzzleCollection read = readPuzzles(text);
    ASSERT_EQ(read.puzzles.size(), 2u);
    EXPECT_EQ(puzzleText(read.puzzles[0]), good1);
    EXPECT_EQ(puzzleText(read.puzzles[1]), good2);
    EXPECT_EQ(read.puzzles[0].lineNumber, 2);
    EXPECT_EQ(read.puzzles[1].lineNumber, 11);
    EXPECT_TRUE(read.puzzles[0].wonEnding);
    EXPECT_EQ(read.puzzles[1].gain, 2);
    ASSERT_EQ(read.problems.size(), 7u);
    const char* expected[] = {"Строка 4: ", "Строка 5: ", "Строка 6: решение: недопустимый ход", "Строка 7: ",
                              "Строка 8: ", "Строка 9: первый ход", "Строка 10: "};
    for (std::size_t i = 0; i < read.problems.size(); ++i)
        EXPECT_EQ(read.problems[i].rfind(expected[i], 0), 0u) << read.problems[i];
    // The source may not break the line's fields.
    Puzzle p = read.puzzles[0];
    p.source = "a|b\nc";
    EXPECT_EQ(readPuzzles(puzzleText(p)).puzzles.at(0).source, "a/b/c");
}

TEST(PuzzleProgressTest, SurvivesARestartButNotDamage)
{
    PuzzleProgress p;
    p.record("W:Wc3:Bf6", 3, PuzzleResult::FirstTry);
    const int easyGain = p.rating - 1200;
    EXPECT_GT(easyGain, 0);
    p.record("W:Wc3:Bf6", 3, PuzzleResult::Failed); // the same puzzle again: counted, rating kept
    EXPECT_EQ(p.rating, 1200 + easyGain);
    EXPECT_EQ(p.streak, 0);
    p.record("W:Wd4:Bf6", 10, PuzzleResult::FirstTry); // a hard one is worth more
    EXPECT_GT(p.rating - 1200 - easyGain, easyGain);
    const int beforeFailure = p.rating;
    p.record("B:Wc3:Bf6", 3, PuzzleResult::Failed);
    EXPECT_LT(p.rating, beforeFailure);
    p.record("W:We3:Bf6", 3, PuzzleResult::Solved);
    EXPECT_EQ(p.firstTry, 2);
    EXPECT_EQ(p.solved, 3);
    EXPECT_EQ(p.failed, 2);
    EXPECT_EQ(p.streak, 0);
    EXPECT_EQ(p.results.at("W:Wc3:Bf6"), PuzzleResult::FirstTry); // the best result stays

    const auto dir = game_testing::uniqueTempDir("progress");
    const std::string path = (dir / "sub" / "puzzle-progress.txt").string();
    ASSERT_TRUE(saveProgress(path, p));
    const PuzzleProgress back = loadProgress(path);
    EXPECT_EQ(progressText(back), progressText(p));

    const std::string text = progressText(p);
    const std::string damaged[] = {
        "",
        text.substr(0, text.size() / 2) + "\x01garbage",
        "# another file\nrating 1300\n",
        text + "rating twelve\n",
        text + "puzzle maybe W:Wc3:Bf6\n",
        text + "streak 99\n", // more in a row than ever solved at the first try
        text + "solved -1\n",
    };
    for (const std::string& d : damaged) EXPECT_EQ(progressText(parseProgress(d)), progressText(PuzzleProgress{})) << d;
    game_testing::writeFile(path, damaged[1]);
    EXPECT_EQ(loadProgress(path).rating, 1200);
    std::filesystem::remove_all(dir);
}

// The deep check is `korvel-cli puzzles check`; this is the quick look at the file.
TEST(ShippedPuzzlesTest, AtLeastFiveHundredWellFormedDistinctPuzzlesInEveryGroup)
{
    startEngineOnce();
    const PuzzleCollection shipped = readPuzzleFile(std::string(KORVEL_SOURCE_DIR) + "/data/puzzles.txt");
    for (const std::string& problem : shipped.problems) ADD_FAILURE() << problem;
    EXPECT_GE(shipped.puzzles.size(), 500u);
    std::set<std::string> positions;
    int groups[difficultyCount] = {};
    for (const Puzzle& p : shipped.puzzles) {
        EXPECT_TRUE(positions.insert(positionToFen(p.start)).second) << "line " << p.lineNumber;
        EXPECT_TRUE(p.gain >= 2 || p.wonEnding) << "line " << p.lineNumber;
        ++groups[static_cast<int>(difficultyOf(p))];
    }
    for (int g : groups) EXPECT_GE(g, 50);
}

} // namespace
