#include <gtest/gtest.h>

#include <set>

#include "game/gamechange.h"
#include "game/notation.h"
#include "tests/game/game_support.h"

namespace {

using game_testing::GameTest;

class NotationTest : public GameTest {
protected:
    void SetUp() override
    {
        GameTest::SetUp();
        notationView = NotationView{};
    }
};

TEST_F(NotationTest, OneLinePerWholeMoveCutWhereTheGameEnds)
{
    play("c3-d4");
    ASSERT_EQ(notationView.lines.size(), 1u);
    EXPECT_EQ(notationView.lines[0], " 1. c3-d4 ");
    EXPECT_EQ(notationView.highlight, 0);

    playAll({"f6-g5", "g3-h4"});
    ASSERT_EQ(notationView.lines.size(), 2u);
    EXPECT_EQ(notationView.lines[0], " 1. c3-d4 f6-g5");
    EXPECT_EQ(notationView.lines[1], " 2. g3-h4 ");
    EXPECT_EQ(notationView.highlight, 1);
}

TEST_F(NotationTest, TenMovesListTheWholeGameAndTheHighlightFollowsSteps)
{
    // Plays the first legal half-move twenty times.
    std::vector<std::string> texts;
    for (int i = 0; i < 20; ++i) {
        ASSERT_GT(generateLegalMoves(sideToMove, 0), 0);
        texts.push_back(moveText(moveLists[0].moves[1]));
        play(texts.back());
    }
    ASSERT_EQ(notationView.lines.size(), 10u);
    EXPECT_EQ(notationView.lines[0], " 1. " + texts[0] + " " + texts[1]);
    EXPECT_EQ(notationView.lines[8].substr(0, 4), " 9. ");
    EXPECT_EQ(notationView.lines[9], "10. " + texts[18] + " " + texts[19]);
    EXPECT_EQ(notationView.highlight, 9);

    GoToStart();
    for (int i = 0; i < 2; ++i) StepForward();
    EXPECT_EQ(gameRecord.plyNumber, 3);
    EXPECT_EQ(notationView.lines.size(), 10u); // the replayable tail stays listed
    EXPECT_EQ(notationView.highlight, 0);
    StepForward();
    EXPECT_EQ(notationView.highlight, 1);

    // At the starting position the game stays listed for replay, no half-move marked.
    GoToStart();
    StepForward();
    const NotationView shown = notationView;
    StepBack();
    EXPECT_EQ(notationView.lines, shown.lines);
    EXPECT_EQ(notationView.highlight, -1);
}

TEST_F(NotationTest, ABlackFirstGameFillsWhitesColumn)
{
    startFrom("wwwwwwwwwwww00000000bbbbbbbbbbbb b");
    const std::vector<std::string> earlier = {" 1. c3-d4 "};
    notationView.lines = earlier;
    notationView.openingName = "Вилочка";
    RefreshNotation(); // no half-move yet: nothing of an earlier game stays
    EXPECT_TRUE(notationView.lines.empty());
    EXPECT_EQ(notationView.openingName, "");

    play("f6-g5");
    ASSERT_EQ(notationView.lines.size(), 1u);
    EXPECT_EQ(notationView.lines[0], " 1.  ...  f6-g5");
    EXPECT_EQ(notationView.highlight, 0);
    EXPECT_EQ(notationView.openingName, "");
    play("c3-d4");
    ASSERT_EQ(notationView.lines.size(), 2u);
    EXPECT_EQ(notationView.lines[1], " 2. c3-d4 ");
    EXPECT_EQ(notationView.highlight, 1);

    // Black's first half-move captures: White lost a piece but moved none.
    std::string text(32, '0');
    text[0] = 'w';
    text[18] = 'w'; // e5
    text[22] = 'b'; // f6
    startFrom(text + " b");
    play("f6:d4");
    ASSERT_EQ(notationView.lines.size(), 1u);
    EXPECT_EQ(notationView.lines[0], " 1.  ...  f6:d4");
    EXPECT_EQ(notationView.highlight, 0);
}

TEST_F(NotationTest, OpeningNamesTheLastMatchingEntry)
{
    playAll({"c3-d4", "d6-c5", "b2-c3", "f6-g5", "c3-b4", "g5-h4", "b4:d6", "e7:c5"});
    EXPECT_EQ(notationView.lines[3], " 4. b4:d6 e7:c5");
    EXPECT_EQ(notationView.openingName, "Городская партия");

    startFrom(initialPositionText);
    playAll({"c3-d4", "d6-c5"});
    EXPECT_EQ(notationView.openingName, "");
    play("d2-c3");
    EXPECT_EQ(notationView.openingName, "Отыгрыш с dc3");
    // Entry 15's longer line starts with entry 24's key; the later entry wins.
    EXPECT_EQ(openingNameFor("cd4 dc5 dc3 fg5 cb4 gh4 bd6 cc3 bd4 ba5"), "Отыгрыш с dc3");
    EXPECT_EQ(openingNameFor("cd4 dc5 bc3 fg5 cb4 gf6 bd6 ec5 gf4"), "Городская партия c 3...gf6");
    EXPECT_EQ(openingNameFor("cd4 ba5 bc3 ba5"), "Отказанный кол");
    EXPECT_EQ(openingNameFor("cd4 ba"), "");
    EXPECT_EQ(openingNameFor(" ... fg5"), "");
}

TEST_F(NotationTest, CompactKeyDropsSquareDigitsBeforeSeparators)
{
    EXPECT_EQ(compactKey(" c3-d4 f6-g5 b4:d6 "), "cd4 fg5 bd6");
    EXPECT_EQ(compactKey(" c3:e5 "), "ce5");
    EXPECT_EQ(compactKey("  ...  f6-g5 "), " ...  fg5");
}

TEST_F(NotationTest, CatalogueKeepsItsOrderAndHasNoEmptyKey)
{
    std::set<int> positions;
    int previous = 0;
    for (int i = 0; i < openingCatalogueSize; ++i) {
        const OpeningEntry& e = openingCatalogue[i];
        EXPECT_GT(std::string(e.key).size(), 2u) << e.name;
        EXPECT_LE(std::string(e.key).size(), 100u);
        EXPECT_GT(e.position, previous);
        EXPECT_LE(e.position, 100);
        previous = e.position;
        positions.insert(e.position);
    }
    for (int required : {1, 9, 10, 11, 12, 13, 15, 17, 22, 23, 24, 32, 34, 37, 42, 43, 45, 48, 50, 51, 52, 72, 83, 84, 97})
        EXPECT_TRUE(positions.count(required)) << required;
}

// Every key must be a line of legal half-moves from the initial position, each token
// naming exactly one move; a typo would make an entry unreachable.
TEST_F(NotationTest, EveryCatalogueKeyIsAPlayableLine)
{
    for (int i = 0; i < openingCatalogueSize; ++i) {
        const std::string key = openingCatalogue[i].key;
        startFrom(initialPositionText);
        std::size_t at = 0;
        while (at < key.size()) {
            std::size_t end = key.find(' ', at);
            if (end == std::string::npos) end = key.size();
            const std::string token = key.substr(at, end - at);
            at = end + 1;
            const int count = generateLegalMoves(sideToMove, 0);
            std::vector<std::string> matching;
            for (int k = 1; k <= count; ++k) {
                const std::string text = moveText(moveLists[0].moves[k]);
                if (text[0] == token[0] && text.substr(3) == token.substr(1)) matching.push_back(text);
            }
            ASSERT_EQ(matching.size(), 1u) << openingCatalogue[i].position << " " << token;
            play(matching[0]);
        }
        EXPECT_EQ(notationView.openingName.empty(), false) << key;
    }
}

TEST_F(NotationTest, ANewRecordEmptiesTheListAndTheName)
{
    playAll({"c3-d4", "d6-c5", "d2-c3"});
    EXPECT_EQ(notationView.openingName, "Отыгрыш с dc3");
    setPositionFromText(initialPositionText);
    ResetRecord();
    RefreshNotation();
    EXPECT_TRUE(notationView.lines.empty());
    EXPECT_EQ(notationView.openingName, "");
}

} // namespace
