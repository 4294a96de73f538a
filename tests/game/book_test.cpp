#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "game/book.h"
#include "game/settings.h"
#include "tests/game/game_support.h"

namespace {

using game_testing::GameTest;
namespace fs = std::filesystem;

void putWord(std::string& out, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i) out += static_cast<char>(value >> (8 * i));
}

// The position now on the board in the library's order of sets.
std::string boardSets()
{
    std::string out;
    for (SquareSet s : {whiteMen, blackMen, whiteKings, blackKings}) putWord(out, s);
    return out;
}

class BookTest : public GameTest {
protected:
    fs::path dir;
    std::string library;
    void SetUp() override
    {
        GameTest::SetUp();
        dir = game_testing::uniqueTempDir("book");
        openingLibrary.count = 0;
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
        libraryFileName = "MyBase.deb";
        GameTest::TearDown();
    }

    // A record for the move named as c3-d4 from the position on the board.
    void addRecord(const std::string& move, std::int32_t weight)
    {
        const int count = generateLegalMoves(sideToMove, 0);
        for (int k = 1; k <= count; ++k) {
            if (moveText(moveLists[0].moves[k]) != move) continue;
            const std::string before = boardSets();
            makeMove(moveLists[0].moves[k], moveLists[0].captured[k], sideToMove, 1);
            const std::string after = boardSets();
            unmakeMove(1);
            library += before + after;
            putWord(library, static_cast<std::uint32_t>(weight));
            return;
        }
        FAIL() << "no move " << move;
    }

    void load(const std::string& bytes)
    {
        libraryFileName = (dir / "test.deb").string();
        std::ofstream(libraryFileName, std::ios::binary).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        ASSERT_TRUE(LoadLibrary());
    }
    void loadAndLookUp()
    {
        load(library);
        LookupBook();
    }

    static std::string rootMoveText(int index)
    {
        generateLegalMoves(sideToMove, 1);
        return moveText(moveLists[1].moves[index]);
    }

    // How often each move is chosen over many draws.
    static std::map<std::string, int> draws(int times)
    {
        std::map<std::string, int> seen;
        for (int i = 0; i < times; ++i) ++seen[rootMoveText(ChooseBookMove())];
        return seen;
    }
};

TEST_F(BookTest, MarksListTheMovesInGenerationOrderAndTheBestIsPlayed)
{
    addRecord("g3-h4", 10);
    addRecord("c3-d4", 100);
    const std::string before = positionToText(sideToMove);
    loadAndLookUp();
    EXPECT_EQ(bookText, "c3-d4! g3-h4+ ");
    EXPECT_EQ(positionToText(sideToMove), before);
    ASSERT_EQ(bookCandidates.count, 2);
    EXPECT_EQ(bookCandidates.maxWeight, 100);
    EXPECT_EQ(rootMoveText(bookCandidates.moveIndex[0]), "c3-d4");
    EXPECT_EQ(rootMoveText(bookCandidates.moveIndex[1]), "g3-h4");
    EXPECT_EQ(moveSeparator, '-');
    const auto seen = draws(200);
    EXPECT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.begin()->first, "c3-d4");
}

TEST_F(BookTest, UnmarkedWeightsCountAsZero)
{
    addRecord("a3-b4", 5);
    addRecord("e3-f4", -10);
    addRecord("g3-f4", -100);
    addRecord("e3-d4", 10);
    loadAndLookUp();
    EXPECT_EQ(bookText, "a3-b4 e3-d4+ e3-f4- g3-f4? ");
    EXPECT_EQ(openingLibrary.records[0].weight, 0);
    EXPECT_EQ(bookCandidates.weight[0], 0);
    EXPECT_EQ(bookCandidates.maxWeight, 10);
    const auto seen = draws(100);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen.begin()->first, "e3-d4");
}

TEST_F(BookTest, TheChoiceDrawsEvenlyAmongTheTopWeighted)
{
    addRecord("a3-b4", 100);
    addRecord("c3-b4", -100);
    addRecord("g3-h4", 100);
    loadAndLookUp();
    const auto seen = draws(4000);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen.count("c3-b4"), 0u);
    EXPECT_NEAR(seen.at("a3-b4"), 2000, 200);
    EXPECT_NEAR(seen.at("g3-h4"), 2000, 200);

    library.clear();
    addRecord("c3-b4", -100);
    loadAndLookUp();
    EXPECT_EQ(rootMoveText(ChooseBookMove()), "c3-b4");

    library.clear();
    addRecord("a3-b4", 100); // twice listed, twice as likely
    addRecord("a3-b4", 100);
    addRecord("g3-h4", 100);
    loadAndLookUp();
    const auto weighted = draws(3000);
    EXPECT_NEAR(weighted.at("a3-b4"), 2000, 200);
}

TEST_F(BookTest, CapturesAreLookedUpWithTheirSeparator)
{
    std::string text(32, '0');
    text[9] = 'w';  // c3
    text[13] = 'b'; // d4
    text[30] = 'b';
    startFrom(text + " w");
    addRecord("c3:e5", 100);
    loadAndLookUp();
    EXPECT_EQ(bookText, "c3:e5! ");
    EXPECT_EQ(moveSeparator, ':');
    EXPECT_EQ(rootMoveText(ChooseBookMove()), "c3:e5");
}

TEST_F(BookTest, MatchesBeyondTheRoomAreListedButNotOffered)
{
    for (int i = 0; i < bookCandidateCapacity; ++i) addRecord("c3-d4", 10);
    addRecord("g3-h4", 100);
    addRecord("g3-h4", 100);
    loadAndLookUp();
    EXPECT_EQ(bookCandidates.count, bookCandidateCapacity);
    EXPECT_EQ(bookCandidates.maxWeight, 10);
    EXPECT_NE(bookText.find("g3-h4! g3-h4! "), std::string::npos);
    EXPECT_EQ(rootMoveText(ChooseBookMove()), "c3-d4");
}

TEST_F(BookTest, LoadingKeepsWholeRecordsAndAFailureKeepsTheOldLibrary)
{
    addRecord("c3-d4", 100);
    load(library + std::string(35, '\x7f')); // a trailing partial record is not read
    EXPECT_EQ(openingLibrary.count, 1);
    EXPECT_EQ(openingLibrary.records[0].weight, 100);
    EXPECT_EQ(openingLibrary.records[0].before.whiteMen, 0x00000FFFu);
    EXPECT_EQ(openingLibrary.records[0].before.blackMen, 0xFFF00000u);

    libraryFileName = (dir / "absent.deb").string();
    EXPECT_FALSE(LoadLibrary());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], "Ошибка загрузки дебютной библиотеки!");
    EXPECT_EQ(openingLibrary.count, 1);

    load("");
    EXPECT_EQ(ui.messages.size(), 1u);
    LookupBook();
    EXPECT_EQ(bookCandidates.count, 0);
    EXPECT_EQ(bookCandidates.maxWeight, -10000);
    EXPECT_EQ(ChooseBookMove(), 0);

    std::string many;
    for (int i = 0; i <= libraryCapacity; ++i) many += library;
    load(many);
    EXPECT_EQ(openingLibrary.count, libraryCapacity);
}

TEST_F(BookTest, TheSearchRootKeepsGenerationOrderForTheChosenIndex)
{
    addRecord("g3-h4", 100);
    loadAndLookUp();
    prepareSearch(White);
    EXPECT_EQ(moveText(moveLists[1].moves[ChooseBookMove()]), "g3-h4");
    std::string generated;
    const int n = moveLists[1].count;
    for (int k = 1; k <= n; ++k) generated += moveText(moveLists[1].moves[k]) + " ";
    EXPECT_EQ(generated, "a3-b4 c3-b4 c3-d4 e3-d4 e3-f4 g3-f4 g3-h4 ");
}

TEST_F(BookTest, EveryRefreshLooksTheNewPositionUp)
{
    addRecord("c3-d4", 100);
    play("c3-d4");
    addRecord("f6-g5", 10);
    load(library);
    GoToStart();
    EXPECT_EQ(bookText, "c3-d4! ");
    StepForward();
    EXPECT_EQ(bookText, "f6-g5+ ");
    EXPECT_EQ(bookCandidates.maxWeight, 10);
}

} // namespace
