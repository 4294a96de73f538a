// The shipped opening library offers the first moves of every opening the notation
// window names.
#include <gtest/gtest.h>

#include "game/book.h"
#include "game/notation.h"
#include "game/settings.h"
#include "game_support.h"

namespace {

class LibraryCoverageTest : public game_testing::GameTest {};

TEST_F(LibraryCoverageTest, EveryCatalogueOpeningStartsInTheShippedLibrary)
{
    libraryFileName = KORVEL_BINARY_DIR "/MyBase.deb";
    ASSERT_TRUE(LoadLibrary());
    ASSERT_GT(openingLibrary.count, 50);
    constexpr int firstHalfMoves = 4;
    for (int i = 0; i < openingCatalogueSize; ++i) {
        const std::string key = openingCatalogue[i].key;
        startFrom(initialPositionText);
        std::size_t at = 0;
        for (int half = 0; half < firstHalfMoves && at < key.size(); ++half) {
            std::size_t end = key.find(' ', at);
            if (end == std::string::npos) end = key.size();
            const std::string token = key.substr(at, end - at);
            at = end + 1;
            LookupBook();
            const int count = generateLegalMoves(sideToMove, 0);
            int played = 0;
            for (int k = 1; k <= count; ++k) {
                const std::string text = moveText(moveLists[0].moves[k]);
                if (text[0] == token[0] && text.substr(3) == token.substr(1)) played = k;
            }
            ASSERT_NE(played, 0) << key;
            bool offered = false;
            for (int c = 0; c < bookCandidates.count; ++c) offered |= bookCandidates.moveIndex[c] == played;
            EXPECT_TRUE(offered) << openingCatalogue[i].name << ": " << token << " is not in the library";
            EXPECT_GT(bookCandidates.maxWeight, 0);
            play(moveText(moveLists[0].moves[played]));
        }
    }
    libraryFileName = "MyBase.deb";
}

} // namespace

namespace {

TEST_F(LibraryCoverageTest, AFolderInPlaceOfTheLibraryIsAnErrorNotACrash)
{
    const auto dir = game_testing::uniqueTempDir("library-folder");
    libraryFileName = (dir / "MyBase.deb").string();
    std::filesystem::create_directory(libraryFileName);
    EXPECT_FALSE(LoadLibrary());
    libraryFileName = (dir / "missing.deb").string();
    EXPECT_FALSE(LoadLibrary());
    libraryFileName = "MyBase.deb";
    std::filesystem::remove_all(dir);
}

} // namespace
