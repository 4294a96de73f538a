#include "game/boardview.h"

#include <gtest/gtest.h>

#include "game/controller.h"
#include "game/settings.h"
#include "scripted_ui.h"

using controller_testing::ScriptedControlUi;

namespace {

class BoardViewTest : public ::testing::Test {
protected:
    ScriptedControlUi ui;
    void SetUp() override
    {
        installControlUi(&ui);
        boardView = BoardView{};
        boardView.screenWidth = 1280;
        boardView.screenHeight = 1024;
        marksShown = false;
    }
    void TearDown() override
    {
        installControlUi(nullptr);
        boardView = BoardView{};
        marksShown = false;
    }
    static std::string nameAt(int x, int y)
    {
        const auto s = screenSquareAt(x, y);
        return s ? screenSquareName(*s) : "off";
    }
};

TEST_F(BoardViewTest, StartUpSizeGivesTheCentredSmallBoard)
{
    SetBoardSize();
    EXPECT_TRUE(boardView.smallBoard);
    EXPECT_TRUE(ui.checked[MenuItem::SmallBoard]);
    EXPECT_EQ(cellSize(), 39);
    EXPECT_EQ(boardView.windowHeight, 356);
    EXPECT_EQ(boardView.windowWidth, 318);
    EXPECT_EQ(boardView.windowTop, (1024 - 356) / 2 - 2);
    EXPECT_EQ(boardView.windowLeft, (1280 - 318) / 2 - 2);
    EXPECT_EQ(ui.geometryChanges, 1);
    EXPECT_EQ(ui.redraws, 1);

    // Marks take effect on the margins only at the next size change.
    marksShown = true;
    EXPECT_EQ(boardView.marginX, 0);
    SetBoardSize();
    EXPECT_FALSE(boardView.smallBoard);
    EXPECT_EQ(cellSize(), 52);
    EXPECT_EQ(boardView.marginX, 20);
    EXPECT_EQ(boardView.marginY, 20);
    EXPECT_EQ(boardView.windowHeight, 500);
    EXPECT_EQ(boardView.windowWidth, 460);
    SetBoardSize();
    EXPECT_EQ(boardView.marginX, 13);
    EXPECT_EQ(boardView.windowHeight, 382);
    EXPECT_EQ(boardView.windowWidth, 344);
}

TEST_F(BoardViewTest, PixelsMapToScreenSquaresWithMarginsAndRotation)
{
    SetBoardSize(); // small, no margin
    EXPECT_EQ(nameAt(0, 0), "a8");
    EXPECT_EQ(nameAt(38, 38), "a8");
    EXPECT_EQ(nameAt(39, 0), "b8");
    EXPECT_EQ(nameAt(2 * 39 + 5, 5 * 39 + 5), "c3");
    EXPECT_EQ(nameAt(311, 311), "h1");
    EXPECT_EQ(nameAt(312, 100), "off");
    EXPECT_EQ(nameAt(100, 312), "off");

    marksShown = true;
    SetBoardSize(); // large, margin 20
    SetBoardSize(); // small, margin 13
    EXPECT_EQ(nameAt(13, 13), "a8");
    EXPECT_EQ(nameAt(12, 12), "a8"); // in the strip, less than a cell away
    EXPECT_EQ(nameAt(13 + 39, 13), "b8");
    EXPECT_EQ(nameAt(13 + 312, 13), "off");

    ToggleRotation();
    EXPECT_TRUE(ui.checked[MenuItem::Rotated]);
    EXPECT_EQ(nameAt(13 + 7 * 39, 13), "a1"); // top right
    EXPECT_EQ(nameAt(13, 13 + 7 * 39), "h8"); // bottom left
    ToggleRotation();
    EXPECT_EQ(nameAt(13 + 7 * 39, 13), "h8");
}

TEST_F(BoardViewTest, ScreenSquaresMapToEngineSquares)
{
    int darkSeen = 0;
    for (int column = 0; column < 8; ++column) {
        for (int row = 0; row < 8; ++row) {
            const ScreenSquare s{column, row};
            const int index = squareIndexOf(s);
            ASSERT_GE(index, 0);
            ASSERT_LE(index, 31);
            if (isDarkSquare(s)) {
                ++darkSeen;
                EXPECT_STREQ(squareName[index], screenSquareName(s)) << column << "," << row;
            } else {
                // The dark square beside it in the same row shares its index.
                const ScreenSquare beside{column ^ 1, row};
                EXPECT_TRUE(isDarkSquare(beside));
                EXPECT_EQ(index, squareIndexOf(beside));
            }
        }
    }
    EXPECT_EQ(darkSeen, 32);
}

TEST_F(BoardViewTest, SetupPanelWidensAndNarrowsTheWindow)
{
    SetBoardSize();
    EXPECT_TRUE(setSetupPanelWidth(true));
    EXPECT_EQ(boardView.windowWidth, 318 + 110);
    EXPECT_FALSE(setSetupPanelWidth(true)); // shown already: no second widening
    EXPECT_EQ(boardView.windowWidth, 318 + 110);
    SetBoardSize(); // the large board keeps the panel's width
    EXPECT_EQ(boardView.windowWidth, 420 + 110);
    SetBoardSize();
    EXPECT_TRUE(setSetupPanelWidth(false));
    EXPECT_EQ(boardView.windowWidth, 318);
}

} // namespace
