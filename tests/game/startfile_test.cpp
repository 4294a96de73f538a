// The file the program is started with: loaded as "Загрузить..." loads it, on the new
// game of the start; a refused one leaves that game with the usual message.
#include <gtest/gtest.h>

#include <filesystem>

#include "game/filecommands.h"
#include "tests/game/controller_fixture.h"
#include "tests/game/game_support.h"

namespace {

namespace fs = std::filesystem;
using controller_testing::ControllerTest;

struct ChoosingUi : controller_testing::CheckingUi {
    int gameAnswer = -1;
    int choices = 0;
    int chooseGame(const std::vector<std::string>&) override
    {
        ++choices;
        return gameAnswer;
    }
};

const char* const twoGames = "[White \"A\"]\n[Black \"B\"]\n\n1. c3-d4 f6-g5 *\n\n"
                             "[White \"C\"]\n[Black \"D\"]\n\n1. e3-f4 b6-a5 2. f4-e5 *\n";

class StartFileTest : public ControllerTest {
protected:
    ChoosingUi chooser;
    fs::path dir;
    void SetUp() override
    {
        ControllerTest::SetUp();
        installControlUi(&chooser);
        dir = game_testing::uniqueTempDir("start");
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
        ControllerTest::TearDown();
    }
    std::string path(const std::string& name) const { return (dir / name).string(); }
};

TEST_F(StartFileTest, AFileIsLoadedAsTheLoadCommandDoesAndARefusedOneLeavesTheNewGame)
{
    // A game saved after two half-moves, then the program's start: a new game.
    game_testing::playHalfMoves({"c3-d4", "f6-g5"});
    const std::string afterTwo = positionToText(sideToMove);
    ASSERT_TRUE(SaveGameFiles(path("partie"), SaveType::Game));
    StartNewGame();
    const std::string positionText = "0000w000000000000000000b00000000 b";
    setPositionFromText(positionText);
    const PositionImage image{whiteMen, blackMen, whiteKings, blackKings, sideToMove};
    setPositionFromText(initialPositionText);
    game_testing::writeFile(path("stellung.poz"), encodePosition(image));
    game_testing::writeFile(path("zwei.pdn"), twoGames);
    game_testing::writeFile(path("kurz.gam"), game_testing::readFile(path("partie.gam")).substr(0, 14400));
    game_testing::writeFile(path("falsch.pdn"), "1. c3-d5 *\n");
    const GameMode startMode = gameControl.mode;

    struct Case {
        const char* file;
        int gameAnswer;       // the user's choice among several games
        bool loads;
        const char* message;  // the one message shown, or none
        std::string position; // on the board afterwards
        int redoLimit;
    };
    const Case cases[] = {
        {"partie.gam", -1, true, nullptr, afterTwo, 3},
        {"stellung.poz", -1, true, nullptr, positionText, 1},
        {"zwei.pdn", 1, true, nullptr, "", 4},
        {"zwei.pdn", -1, false, nullptr, initialPositionText, 1}, // the choice cancelled
        {"kurz.gam", -1, false, "Файл не является файлом партии!", initialPositionText, 1},
        {"falsch.pdn", -1, false, "Партия 1, ход 1: непонятная запись хода \"c3-d5\"", initialPositionText, 1},
        {"fehlt.pdn", -1, false, "Не удалось прочитать файл {}: No such file or directory", initialPositionText, 1},
        {"", -1, false, nullptr, initialPositionText, 1}, // no file given
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " choosing " + std::to_string(c.gameAnswer));
        StartNewGame();
        gameControl.mode = startMode;
        chooser.messages.clear();
        chooser.gameAnswer = c.gameAnswer;
        EXPECT_EQ(OpenStartFile(*c.file ? path(c.file) : std::string()), c.loads);
        std::string message = c.message ? c.message : "";
        if (const auto at = message.find("{}"); at != std::string::npos) message.replace(at, 2, path(c.file));
        EXPECT_EQ(chooser.messages, c.message ? std::vector<std::string>{message} : std::vector<std::string>{});
        EXPECT_EQ(gameControl.mode, c.loads ? HumanHuman : startMode);
        if (!c.position.empty()) {
            EXPECT_EQ(positionToText(sideToMove), c.position);
        }
        EXPECT_EQ(gameRecord.redoLimit, c.redoLimit);
        if (!c.loads) {
            EXPECT_EQ(gameRecord.plyNumber, 1);
        }
        EXPECT_EQ(chooser.inconsistencies, 0);
    }
    EXPECT_EQ(chooser.choices, 2); // asked for the file of two games only
}

TEST_F(StartFileTest, TheChosenGameOfSeveralIsTheOneOnTheBoard)
{
    game_testing::writeFile(path("zwei.pdn"), twoGames);
    for (int answer : {0, 1}) {
        StartNewGame();
        chooser.gameAnswer = answer;
        ASSERT_TRUE(OpenStartFile(path("zwei.pdn")));
        EXPECT_EQ(entryMoveText(gameRecord.entries[gameRecord.redoLimit]), answer == 0 ? "f6-g5" : "f4-e5");
        EXPECT_EQ(sideToMove, answer == 0 ? White : Black);
    }
}

} // namespace
