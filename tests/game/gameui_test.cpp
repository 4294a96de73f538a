// A change of the game reaches the windows' data: the library's book line, and in
// endings within the bases the verdict of every move in its place; the notation; the
// search's fields after a new game; and the windows hear of it once.
#include "game/controller.h"
#include "game/gameui.h"

#include <fstream>
#include <vector>

#include "engine/egtb.h"
#include "game/book.h"
#include "game/controlui.h"
#include "game/gamechange.h"
#include "game/notation.h"
#include "game/record.h"
#include "game_support.h"

namespace {

using game_testing::GameTest;

struct BookWatchingUi : game_testing::ScriptedUi {
    std::vector<GameChange> changes;
    void gameChanged(GameChange change) override { changes.push_back(change); }
};

class GameHooksTest : public GameTest {
protected:
    BookWatchingUi watching;
    std::filesystem::path dir;
    void SetUp() override
    {
        GameTest::SetUp();
        installGameUi(&watching);
        dir = game_testing::uniqueTempDir("verdicts");
        egtbpath = dir.string() + "/";
    }
    void TearDown() override
    {
        EGTBPieses = 0;
        std::filesystem::remove_all(dir);
        GameTest::TearDown();
    }
    // A distance file of the table in which every position is a draw.
    void writeDrawnTable(const char* name)
    {
        for (int t = 0; t < bitbaseTableCount; ++t) {
            if (std::string(bitbaseTables[t].name) != name) continue;
            std::ofstream out(dir / (std::string(name) + ".brg"), std::ios::binary);
            const std::vector<char> zeros(bitbaseTables[t].positions, 0);
            out.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
            return;
        }
        FAIL() << "no table " << name;
    }
};

TEST_F(GameHooksTest, EndingsShowTheVerdictsInTheBookWindow)
{
    writeDrawnTable("2d0p_1d0p_ru");
    // Two white kings on c1 and e1 against a black king on h6.
    setPositionFromText("0WW00000000000000000000B00000000 w");
    EGTBPieses = 3;
    GameChanged(GameChange::Position);
    EXPECT_EQ(bookText, EndgameVerdictsText(White));
    EXPECT_NE(bookText.find("c1-b2=  "), std::string::npos) << bookText;
    EXPECT_EQ(watching.changes, std::vector<GameChange>{GameChange::Position});

    // Beyond the limit the library's (empty) line stays.
    EGTBPieses = 2;
    GameChanged(GameChange::Position);
    EXPECT_EQ(bookText, "");

    // The book window opened later shows the verdicts too, not the library's empty line.
    EGTBPieses = 3;
    bookText.clear();
    RefreshBookWindow();
    EXPECT_EQ(bookText, EndgameVerdictsText(White));
}

TEST_F(GameHooksTest, AChangeOutlinesOnlyAMoveAndANewGameForgetsTheGameBefore)
{
    struct Case {
        GameChange change;
        bool outlined;
        bool searchForgotten;
    };
    for (const Case c : {Case{GameChange::Move, true, false}, Case{GameChange::Position, false, false},
                         Case{GameChange::NewGame, false, true}}) {
        setPositionFromText(initialPositionText);
        ResetRecord();
        game_testing::playHalfMoves({"c3-d4", "d6-c5", "d2-c3"});
        EXPECT_EQ(notationView.openingName, "Отыгрыш с dc3");
        setInfoFieldText(InfoField::Label7, "+12");
        setInfoFieldText(InfoField::Label9, "2,00 сек");
        watching.changes.clear();
        if (c.change == GameChange::Move) {
            StepBack(); // the half-move's two squares change
        } else {
            if (c.change == GameChange::NewGame) {
                setPositionFromText(initialPositionText);
                ResetRecord();
            }
            GameChanged(c.change);
        }
        EXPECT_EQ(std::string(boardPicture, 64) != std::string(previousBoardPicture, 64), c.outlined);
        EXPECT_EQ(watching.changes, std::vector<GameChange>{c.change});
        EXPECT_EQ(infoFieldText(InfoField::Label7).empty(), c.searchForgotten);
        EXPECT_EQ(infoFieldText(InfoField::Label9), "2,00 сек"); // the time control is no game's
        // The notation follows the record: empty, name and all, for a new game.
        EXPECT_EQ(notationView.lines.empty(), c.searchForgotten);
        EXPECT_EQ(notationView.openingName.empty(), c.searchForgotten);
    }
}

} // namespace
