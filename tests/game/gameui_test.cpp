// The board refresh reaches the windows' data: the library's book line, and in
// endings within the bases the verdict of every move in its place.
#include "game/controller.h"
#include "game/gameui.h"

#include <fstream>
#include <vector>

#include "engine/egtb.h"
#include "game/book.h"
#include "game_support.h"

namespace {

using game_testing::GameTest;

struct BookWatchingUi : game_testing::ScriptedUi {
    int bookChanges = 0;
    void bookTextChanged() override { ++bookChanges; }
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
    refreshBoardPicture();
    EXPECT_EQ(bookText, EndgameVerdictsText(White));
    EXPECT_NE(bookText.find("c1-b2=  "), std::string::npos) << bookText;
    EXPECT_GE(watching.bookChanges, 2); // the library's lookup, then the verdicts

    // Beyond the limit the library's (empty) line stays.
    EGTBPieses = 2;
    watching.bookChanges = 0;
    refreshBoardPicture();
    EXPECT_EQ(bookText, "");
    EXPECT_EQ(watching.bookChanges, 1);

    // The book window opened later shows the verdicts too, not the library's empty line.
    EGTBPieses = 3;
    bookText.clear();
    RefreshBookWindow();
    EXPECT_EQ(bookText, EndgameVerdictsText(White));
}

} // namespace
